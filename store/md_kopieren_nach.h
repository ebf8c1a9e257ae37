#pragma once

#include <QString>
#include <QStringList>

// Moves a workstation into a shared database: copies the Mandorele, plans, layouts and history
// rows of the file AQuelle into the empty database of the service ADienst, in one transaction,
// with their ids, so that a Mandorel still names its plans. Answers one line per table with
// what it copied. A database that already holds a row of any of them is refused, and nothing
// is written.
QStringList MD_KopierenNach(const QString& AQuelle, const QString& ADienst);
