#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <chrono>

// The calendar day of a date and time. Raises EVKO_Error for an invalid date and for one
// outside the years 1 to 9999.
std::chrono::year_month_day VKO_Datum(const QDateTime& ADatum);
std::chrono::year_month_day VKO_Datum(const QDate& ADatum);

// The years a date text "dd.mm.yyyy" can hold.
bool VKO_DatumImBereich(const std::chrono::year_month_day& ADatum);

// "dd.mm.yyyy", for example 01.03.2025. Raises EVKO_Error for a date outside the years 1 to 9999.
QString VKO_DatumText(const std::chrono::year_month_day& ADatum);
