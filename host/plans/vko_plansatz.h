#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

#include "vko_inttrio.h"

// The kinds of timetable, one page each of the planning form.
enum class TPlanArt {
    Keine = 0,
    Taeglich = 1,
    Woechentlich = 2,
    Monatlich = 3,
    Einmalig = 4,
};

// Which day of the month a monthly plan runs on.
enum class TPlanMonatsRegel {
    Tag = 0,
    LetzterTag = 1,
    ErsterWochentag = 2,
};

// One scheduled job of the plan store: who planned it, what it starts, and its timetable.
struct TPlanSatz {
    TIntTrio PlanId;
    int RId = 0;
    QString PlanerId;
    QString JobText;
    QChar Flag1 = QLatin1Char('N');
    QChar Flag2 = QLatin1Char('N');
    TIntPair Paar;
    QChar Flag3 = QLatin1Char('N');
    QChar Flag4 = QLatin1Char('N');
    QChar Flag5 = QLatin1Char('N');

    bool Aktiv = false;
    TPlanArt Art = TPlanArt::Keine;
    QTime Uhrzeit{6, 0};
    int AlleNTage = 1;
    bool NurWerktage = false;
    // Bit 0 is Monday, bit 6 Sunday.
    int Wochentage = 0;
    TPlanMonatsRegel MonatsRegel = TPlanMonatsRegel::Tag;
    int MonatsTag = 1;
    // 1 Monday ... 7 Sunday, for the first such day of the month.
    int MonatsWochentag = 1;
    QDateTime Einmalig;
    // Optional bounds of the plan, both days included.
    QDate ErsterTag;
    QDate LetzterTag;
    // Runs on a private display of its own instead of the user's.
    bool EigenerBildschirm = false;
};

// A "not planned" record: nothing is run for it.
void Clear_Plansatz(TPlanSatz& APlansatz);

// The workstation whose planner id ("MANDOREL@<workstation>") the record carries.
QString Plansatz_Arbeitsplatz(const TPlanSatz& APlansatz);

// True when the record asks for runs at all.
bool Plansatz_Geplant(const TPlanSatz& APlansatz);

// The timetable as text of key=value lines, and back; the plan store keeps it so.
QString Zeitplan2Text(const TPlanSatz& APlansatz);
// Raises EVKO_Error for a text that is not a timetable.
void Text2Zeitplan(const QString& AText, TPlanSatz& APlansatz);

// The first planned run strictly after AAb (local time), or an invalid value when there is none.
QDateTime NaechsteAusfuehrung(const TPlanSatz& APlansatz, const QDateTime& AAb);

// The suite's record of one program start.
struct TZEP_PfadKommandoArgumenteRec {
    quint8 Art = 0;
    QString Text1;
    QString Text2;
    QString Programm;
    QString Argumente;
};

using TZEP_PfadKommandoArgumenteList = QList<TZEP_PfadKommandoArgumenteRec>;
