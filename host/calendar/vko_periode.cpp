#include "vko_periode.h"

#include "vko_datum.h"

TVKO_Periode TVKO_Periode::ConstructFromDate(const QDateTime& ADatum) {
    const std::chrono::year_month_day tag = VKO_Datum(ADatum);
    return TVKO_Periode(tag.year() / tag.month());
}

TVKO_Periode TVKO_Periode::GetNext(int AAnzahl) const {
    return TVKO_Periode(FMonat + std::chrono::months{AAnzahl});
}

std::chrono::year_month_day TVKO_Periode::Monatsanfang() const {
    return FMonat / std::chrono::day{1};
}

std::chrono::year_month_day TVKO_Periode::Monatsende() const {
    return std::chrono::year_month_day{FMonat / std::chrono::last};
}
