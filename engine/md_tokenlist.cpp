#include "md_tokenlist.h"

#include "md_inifile.h"
#include "vko_clock.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "vko_zrzp_berechner.h"
#include "zep_ga_arguments.h"

namespace {

const QChar CTokenDelimiter = QLatin1Char('#');
const QChar CMaskiert = QLatin1Char('M');

}  // namespace

TZEP_MD_Tokenlist::TZEP_MD_Tokenlist() try : FZeitrechner(std::make_unique<TVKO_ZRZP_Berechner>()) {
    FZeitrechner->SetAktuellerZeitpunkt(vko_Now());
    Add_DynConversions();
    Load_TokenBezeichnungen();
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Create");
}

// Releasing the dictionaries and the calculator cannot fail, so there is nothing to check.
TZEP_MD_Tokenlist::~TZEP_MD_Tokenlist() = default;

void TZEP_MD_Tokenlist::Static_TokenConversions_Set(const TZEP_MD_TokenValues& AKeyValueList) try {
    QHash<QString, QString> conversions;
    for (auto it = AKeyValueList.cbegin(); it != AKeyValueList.cend(); ++it) {
        if (IsToken(it.key())) {
            conversions.insert(it.key(), it.value());
        }
    }
    FStaticTokens = std::move(conversions);
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Static_Conversions_Set");
}

bool TZEP_MD_Tokenlist::ReplaceToken(TZEP_GA_SingleAction& AAction) const try {
    if (AAction.Kind != TZEP_GA_ActionKind::StartProgram) {
        ReplaceInText(AAction.Text);
        return true;
    }
    Check_Programmstart(AAction);
    QStringList arguments = ZEP_GA_SplitArguments(AAction.Text);
    bool changed = false;
    for (QString& argument : arguments) {
        const QString before = argument;
        ReplaceInText(argument);
        changed = changed || argument != before;
    }
    if (changed) {
        AAction.Text = ZEP_GA_JoinArguments(arguments);
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.ReplaceToken");
}

void TZEP_MD_Tokenlist::Check_Programmstart(const TZEP_GA_SingleAction& AAction) const try {
    if (AAction.Kind != TZEP_GA_ActionKind::StartProgram) {
        return;
    }
    QString token;
    qsizetype position = 0;
    qsizetype from = 0;
    while (ExtractToken(AAction.Text, from, token, position)) {
        if (IsMasked(token)) {
            throw EVKO_Error(QStringLiteral("Das Token „%1“ (%2) ist verdeckt und darf nicht beim "
                                            "Programmstart (START) stehen: die Argumente eines "
                                            "Programms kann jeder Benutzer des Rechners lesen. "
                                            "Lassen Sie den Wert im Programm eingeben (TYPE).")
                                 .arg(token, AnzeigeData_4_Kennung(token).AnzeigeName));
        }
        from = position + token.size();
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Check_Programmstart");
}

// The four stages; each looks only behind what an earlier stage put in.
void TZEP_MD_Tokenlist::ReplaceInText(QString& AText) const try {
    QString token;
    qsizetype position = 0;
    qsizetype from = 0;
    const auto put = [&](const QString& AValue, bool AMasked) {
        AText.replace(position, token.size(), AValue);
        from = position + AValue.size();
        if (AMasked) {
            VKOInfo().AddSecret(AValue);
        }
    };
    if (!ExtractToken(AText, from, token, position)) {
        return;
    }
    bool dynamicDone = false;
    if (const auto value = FStaticTokens.constFind(token); value != FStaticTokens.cend()) {
        dynamicDone = FDynamicTokens.contains(*value);
        put(Wert_Berechnet(*value, IsMasked(token)), IsMasked(token));
    }
    if (!dynamicDone) {
        if (!ExtractToken(AText, from, token, position)) {
            return;
        }
        if (const auto convert = FDynamicTokens.constFind(token);
            convert != FDynamicTokens.cend()) {
            put((*convert)(), false);
        }
    }
    if (!ExtractToken(AText, from, token, position)) {
        return;
    }
    if (FStaticToken_Bezeichnungen.contains(token)) {
        put(QString(), false);
    }
    if (!ExtractToken(AText, from, token, position)) {
        return;
    }
    if (FDynamicToken_Bezeichnungen.contains(token)) {
        put(QString(), false);
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.ReplaceInText");
}

bool TZEP_MD_Tokenlist::IsMasked(const QString& AToken) const try {
    const auto found = FStaticToken_Bezeichnungen.constFind(AToken);
    return found != FStaticToken_Bezeichnungen.cend() && found->AnzeigeMaskiert;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.IsMasked");
}

bool TZEP_MD_Tokenlist::IsToken(const QString& AKand) try {
    return AKand.size() >= 2 && AKand.front() == CTokenDelimiter && AKand.back() == CTokenDelimiter;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.IsToken");
}

void TZEP_MD_Tokenlist::SetStichtag(const QDateTime& AStichtag) try {
    FStichtag = AStichtag;
    FZeitrechner->SetAktuellerZeitpunkt(AStichtag);
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.SetStichtag");
}

QDateTime TZEP_MD_Tokenlist::Jetzt() const {
    return FStichtag.isValid() ? FStichtag : vko_Now();
}

QString TZEP_MD_Tokenlist::Wert_4_Lauf(const QString& AToken) const try {
    return Wert_Berechnet(FStaticTokens.value(AToken), IsMasked(AToken));
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Wert_4_Lauf");
}

// A masked value is a secret as typed: only a placeholder as a whole becomes its date.
QString TZEP_MD_Tokenlist::Wert_Berechnet(const QString& AWert, bool AMaskiert) const try {
    if (const auto convert = FDynamicTokens.constFind(AWert); convert != FDynamicTokens.cend()) {
        return (*convert)();
    }
    return AMaskiert ? AWert : Datumsplatzhalter_Berechnet(AWert);
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Wert_Berechnet");
}

// Every known date placeholder becomes its date where it stands. A "#" that opens nothing known
// may close one text and open the next, so the search goes on from it.
QString TZEP_MD_Tokenlist::Datumsplatzhalter_Berechnet(const QString& AWert) const try {
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = AWert.indexOf(CTokenDelimiter, from);
        const qsizetype close = open < 0 ? -1 : AWert.indexOf(CTokenDelimiter, open + 1);
        if (close < 0) {
            break;
        }
        const auto convert = FDynamicTokens.constFind(AWert.mid(open, close - open + 1));
        if (convert == FDynamicTokens.cend()) {
            result += QStringView(AWert).mid(from, close - from);
            from = close;
            continue;
        }
        result += QStringView(AWert).mid(from, open - from);
        result += (*convert)();
        from = close + 1;
    }
    result += QStringView(AWert).mid(from);
    return result;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Datumsplatzhalter_Berechnet");
}

TZEP_MD_Tokenlist::TToken_AnzeigeData TZEP_MD_Tokenlist::AnzeigeData_4_Kennung(
    const QString& ATokenKennung) const try {
    return FStaticToken_Bezeichnungen.value(ATokenKennung,
                                            TToken_AnzeigeData{ATokenKennung, false});
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.AnzeigeName_4_Kennung");
}

void TZEP_MD_Tokenlist::Enum_DynToken(const TZEP_MD_DynToken_EnumCallback& AEnum_CB) const try {
    for (auto it = FDynamicToken_Bezeichnungen.cbegin(); it != FDynamicToken_Bezeichnungen.cend();
         ++it) {
        AEnum_CB(it.key(), it.value());
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Enum_DynToken");
}

// Only the first pair of "#" counts, and it needs at least two characters between.
bool TZEP_MD_Tokenlist::ExtractToken(const QString& AText, qsizetype AFrom, QString& AToken,
                                     qsizetype& APosition) try {
    AToken.clear();
    const qsizetype first = AText.indexOf(CTokenDelimiter, AFrom);
    if (first < 0) {
        return false;
    }
    const qsizetype second = AText.indexOf(CTokenDelimiter, first + 1);
    if (second < 0 || second - first < 3) {
        return false;
    }
    AToken = AText.mid(first, second - first + 1);
    APosition = first;
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.ExtractToken");
}

void TZEP_MD_Tokenlist::Load_TokenBezeichnungen() try {
    FStaticToken_Bezeichnungen.clear();
    const TZEP_MD_IniFile ini = TZEP_MD_IniFile::FromFile(
        VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Templates.ini")));
    const QString section = QStringLiteral("TOKENNAMES");
    for (const QString& line : ini.SectionLines(section)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QString token = equals < 0 ? QString() : line.left(equals);
        if (token.size() < 3) {
            continue;
        }
        const bool maskiert = token.back() == CMaskiert;
        if (maskiert) {
            token.chop(1);
        }
        if (FStaticToken_Bezeichnungen.contains(token)) {
            throw EVKO_Error(QStringLiteral("Die Datei „%1“ nennt im Abschnitt [%2] das Token "
                                            "„%3“ mehr als einmal (Zeile „%4“).")
                                 .arg(ini.FileName(), section, token, line));
        }
        FStaticToken_Bezeichnungen.insert(token,
                                          TToken_AnzeigeData{line.mid(equals + 1), maskiert});
    }
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.Load_TokenBezeichnungen");
}
