#pragma once

#include <QDateTime>
#include <QStringList>

#include "vko_plansatz.h"

// The OnCalendar= values of a timer that runs exactly when the timetable says, seen from AAb.
// A recurring timetable without bounds is one pattern; every n days and bounded ones are the
// dates themselves up to a horizon, renewed at every synchronisation and after every run. Empty
// when nothing runs.
QStringList VKO_OnCalendar(const TPlanSatz& APlansatz, const QDateTime& AAb);
