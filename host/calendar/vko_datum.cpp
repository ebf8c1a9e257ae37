#include "vko_datum.h"

#include "vko_info.h"

namespace {

const QDate CEpoch(1970, 1, 1);

}  // namespace

std::chrono::year_month_day VKO_Datum(const QDate& ADatum) {
    if (!ADatum.isValid() || ADatum.year() < 1 || ADatum.year() > 9999) {
        throw EVKO_Error(QStringLiteral("Das Datum „%1“ ist ungültig oder liegt außerhalb der "
                                        "Jahre 1 bis 9999.")
                             .arg(ADatum.toString(Qt::ISODate)),
                         CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    // Through the day count, because QDate has no year 0 and the calendar types do.
    return std::chrono::year_month_day{
        std::chrono::sys_days{std::chrono::days{CEpoch.daysTo(ADatum)}}};
}

std::chrono::year_month_day VKO_Datum(const QDateTime& ADatum) {
    return VKO_Datum(ADatum.date());
}

bool VKO_DatumImBereich(const std::chrono::year_month_day& ADatum) {
    return ADatum.ok() && ADatum.year() >= std::chrono::year{1} &&
           ADatum.year() <= std::chrono::year{9999};
}

QString VKO_DatumText(const std::chrono::year_month_day& ADatum) {
    if (!VKO_DatumImBereich(ADatum)) {
        throw EVKO_Error(
            QStringLiteral("Das Datum liegt außerhalb der Jahre 1 bis 9999 und lässt sich nicht "
                           "als TT.MM.JJJJ schreiben."),
            CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    return QStringLiteral("%1.%2.%3")
        .arg(static_cast<unsigned>(ADatum.day()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(ADatum.month()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<int>(ADatum.year()), 4, 10, QLatin1Char('0'));
}
