#include "md_processor.h"

#include <QDateTime>
#include <algorithm>

#include "md_play_beside.h"
#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_info.h"
#include "vko_private_memory.h"
#include "zep_ga_player.h"

void TZEP_MD_Processor::RegisterSecrets(const TZEP_MD_Mandorel& AMandorel) const {
    for (auto it = AMandorel.TokenValues().cbegin(); it != AMandorel.TokenValues().cend(); ++it) {
        if (FToken_List->AnzeigeData_4_Kennung(it.key()).AnzeigeMaskiert) {
            VKOInfo().AddSecret(it.value());
        }
    }
}

bool TZEP_MD_Processor::Expand_Mandorel(const TZEP_MD_Mandorel& AMandorel,
                                        const TZEP_MD_Tokenlist& ATokens, TZEP_GA_Sequence& ARun) {
    FFehlende_Vorlage.clear();
    ARun.SetTargetProgramFile(AMandorel.Sequence().TargetProgramFile());
    TZEP_MD_ExpandLimit limit(QStringLiteral("„%1“ für das Programm %2")
                                  .arg(AMandorel.Name_Anzeige(), AMandorel.Programm()));
    for (TZEP_GA_SingleAction action : AMandorel.Sequence().Actions()) {
        if (action.Kind == TZEP_GA_ActionKind::Template) {
            if (!FTemplates->Expand_Template(action.Text, ARun, ATokens, &limit)) {
                FFehlende_Vorlage = action.Text;
                return false;
            }
        } else {
            if (!ATokens.ReplaceToken(action)) {
                return false;
            }
            limit.Add(ARun, action);
            ARun.Append(action);
        }
    }
    return true;
}

bool TZEP_MD_Processor::Execute_Mandorel(const TZEP_MD_Mandorel& AMandorel) try {
    VKO_KeepMemoryPrivate();
    FToken_List->Static_TokenConversions_Set(AMandorel.TokenValues());
    RegisterSecrets(AMandorel);

    TZEP_GA_Sequence run;
    if (!Expand_Mandorel(AMandorel, *FToken_List, run)) {
        return false;
    }
    if (FBegleitung != nullptr) {
        MD_PlayBeside(*FMandorel_Player, run, *FBegleitung);
    } else {
        FMandorel_Player->PlaySequence(run);
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Execute_Mandorel");
}

bool TZEP_MD_Processor::Preview_Mandorel(const TZEP_MD_Mandorel& AMandorel, const QDateTime& ADatum,
                                         TZEP_GA_Sequence& AVorschau) try {
    TZEP_MD_Tokenlist tokens;
    tokens.SetStichtag(ADatum);
    TZEP_MD_TokenValues werte = AMandorel.TokenValues();
    for (auto it = werte.begin(); it != werte.end(); ++it) {
        if (tokens.AnzeigeData_4_Kennung(it.key()).AnzeigeMaskiert) {
            *it = QStringLiteral("***");
        }
    }
    tokens.Static_TokenConversions_Set(werte);
    return Expand_Mandorel(AMandorel, tokens, AVorschau);
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Preview_Mandorel");
}

bool TZEP_MD_Processor::Execute_Mandorel(const QString& AName, const QString& AProgrammName) try {
    const TZEP_MD_Mandorel* mandorel = Mandorel_ByName(AName, AProgrammName);
    return mandorel != nullptr && Execute_Mandorel(*mandorel);
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Execute_Mandorel");
}

QStringList TZEP_MD_Processor::Texte_Lauf(const TZEP_MD_Mandorel& AMandorel) const {
    QStringList texte;
    for (const TZEP_GA_SingleAction& action : AMandorel.Sequence().Actions()) {
        const TZEP_MD_Template* vorlage = nullptr;
        if (action.Kind != TZEP_GA_ActionKind::Template) {
            texte.append(action.Text);
        } else if (FTemplates->Template_ByKennung(action.Text, vorlage)) {
            for (const TZEP_GA_SingleAction& teil : vorlage->Actions()) {
                texte.append(teil.Text);
            }
        }
    }
    return texte;
}

QList<QPair<QString, QString>> TZEP_MD_Processor::Token_Werte_Lauf(
    const TZEP_MD_Mandorel& AMandorel) try {
    FToken_List->Static_TokenConversions_Set(AMandorel.TokenValues());
    // Values no action of the run names stay out: a file may bring any number of them.
    const QStringList texte = Texte_Lauf(AMandorel);
    const auto benutzt = [&texte](const QString& AToken) {
        return std::any_of(texte.cbegin(), texte.cend(),
                           [&AToken](const QString& AText) { return AText.contains(AToken); });
    };
    QList<QPair<QString, QString>> werte;
    for (auto it = AMandorel.TokenValues().cbegin(); it != AMandorel.TokenValues().cend(); ++it) {
        if (!TZEP_MD_Tokenlist::IsToken(it.key()) || !benutzt(it.key())) {
            continue;
        }
        werte.append({it.key(), FToken_List->AnzeigeData_4_Kennung(it.key()).AnzeigeMaskiert
                                    ? QStringLiteral("***")
                                    : FToken_List->Wert_4_Lauf(it.key())});
    }
    return werte;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Token_Werte_Lauf");
}

TZEP_GA_Bildschirm TZEP_MD_Processor::TakeFehlerBildschirm() try {
    return FMandorel_Player->TakeFehlerBildschirm();
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.TakeFehlerBildschirm");
}
