#pragma once

#include <QDateTime>
#include <chrono>

// The suite's period record: one calendar month.
class TVKO_Periode {
public:
    // The month that contains the date.
    static TVKO_Periode ConstructFromDate(const QDateTime& ADatum);
    explicit TVKO_Periode(std::chrono::year_month AMonat) : FMonat(AMonat) {}

    // The n-th following month; a negative n goes back.
    TVKO_Periode GetNext(int AAnzahl) const;
    std::chrono::year_month_day Monatsanfang() const;
    std::chrono::year_month_day Monatsende() const;
    std::chrono::year_month Monat() const { return FMonat; }

    friend bool operator==(const TVKO_Periode&, const TVKO_Periode&) = default;

private:
    std::chrono::year_month FMonat;
};
