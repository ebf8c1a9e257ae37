#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <chrono>

// Time points the calculator knows. Those relative to the current date form one contiguous
// range, from ZeitpunktId_Aktuell_Low to ZeitpunktId_Aktuell_High.
enum class TVKO_Zeitpunkt_Id : quint8 {
    Heute = 1,
    Gestern,
    Morgen,
    Woche_Anfang,
    Woche_Ende,
    Vorwoche_Anfang,
    Vorwoche_Ende,
    Folgewoche_Anfang,
    Folgewoche_Ende,
    Monat_Anfang,
    Monat_Ende,
    Vormonat_Anfang,
    Vormonat_Ende,
    Folgemonat_Anfang,
    Folgemonat_Ende,
    Quartal_Anfang,
    Quartal_Ende,
    Vorquartal_Anfang,
    Vorquartal_Ende,
    Folgequartal_Anfang,
    Folgequartal_Ende,
    Jahr_Anfang,
    Jahr_Ende,
    Vorjahr_Anfang,
    Vorjahr_Ende,
    Folgejahr_Anfang,
    Folgejahr_Ende,
};

// Description of one time point: its code (a short name without blanks) and a German text.
struct TVKO_ZP_Info {
    TVKO_Zeitpunkt_Id Id = TVKO_Zeitpunkt_Id::Heute;
    QString Code;
    QString Beschreibung;
};

// The suite's time-point calculator: computes the dates of its time points relative to a
// reference point. Weeks run from Monday to Sunday.
class TVKO_ZRZP_Berechner {
public:
    void SetAktuellerZeitpunkt(const QDateTime& AZeitpunkt);
    const QDateTime& AktuellerZeitpunkt() const { return FAktuellerZeitpunkt; }

    static TVKO_Zeitpunkt_Id ZeitpunktId_Aktuell_Low();
    static TVKO_Zeitpunkt_Id ZeitpunktId_Aktuell_High();
    // Raises EVKO_Error for an identifier the calculator does not know.
    static TVKO_ZP_Info ZeitpunktInfo_ById(TVKO_Zeitpunkt_Id AId);

    // Computes the date of the time point and keeps it (Zeitpunkt). False when there is no
    // reference point or the date falls outside the years 1 to 9999.
    bool BerechneZeitpunkt(TVKO_Zeitpunkt_Id AId);
    std::chrono::year_month_day Zeitpunkt() const { return FZeitpunkt; }

private:
    QDateTime FAktuellerZeitpunkt;
    std::chrono::year_month_day FZeitpunkt;
};
