#include <gtest/gtest.h>

#include <QHash>

#include "md_test_support.h"
#include "md_tokenlist.h"
#include "vko_zrzp_berechner.h"

namespace {

QString Replaced(const TZEP_MD_Tokenlist& AListe, const QString& AText) {
    TZEP_GA_SingleAction action{TZEP_GA_ActionKind::TypeText, AText};
    EXPECT_TRUE(AListe.ReplaceToken(action));
    return action.Text;
}

QHash<QString, QString> DynTokens(const TZEP_MD_Tokenlist& AListe) {
    QHash<QString, QString> tokens;
    AListe.Enum_DynToken([&](const QString& AToken, const QString& ABezeichnung) {
        EXPECT_FALSE(tokens.contains(AToken)) << AToken.toStdString();
        tokens.insert(AToken, ABezeichnung);
    });
    return tokens;
}

struct TFall {
    int Jahr, Monat, Tag;
    const char* Token;
    const char* Erwartet;
};

class MDDynTokens : public ::testing::Test {
protected:
    void Pruefe(const std::vector<TFall>& AFaelle) {
        for (const TFall& fall : AFaelle) {
            TFixedClock uhr(fall.Jahr, fall.Monat, fall.Tag);
            const TZEP_MD_Tokenlist liste;
            EXPECT_EQ(Replaced(liste, QString::fromLatin1(fall.Token)),
                      QString::fromLatin1(fall.Erwartet))
                << fall.Token << " on " << fall.Tag << "." << fall.Monat << "." << fall.Jahr;
        }
    }

    TTempHome FHome;
};

}  // namespace

TEST_F(MDDynTokens, TheFixedTokensCarryTheirDisplayNames) {
    const TZEP_MD_Tokenlist liste;
    const QHash<QString, QString> tokens = DynTokens(liste);
    EXPECT_EQ(tokens.value(QStringLiteral("#HEUTE_VORJAHR#")), QStringLiteral("heute Vorjahr"));
    EXPECT_EQ(tokens.value(QStringLiteral("#MONAT_NAECHSTER_ANFANG#")),
              QStringLiteral("nächster Monat, Anfang"));
    EXPECT_EQ(tokens.value(QStringLiteral("#MONAT_NAECHSTER_ENDE#")),
              QStringLiteral("nächster Monat, Ende"));
    EXPECT_EQ(tokens.value(QStringLiteral("#MONAT_UEBERNAECHSTER_ANFANG#")),
              QStringLiteral("übernächster Monat, Anfang"));
    EXPECT_EQ(tokens.value(QStringLiteral("#MONAT_UEBERNAECHSTER_ENDE#")),
              QStringLiteral("übernächster Monat, Ende"));
}

TEST_F(MDDynTokens, EveryTimePointOfTheCalculatorIsATokenAndNoneClashesWithAFixedOne) {
    const TZEP_MD_Tokenlist liste;
    const QHash<QString, QString> tokens = DynTokens(liste);
    const int low = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_Low());
    const int high = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_High());
    EXPECT_EQ(tokens.size(), high - low + 1 + 5);
    for (int id = low; id <= high; ++id) {
        const TVKO_ZP_Info info =
            TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(static_cast<TVKO_Zeitpunkt_Id>(id));
        const QString token = QLatin1Char('#') + info.Code + QLatin1Char('#');
        EXPECT_EQ(tokens.value(token), info.Beschreibung) << token.toStdString();
        EXPECT_TRUE(TZEP_MD_Tokenlist::IsToken(token));
    }
}

TEST_F(MDDynTokens, HeuteVorjahrTurnsTheTwentyNinthOfFebruaryIntoTheTwentyEighth) {
    Pruefe({
        {2024, 2, 29, "#HEUTE_VORJAHR#", "28.02.2023"},
        {2024, 2, 28, "#HEUTE_VORJAHR#", "28.02.2023"},
        {2024, 3, 1, "#HEUTE_VORJAHR#", "01.03.2023"},
        {2025, 3, 1, "#HEUTE_VORJAHR#", "01.03.2024"},
        {2028, 12, 31, "#HEUTE_VORJAHR#", "31.12.2027"},
    });
}

TEST_F(MDDynTokens, MonthTokensInTableOrder) {
    Pruefe({
        {2025, 1, 15, "#MONAT_NAECHSTER_ANFANG#", "01.02.2025"},
        {2025, 1, 15, "#MONAT_NAECHSTER_ENDE#", "28.02.2025"},
        {2025, 1, 15, "#MONAT_UEBERNAECHSTER_ANFANG#", "01.03.2025"},
        {2025, 1, 15, "#MONAT_UEBERNAECHSTER_ENDE#", "31.03.2025"},
    });
}

TEST_F(MDDynTokens, MonthTokensCrossTheYearEnd) {
    Pruefe({
        {2025, 11, 30, "#MONAT_UEBERNAECHSTER_ANFANG#", "01.01.2026"},
        {2025, 11, 30, "#MONAT_UEBERNAECHSTER_ENDE#", "31.01.2026"},
        {2027, 12, 31, "#MONAT_NAECHSTER_ENDE#", "31.01.2028"},
        {2027, 12, 31, "#MONAT_UEBERNAECHSTER_ENDE#", "29.02.2028"},
        {2024, 1, 31, "#MONAT_NAECHSTER_ENDE#", "29.02.2024"},
        {2024, 12, 1, "#MONAT_NAECHSTER_ANFANG#", "01.01.2025"},
    });
}

TEST_F(MDDynTokens, DaysAndMonthsBelowTenHaveALeadingZero) {
    Pruefe({
        {2025, 3, 5, "#HEUTE_VORJAHR#", "05.03.2024"},
        {2025, 7, 9, "#MONAT_NAECHSTER_ANFANG#", "01.08.2025"},
        {2025, 3, 5, "#HEUTE#", "05.03.2025"},
        {2025, 3, 5, "Stichtag #GESTERN#!", "Stichtag 04.03.2025!"},
    });
}

TEST_F(MDDynTokens, FixedTokensFollowTheClockCalculatorTokensTheDayOfCreation) {
    TFixedClock uhr(2025, 1, 31);
    const TZEP_MD_Tokenlist liste;
    uhr.Set(QDateTime(QDate(2025, 2, 1), QTime(0, 0, 1)));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#HEUTE_VORJAHR#")), QStringLiteral("01.02.2024"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#MONAT_NAECHSTER_ANFANG#")),
              QStringLiteral("01.03.2025"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#HEUTE#")), QStringLiteral("31.01.2025"));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#FOLGEMONAT_ANFANG#")), QStringLiteral("01.02.2025"));
}

TEST_F(MDDynTokens, ATimePointThatCannotBeComputedBecomesEmptyText) {
    TFixedClock uhr(9999, 12, 31);
    const TZEP_MD_Tokenlist liste;
    EXPECT_EQ(Replaced(liste, QStringLiteral("#MORGEN#")), QString());
    EXPECT_EQ(Replaced(liste, QStringLiteral("bis #FOLGEJAHR_ENDE#.")), QStringLiteral("bis ."));
    EXPECT_EQ(Replaced(liste, QStringLiteral("#HEUTE#")), QStringLiteral("31.12.9999"));
}
