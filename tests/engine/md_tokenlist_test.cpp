#include <gtest/gtest.h>

#include <QDir>
#include <vector>

#include "md_test_support.h"
#include "md_tokenlist.h"
#include "vko_info.h"
#include "zep_ga_arguments.h"

namespace {

TVKO_FehlerInfo Caught(const std::function<void()>& AAction) {
    try {
        AAction();
    } catch (const EVKO_Error&) {
        return VKOInfo().FehlerInfo(std::current_exception());
    }
    ADD_FAILURE() << "no error";
    return {};
}

QString Replaced(const TZEP_MD_Tokenlist& AListe, const QString& AText) {
    TZEP_GA_SingleAction action{TZEP_GA_ActionKind::TypeText, AText};
    EXPECT_TRUE(AListe.ReplaceToken(action));
    EXPECT_EQ(action.Kind, TZEP_GA_ActionKind::TypeText);
    return action.Text;
}

class MDTokenlist : public ::testing::Test {
protected:
    void Tokennamen(const QByteArray& ALines) {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), "[TOKENNAMES]\n" + ALines);
    }
    QString IniPath() const { return FHome.SettingsFolder() + QStringLiteral("/MD_Templates.ini"); }

    TTempHome FHome;
    TFixedClock FUhr{2025, 1, 15};
};

}  // namespace

TEST(MDToken, IsTokenNeedsADelimiterAtBothEnds) {
    for (const char* token : {"#A#", "##", "#MONAT_NAECHSTER_ANFANG#", "# #"}) {
        EXPECT_TRUE(TZEP_MD_Tokenlist::IsToken(QString::fromUtf8(token))) << token;
    }
    for (const char* text : {"", "#", "A#", "#A", "A", " #A#", "#A# "}) {
        EXPECT_FALSE(TZEP_MD_Tokenlist::IsToken(QString::fromUtf8(text))) << text;
    }
}

TEST(MDToken, InfoClearEmptiesEverything) {
    TZEP_MD_TokenInfo info{QStringLiteral("#K#"), QStringLiteral("Kennwort"), QStringLiteral("x"),
                           true};
    info.Clear();
    EXPECT_TRUE(info.Kennung.isEmpty() && info.AnzeigeName.isEmpty() && info.Wert.isEmpty());
    EXPECT_FALSE(info.WertMasked);
}

TEST_F(MDTokenlist, OnlyTheFirstPairOfDelimitersWithTwoCharactersBetweenIsAToken) {
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set({{QStringLiteral("#AB#"), QStringLiteral("zwei")},
                                       {QStringLiteral("#A#"), QStringLiteral("eins")},
                                       {QStringLiteral("#PP#"), QStringLiteral("x=1")}});
    EXPECT_EQ(Replaced(liste, QStringLiteral("#AB#")), QStringLiteral("zwei"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#A#")), QStringLiteral("#A#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("Wert #PP# Ende")), QStringLiteral("Wert x=1 Ende"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("Wert #A# Ende")), QStringLiteral("Wert #A# Ende"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("50# Rabatt #PP#")),
              QStringLiteral("50# Rabatt #PP#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#PP##PP#")), QStringLiteral("x=1#PP#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("ohne Platzhalter")),
              QStringLiteral("ohne Platzhalter"));
    EXPECT_EQ(Replaced(liste, QString()), QString());
}

TEST_F(MDTokenlist, TokensMatchExactlyAndCaseSensitively) {
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set({{QStringLiteral("#VON#"), QStringLiteral("01.01.2025")}});
    EXPECT_EQ(Replaced(liste, QStringLiteral("#von#")), QStringLiteral("#von#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("# VON#")), QStringLiteral("# VON#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#VON#")), QStringLiteral("01.01.2025"));
}

TEST_F(MDTokenlist, ATokenWithoutValueIsDeletedOnlyWhenSomeListKnowsIt) {
    Tokennamen("#ABTEILUNG#=Abteilung\n");
    TZEP_MD_Tokenlist liste;
    EXPECT_EQ(Replaced(liste, QStringLiteral("#ABTEILUNG#")), QString());
    EXPECT_EQ(Replaced(liste, QStringLiteral("Abt. #ABTEILUNG#!")), QStringLiteral("Abt. !"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#UNBEKANNT#")), QStringLiteral("#UNBEKANNT#"));
}

// Dates worked out by hand for Wednesday 15.01.2025.
TEST_F(MDTokenlist, EveryDatePlaceholderInsideAValueIsComputedWhereItStands) {
    Tokennamen("#VON#=Zeitraum von\n#WERT#=Wert\n");
    struct TFall {
        const char* Wert;
        const char* Getippt;
    };
    const std::vector<TFall> faelle{
        {"#VORMONAT_ANFANG##HEUTE#", "01.12.202415.01.2025"},
        {"Bericht_#HEUTE#.txt", "Bericht_15.01.2025.txt"},
        {"#VORWOCHE_ANFANG# - #VORWOCHE_ENDE#", "06.01.2025 - 12.01.2025"},
        {"#QUARTAL_ENDE#", "31.03.2025"},
        {"#HEUTE_VORJAHR#/#MONAT_UEBERNAECHSTER_ENDE#", "15.01.2024/31.03.2025"},
        // Unknown texts between delimiters stay as typed and hide nothing behind them.
        {"#UNBEKANNT# bis #GESTERN#", "#UNBEKANNT# bis 14.01.2025"},
        {"50 # Rabatt am #GESTERN#", "50 # Rabatt am 14.01.2025"},
        {"##HEUTE##", "#15.01.2025#"},
        {"#heute# #HEUTE", "#heute# #HEUTE"},
        // A value is no source of other values.
        {"#VON#, #MORGEN#", "#VON#, 16.01.2025"},
        {"#WERT#", "#WERT#"},
        {"ohne Platzhalter", "ohne Platzhalter"},
    };
    TZEP_MD_Tokenlist liste;
    for (const TFall& fall : faelle) {
        liste.Static_TokenConversions_Set(
            {{QStringLiteral("#WERT#"), QString::fromUtf8(fall.Wert)},
             {QStringLiteral("#VON#"), QStringLiteral("01.01.2025")}});
        EXPECT_EQ(Replaced(liste, QStringLiteral("[#WERT#]")),
                  QLatin1Char('[') + QString::fromUtf8(fall.Getippt) + QLatin1Char(']'))
            << fall.Wert;
        EXPECT_EQ(liste.Wert_4_Lauf(QStringLiteral("#WERT#")), QString::fromUtf8(fall.Getippt))
            << fall.Wert;
    }
}

TEST_F(MDTokenlist, TheTextAroundAValueKeepsItsOwnStages) {
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set(
        {{QStringLiteral("#TAG#"), QStringLiteral("#HEUTE#, #VON#")},
         {QStringLiteral("#AB#"), QStringLiteral("#MONAT_NAECHSTER_ANFANG#")}});
    EXPECT_EQ(Replaced(liste, QStringLiteral("#TAG# bis #HEUTE#")),
              QStringLiteral("15.01.2025, #VON# bis 15.01.2025"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#AB#")), QStringLiteral("01.02.2025"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#MONAT_NAECHSTER_ENDE#")),
              QStringLiteral("28.02.2025"));
}

TEST_F(MDTokenlist, EveryFormAMaskedValueTakesIsASecret) {
    Tokennamen("#KENNWORT#M=Kennwort\n#STICHTAG#M=Stichtag\n");
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set(
        {{QStringLiteral("#KENNWORT#"), QStringLiteral("So%1mmer#HEUTE#")},
         {QStringLiteral("#STICHTAG#"), QStringLiteral("#GESTERN#")}});
    // A masked value is never scanned for placeholders.
    EXPECT_EQ(Replaced(liste, QStringLiteral("#KENNWORT#")), QStringLiteral("So%1mmer#HEUTE#"));
    EXPECT_EQ(liste.Wert_4_Lauf(QStringLiteral("#KENNWORT#")), QStringLiteral("So%1mmer#HEUTE#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("am #STICHTAG#")), QStringLiteral("am 14.01.2025"));
    EXPECT_EQ(VKOInfo().Redact(QStringLiteral("So%1mmer#HEUTE# am 14.01.2025")),
              QStringLiteral("***** am *****"));
    VKOInfo().ClearSecrets();
}

TEST_F(MDTokenlist, AValueStaysOneArgumentOfAProgramStartAndAMaskedOneIsRefused) {
    Tokennamen("#KENNWORT#M=Kennwort\n#LEER#=Leer\n");
    TZEP_MD_Tokenlist liste;
    const QString hostile = QStringLiteral("S3cr3t\" --config \"evil.conf");
    liste.Static_TokenConversions_Set({{QStringLiteral("#DATEI#"), hostile},
                                       {QStringLiteral("#KENNWORT#"), QStringLiteral("x")}});
    TZEP_GA_SingleAction start{TZEP_GA_ActionKind::StartProgram,
                               QStringLiteral("-datei #DATEI# \"#LEER#\" -jahr 2025")};
    EXPECT_TRUE(liste.ReplaceToken(start));
    EXPECT_EQ(ZEP_GA_SplitArguments(start.Text),
              (QStringList{QStringLiteral("-datei"), hostile, QString(), QStringLiteral("-jahr"),
                           QStringLiteral("2025")}));

    const QString masked = QStringLiteral("-p #KENNWORT#");
    TZEP_GA_SingleAction secret{TZEP_GA_ActionKind::StartProgram, masked};
    const TVKO_FehlerInfo info = Caught([&] { liste.ReplaceToken(secret); });
    EXPECT_TRUE(info.Text.contains(QStringLiteral("„#KENNWORT#“ (Kennwort) ist verdeckt")))
        << info.Text.toStdString();
    EXPECT_EQ(secret.Text, masked);
    // Typed into the program, the same value is fine.
    EXPECT_EQ(Replaced(liste, QStringLiteral("#KENNWORT#")), QStringLiteral("x"));
    VKOInfo().ClearSecrets();
}

TEST_F(MDTokenlist, StaticConversionsAreReplacedWhole) {
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set({{QStringLiteral("#A#"), QStringLiteral("1")}});
    liste.Static_TokenConversions_Set({{QStringLiteral("#BB#"), QStringLiteral("2")},
                                       {QStringLiteral("KEIN_TOKEN"), QStringLiteral("3")}});
    EXPECT_EQ(Replaced(liste, QStringLiteral("#BB#")), QStringLiteral("2"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#AA#")), QStringLiteral("#AA#"));
    liste.Static_TokenConversions_Set({{QStringLiteral("#AA#"), QStringLiteral("1")}});
    EXPECT_EQ(Replaced(liste, QStringLiteral("#BB#")), QStringLiteral("#BB#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#AA#")), QStringLiteral("1"));
}

TEST_F(MDTokenlist, DisplayNamesAndMaskingComeFromTokennames) {
    Tokennamen(
        "#VON# = Zeitraum von\n"
        "#KENNWORT#M=Kennwort\n"
        "ABM=nur das letzte Zeichen zählt\n"
        "#A=zu kurz\n"
        "ohne Gleichheitszeichen\n"
        "=ohne Schlüssel\n"
        "#NAME#=Name = mit Gleichheitszeichen\n");
    TZEP_MD_Tokenlist liste;
    const auto data = [&](const char* AToken) {
        return liste.AnzeigeData_4_Kennung(QString::fromUtf8(AToken));
    };
    EXPECT_EQ(data("#VON#").AnzeigeName, QStringLiteral("Zeitraum von"));
    EXPECT_FALSE(data("#VON#").AnzeigeMaskiert);
    EXPECT_EQ(data("#KENNWORT#").AnzeigeName, QStringLiteral("Kennwort"));
    EXPECT_TRUE(data("#KENNWORT#").AnzeigeMaskiert);
    EXPECT_EQ(data("#KENNWORT#M").AnzeigeName, QStringLiteral("#KENNWORT#M"));
    EXPECT_TRUE(data("AB").AnzeigeMaskiert);
    EXPECT_EQ(data("#A").AnzeigeName, QStringLiteral("#A"));
    EXPECT_EQ(data("#NAME#").AnzeigeName, QStringLiteral("Name = mit Gleichheitszeichen"));
    EXPECT_EQ(data("#FEHLT#").AnzeigeName, QStringLiteral("#FEHLT#"));
    EXPECT_FALSE(data("#FEHLT#").AnzeigeMaskiert);
    EXPECT_EQ(Replaced(liste, QStringLiteral("#KENNWORT#")), QString());
}

TEST_F(MDTokenlist, TheSameTokenNotMaskedReadsTheSame) {
    Tokennamen("#KENNWORT#=Kennwort\n");
    TZEP_MD_Tokenlist liste;
    EXPECT_EQ(liste.AnzeigeData_4_Kennung(QStringLiteral("#KENNWORT#")).AnzeigeName,
              QStringLiteral("Kennwort"));
    EXPECT_FALSE(liste.AnzeigeData_4_Kennung(QStringLiteral("#KENNWORT#")).AnzeigeMaskiert);
}

TEST_F(MDTokenlist, SectionNameMatchesWithoutRegardToCaseAndOtherSectionsDoNotCount) {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"),
                       "\xEF\xBB\xBF[tokenNames]\n#VON#=Zeitraum von\n[LISTE_A]\n#BIS#=Bis\n");
    TZEP_MD_Tokenlist liste;
    EXPECT_EQ(liste.AnzeigeData_4_Kennung(QStringLiteral("#VON#")).AnzeigeName,
              QStringLiteral("Zeitraum von"));
    EXPECT_EQ(liste.AnzeigeData_4_Kennung(QStringLiteral("#BIS#")).AnzeigeName,
              QStringLiteral("#BIS#"));
}

TEST_F(MDTokenlist, WithoutCatalogueNoTokenHasADisplayName) {
    TZEP_MD_Tokenlist liste;
    EXPECT_EQ(liste.AnzeigeData_4_Kennung(QStringLiteral("#VON#")).AnzeigeName,
              QStringLiteral("#VON#"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#VON#")), QStringLiteral("#VON#"));
}

TEST_F(MDTokenlist, ATokenNamedTwiceFailsTheCreationNamingFileAndToken) {
    for (const QByteArray& lines : {QByteArray("#KENNWORT#M=Kennwort\n#KENNWORT#=Kennwort\n"),
                                    QByteArray("#VON#=Von\n#VON# = Zeitraum von\n")}) {
        Tokennamen(lines);
        const TVKO_FehlerInfo info = Caught([] { TZEP_MD_Tokenlist liste; });
        EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
        EXPECT_TRUE(info.Text.contains(QStringLiteral("TOKENNAMES")));
        EXPECT_TRUE(info.Text.contains(lines.startsWith("#VON#") ? QStringLiteral("„#VON#“")
                                                                 : QStringLiteral("„#KENNWORT#“")))
            << info.Text.toStdString();
        EXPECT_EQ(info.Chain,
                  (QStringList{QStringLiteral("TZEP_MD_Tokenlist.Load_TokenBezeichnungen"),
                               QStringLiteral("TZEP_MD_Tokenlist.Create")}));
    }
}

TEST_F(MDTokenlist, AnUnreadableCatalogueFailsTheCreationNamingTheFile) {
    ASSERT_TRUE(QDir().mkpath(IniPath()));
    const TVKO_FehlerInfo info = Caught([] { TZEP_MD_Tokenlist liste; });
    EXPECT_TRUE(info.Text.contains(IniPath())) << info.Text.toStdString();
    EXPECT_EQ(info.Chain.mid(1),
              (QStringList{QStringLiteral("TZEP_MD_Tokenlist.Load_TokenBezeichnungen"),
                           QStringLiteral("TZEP_MD_Tokenlist.Create")}));
}

TEST_F(MDTokenlist, AFailedReplacementIsRegisteredAndKeepsTheTextReached) {
    TZEP_MD_Tokenlist liste;
    liste.Static_TokenConversions_Set({{QStringLiteral("#VON#"), QStringLiteral("ab")}});
    FUhr.Set(QDateTime(QDate(1, 6, 1), QTime(8, 0)));
    TZEP_GA_SingleAction action{TZEP_GA_ActionKind::TypeText,
                                QStringLiteral("#VON# #HEUTE_VORJAHR#")};
    const TVKO_FehlerInfo info = Caught([&] { liste.ReplaceToken(action); });
    EXPECT_EQ(action.Text, QStringLiteral("ab #HEUTE_VORJAHR#"));
    EXPECT_FALSE(info.Text.isEmpty());
    EXPECT_EQ(info.Chain.constLast(), QStringLiteral("TZEP_MD_Tokenlist.ReplaceToken"));
}
