#include "md_processor.h"
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

bool TZEP_MD_Processor::Execute_Mandorel(const TZEP_MD_Mandorel& AMandorel) try {
    FFehlende_Vorlage.clear();
    VKO_KeepMemoryPrivate();
    FToken_List->Static_TokenConversions_Set(AMandorel.TokenValues());
    RegisterSecrets(AMandorel);

    TZEP_GA_Sequence run;
    run.SetTargetProgramFile(AMandorel.Sequence().TargetProgramFile());
    TZEP_MD_ExpandLimit limit(QStringLiteral("„%1“ für das Programm %2")
                                  .arg(AMandorel.Name_Anzeige(), AMandorel.Programm()));
    for (TZEP_GA_SingleAction action : AMandorel.Sequence().Actions()) {
        if (action.Kind == TZEP_GA_ActionKind::Template) {
            if (!FTemplates->Expand_Template(action.Text, run, *FToken_List, &limit)) {
                FFehlende_Vorlage = action.Text;
                return false;
            }
        } else {
            if (!FToken_List->ReplaceToken(action)) {
                return false;
            }
            limit.Add(run, action);
            run.Append(action);
        }
    }
    FMandorel_Player->PlaySequence(run);
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Execute_Mandorel");
}

bool TZEP_MD_Processor::Execute_Mandorel(const QString& AName, const QString& AProgrammName) try {
    const TZEP_MD_Mandorel* mandorel = Mandorel_ByName(AName, AProgrammName);
    return mandorel != nullptr && Execute_Mandorel(*mandorel);
} catch (...) {
    RethrowRegistered("TZEP_MD_Processor.Execute_Mandorel");
}
