#pragma once

#include <QString>

// What MD_Datenbank.ini in the settings folder says: the service of the database a team
// shares (DIENST=<name>, the connection itself in pg_service.conf) and, optionally, the name
// this workstation goes by there (ARBEITSPLATZ=<name>).
struct TVKO_DatenbankEinstellung {
    QString Dienst;
    QString Arbeitsplatz;
};

QString VKO_DatenbankEinstellungDatei();

// Both empty without the file; raises message 1058 naming the file when it is faulty.
TVKO_DatenbankEinstellung VKO_DatenbankEinstellung();

// A name as pg_service.conf names its sections, or a workstation: ASCII letters and digits,
// '_', '-' and '.', at most 63; nothing that could add a connection parameter or a key.
bool VKO_IstKennName(const QString& AName);

// This workstation: the name MD_Datenbank.ini gives it, else the machine id, else the host
// name; in upper case.
QString VKO_Arbeitsplatz();
