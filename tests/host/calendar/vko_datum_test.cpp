#include <gtest/gtest.h>

#include "vko_datum.h"
#include "vko_info.h"
#include "vko_periode.h"

using namespace std::chrono;

namespace {

QDateTime Am(int AYear, int AMonth, int ADay) {
    return QDateTime(QDate(AYear, AMonth, ADay), QTime(23, 59, 59));
}

QString Text(const year_month_day& ADatum) {
    return VKO_DatumText(ADatum);
}

}  // namespace

TEST(VKODatum, TextHasTwoDigitDayAndMonthAndFourDigitYear) {
    EXPECT_EQ(Text(2025y / March / 1d), QStringLiteral("01.03.2025"));
    EXPECT_EQ(Text(2025y / December / 31d), QStringLiteral("31.12.2025"));
    EXPECT_EQ(Text(year{812} / July / 9d), QStringLiteral("09.07.0812"));
}

TEST(VKODatum, DatesOutsideTheYearsOneToNineThousandNineHundredNinetyNineAreRefused) {
    EXPECT_THROW(Text(year{0} / December / 31d), EVKO_Error);
    EXPECT_THROW(Text(year{10000} / January / 1d), EVKO_Error);
    EXPECT_THROW(Text(2025y / February / 30d), EVKO_Error);
    EXPECT_THROW(VKO_Datum(QDateTime()), EVKO_Error);
    EXPECT_THROW(VKO_Datum(QDate(10000, 1, 1)), EVKO_Error);
    EXPECT_THROW(VKO_Datum(QDate(-1, 12, 31)), EVKO_Error);
    EXPECT_EQ(VKO_Datum(Am(2024, 2, 29)), 2024y / February / 29d);
    EXPECT_EQ(VKO_Datum(QDate(1, 1, 1)), year{1} / January / 1d);
}

TEST(VKOPeriode, IsTheMonthOfTheDateWithItsFirstAndLastDay) {
    const TVKO_Periode januar = TVKO_Periode::ConstructFromDate(Am(2025, 1, 31));
    EXPECT_EQ(januar.Monat(), 2025y / January);
    EXPECT_EQ(januar.Monatsanfang(), 2025y / January / 1d);
    EXPECT_EQ(januar.Monatsende(), 2025y / January / 31d);
    EXPECT_EQ(TVKO_Periode(2025y / April).Monatsende(), 2025y / April / 30d);
}

TEST(VKOPeriode, FebruaryEndsOnTheTwentyNinthOnlyInLeapYears) {
    EXPECT_EQ(TVKO_Periode(2024y / February).Monatsende(), 2024y / February / 29d);
    EXPECT_EQ(TVKO_Periode(2025y / February).Monatsende(), 2025y / February / 28d);
    EXPECT_EQ(TVKO_Periode(2100y / February).Monatsende(), 2100y / February / 28d);
    EXPECT_EQ(TVKO_Periode(2000y / February).Monatsende(), 2000y / February / 29d);
}

TEST(VKOPeriode, GetNextCrossesYearEndsInBothDirections) {
    const TVKO_Periode november = TVKO_Periode::ConstructFromDate(Am(2025, 11, 30));
    EXPECT_EQ(november.GetNext(1).Monat(), 2025y / December);
    EXPECT_EQ(november.GetNext(2).Monat(), 2026y / January);
    EXPECT_EQ(november.GetNext(14).Monat(), 2027y / January);
    EXPECT_EQ(november.GetNext(-11).Monat(), 2024y / December);
    EXPECT_EQ(november.GetNext(0), november);
    EXPECT_EQ(TVKO_Periode(2027y / December).GetNext(2).Monatsende(), 2028y / February / 29d);
}
