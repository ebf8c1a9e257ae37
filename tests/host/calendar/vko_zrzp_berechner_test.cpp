#include <gtest/gtest.h>

#include <QSet>

#include "md_test_support.h"
#include "vko_datum.h"
#include "vko_info.h"
#include "vko_zrzp_berechner.h"

namespace {

struct TFall {
    QDate Heute;
    const char* Code;
    const char* Erwartet;  // empty: not computable
};

std::optional<TVKO_Zeitpunkt_Id> IdVon(const QString& ACode) {
    for (int id = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_Low());
         id <= static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_High()); ++id) {
        const TVKO_ZP_Info info =
            TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(static_cast<TVKO_Zeitpunkt_Id>(id));
        if (info.Code == ACode) {
            return info.Id;
        }
    }
    return std::nullopt;
}

QString Berechnet(const QDate& AHeute, const char* ACode) {
    TVKO_ZRZP_Berechner berechner;
    berechner.SetAktuellerZeitpunkt(QDateTime(AHeute, QTime(8, 0)));
    const auto id = IdVon(QString::fromLatin1(ACode));
    if (!id) {
        ADD_FAILURE() << "unknown code " << ACode;
        return {};
    }
    return berechner.BerechneZeitpunkt(*id) ? VKO_DatumText(berechner.Zeitpunkt()) : QString();
}

void Pruefe(const std::vector<TFall>& AFaelle) {
    for (const TFall& fall : AFaelle) {
        EXPECT_EQ(Berechnet(fall.Heute, fall.Code), QString::fromLatin1(fall.Erwartet))
            << fall.Code << " on " << fall.Heute.toString(Qt::ISODate).toStdString();
    }
}

}  // namespace

TEST(VKOZeitpunkte, FormOneRangeWithUniqueCodesAndDescriptions) {
    const int low = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_Low());
    const int high = static_cast<int>(TVKO_ZRZP_Berechner::ZeitpunktId_Aktuell_High());
    ASSERT_LE(low, high);
    QSet<QString> codes;
    QSet<QString> beschreibungen;
    for (int id = low; id <= high; ++id) {
        const TVKO_ZP_Info info =
            TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(static_cast<TVKO_Zeitpunkt_Id>(id));
        EXPECT_EQ(static_cast<int>(info.Id), id);
        EXPECT_FALSE(info.Code.isEmpty());
        EXPECT_FALSE(info.Code.contains(QLatin1Char('#')) || info.Code.contains(QLatin1Char(' ')))
            << info.Code.toStdString();
        EXPECT_FALSE(info.Beschreibung.isEmpty());
        codes.insert(info.Code);
        beschreibungen.insert(info.Beschreibung);
    }
    EXPECT_EQ(codes.size(), high - low + 1);
    EXPECT_EQ(beschreibungen.size(), high - low + 1);
    EXPECT_THROW(TVKO_ZRZP_Berechner::ZeitpunktInfo_ById(static_cast<TVKO_Zeitpunkt_Id>(high + 1)),
                 EVKO_Error);
}

TEST(VKOZeitpunkte, EveryTimePointOnAWednesdayInJanuary) {
    const QDate heute(2025, 1, 15);
    Pruefe({
        {heute, "HEUTE", "15.01.2025"},
        {heute, "GESTERN", "14.01.2025"},
        {heute, "MORGEN", "16.01.2025"},
        {heute, "WOCHE_ANFANG", "13.01.2025"},
        {heute, "WOCHE_ENDE", "19.01.2025"},
        {heute, "VORWOCHE_ANFANG", "06.01.2025"},
        {heute, "VORWOCHE_ENDE", "12.01.2025"},
        {heute, "FOLGEWOCHE_ANFANG", "20.01.2025"},
        {heute, "FOLGEWOCHE_ENDE", "26.01.2025"},
        {heute, "MONAT_ANFANG", "01.01.2025"},
        {heute, "MONAT_ENDE", "31.01.2025"},
        {heute, "VORMONAT_ANFANG", "01.12.2024"},
        {heute, "VORMONAT_ENDE", "31.12.2024"},
        {heute, "FOLGEMONAT_ANFANG", "01.02.2025"},
        {heute, "FOLGEMONAT_ENDE", "28.02.2025"},
        {heute, "QUARTAL_ANFANG", "01.01.2025"},
        {heute, "QUARTAL_ENDE", "31.03.2025"},
        {heute, "VORQUARTAL_ANFANG", "01.10.2024"},
        {heute, "VORQUARTAL_ENDE", "31.12.2024"},
        {heute, "FOLGEQUARTAL_ANFANG", "01.04.2025"},
        {heute, "FOLGEQUARTAL_ENDE", "30.06.2025"},
        {heute, "JAHR_ANFANG", "01.01.2025"},
        {heute, "JAHR_ENDE", "31.12.2025"},
        {heute, "VORJAHR_ANFANG", "01.01.2024"},
        {heute, "VORJAHR_ENDE", "31.12.2024"},
        {heute, "FOLGEJAHR_ANFANG", "01.01.2026"},
        {heute, "FOLGEJAHR_ENDE", "31.12.2026"},
    });
}

TEST(VKOZeitpunkte, WeeksRunFromMondayToSunday) {
    Pruefe({
        {QDate(2025, 1, 13), "WOCHE_ANFANG", "13.01.2025"},
        {QDate(2025, 1, 13), "WOCHE_ENDE", "19.01.2025"},
        {QDate(2025, 1, 19), "WOCHE_ANFANG", "13.01.2025"},
        {QDate(2025, 1, 19), "WOCHE_ENDE", "19.01.2025"},
        {QDate(2025, 1, 19), "FOLGEWOCHE_ANFANG", "20.01.2025"},
        {QDate(2025, 1, 13), "VORWOCHE_ENDE", "12.01.2025"},
    });
}

TEST(VKOZeitpunkte, MonthAndYearEnds) {
    Pruefe({
        {QDate(2024, 12, 31), "MORGEN", "01.01.2025"},
        {QDate(2024, 12, 31), "WOCHE_ANFANG", "30.12.2024"},
        {QDate(2024, 12, 31), "WOCHE_ENDE", "05.01.2025"},
        {QDate(2024, 12, 31), "FOLGEMONAT_ENDE", "31.01.2025"},
        {QDate(2024, 12, 31), "QUARTAL_ANFANG", "01.10.2024"},
        {QDate(2024, 12, 31), "FOLGEQUARTAL_ANFANG", "01.01.2025"},
        {QDate(2024, 12, 31), "FOLGEQUARTAL_ENDE", "31.03.2025"},
        {QDate(2024, 12, 31), "FOLGEJAHR_ANFANG", "01.01.2025"},
        {QDate(2025, 1, 1), "GESTERN", "31.12.2024"},
        {QDate(2025, 1, 1), "VORWOCHE_ANFANG", "23.12.2024"},
        {QDate(2025, 1, 1), "VORWOCHE_ENDE", "29.12.2024"},
        {QDate(2025, 1, 1), "VORMONAT_ANFANG", "01.12.2024"},
        {QDate(2025, 1, 1), "VORQUARTAL_ENDE", "31.12.2024"},
        {QDate(2025, 1, 1), "VORJAHR_ENDE", "31.12.2024"},
        {QDate(2025, 4, 30), "MORGEN", "01.05.2025"},
        {QDate(2025, 4, 30), "MONAT_ENDE", "30.04.2025"},
        {QDate(2025, 5, 31), "VORMONAT_ENDE", "30.04.2025"},
        {QDate(2025, 6, 30), "QUARTAL_ANFANG", "01.04.2025"},
        {QDate(2025, 6, 30), "FOLGEQUARTAL_ENDE", "30.09.2025"},
        {QDate(2025, 10, 1), "VORQUARTAL_ENDE", "30.09.2025"},
        {QDate(2025, 10, 1), "FOLGEQUARTAL_ENDE", "31.03.2026"},
    });
}

TEST(VKOZeitpunkte, LeapYears) {
    Pruefe({
        {QDate(2024, 2, 29), "HEUTE", "29.02.2024"},
        {QDate(2024, 2, 29), "MORGEN", "01.03.2024"},
        {QDate(2024, 2, 29), "MONAT_ENDE", "29.02.2024"},
        {QDate(2024, 2, 29), "VORMONAT_ENDE", "31.01.2024"},
        {QDate(2024, 2, 29), "WOCHE_ENDE", "03.03.2024"},
        {QDate(2024, 3, 1), "GESTERN", "29.02.2024"},
        {QDate(2024, 3, 31), "VORMONAT_ENDE", "29.02.2024"},
        {QDate(2024, 1, 31), "FOLGEMONAT_ENDE", "29.02.2024"},
        {QDate(2025, 1, 31), "FOLGEMONAT_ENDE", "28.02.2025"},
        {QDate(2023, 2, 28), "MORGEN", "01.03.2023"},
        {QDate(2100, 2, 10), "MONAT_ENDE", "28.02.2100"},
        {QDate(2000, 2, 10), "MONAT_ENDE", "29.02.2000"},
    });
}

TEST(VKOZeitpunkte, DatesBeyondTheCalendarAreNotComputable) {
    Pruefe({
        {QDate(9999, 12, 31), "HEUTE", "31.12.9999"},
        {QDate(9999, 12, 31), "MORGEN", ""},
        {QDate(9999, 12, 31), "FOLGEJAHR_ANFANG", ""},
        {QDate(9999, 12, 31), "WOCHE_ENDE", ""},
        {QDate(1, 1, 1), "GESTERN", ""},
        {QDate(1, 1, 1), "VORMONAT_ANFANG", ""},
        {QDate(1, 1, 1), "JAHR_ANFANG", "01.01.0001"},
    });
    TVKO_ZRZP_Berechner ohneBezug;
    EXPECT_FALSE(ohneBezug.BerechneZeitpunkt(TVKO_Zeitpunkt_Id::Heute));
    ohneBezug.SetAktuellerZeitpunkt(QDateTime(QDate(2025, 1, 15), QTime(8, 0)));
    EXPECT_FALSE(ohneBezug.BerechneZeitpunkt(static_cast<TVKO_Zeitpunkt_Id>(0)));
}

TEST(VKOZeitpunkte, ComputeFromTheReferencePointNotFromTheClock) {
    TFixedClock uhr(2030, 6, 1);
    TVKO_ZRZP_Berechner berechner;
    berechner.SetAktuellerZeitpunkt(QDateTime(QDate(2025, 1, 15), QTime(23, 59)));
    ASSERT_TRUE(berechner.BerechneZeitpunkt(TVKO_Zeitpunkt_Id::Morgen));
    EXPECT_EQ(VKO_DatumText(berechner.Zeitpunkt()), QStringLiteral("16.01.2025"));
}
