#include "md_tokenlist.h"

#include "md_inifile.h"
#include "vko_clock.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "vko_zrzp_berechner.h"

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
    QString token;
    qsizetype position = 0;
    if (!ExtractToken(AAction, token, position)) {
        return true;
    }
    if (const auto value = FStaticTokens.constFind(token); value != FStaticTokens.cend()) {
        AAction.Text.replace(position, token.size(), *value);
    }
    if (!ExtractToken(AAction, token, position)) {
        return true;
    }
    if (const auto convert = FDynamicTokens.constFind(token); convert != FDynamicTokens.cend()) {
        AAction.Text.replace(position, token.size(), (*convert)());
    }
    if (!ExtractToken(AAction, token, position)) {
        return true;
    }
    if (FStaticToken_Bezeichnungen.contains(token)) {
        AAction.Text.remove(position, token.size());
    }
    if (!ExtractToken(AAction, token, position)) {
        return true;
    }
    if (FDynamicToken_Bezeichnungen.contains(token)) {
        AAction.Text.remove(position, token.size());
    }
    return true;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.ReplaceToken");
}

bool TZEP_MD_Tokenlist::IsToken(const QString& AKand) try {
    return AKand.size() >= 2 && AKand.front() == CTokenDelimiter && AKand.back() == CTokenDelimiter;
} catch (...) {
    RethrowRegistered("TZEP_MD_Tokenlist.IsToken");
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
bool TZEP_MD_Tokenlist::ExtractToken(const TZEP_GA_SingleAction& AAction, QString& AToken,
                                     qsizetype& APosition) try {
    AToken.clear();
    const QString& text = AAction.Text;
    const qsizetype first = text.indexOf(CTokenDelimiter);
    if (first < 0) {
        return false;
    }
    const qsizetype second = text.indexOf(CTokenDelimiter, first + 1);
    if (second < 0 || second - first < 3) {
        return false;
    }
    AToken = text.mid(first, second - first + 1);
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
