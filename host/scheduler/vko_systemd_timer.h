#pragma once

#include <QDateTime>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "vko_plansatz.h"

class TPlanManiDM;

// What a synchronisation achieved.
enum class TVKO_SyncErgebnis {
    Abgeglichen,      // the units match the plan store, or nothing is planned
    NichtErreichbar,  // planned records wait: no user service manager answered
};

// Runs the plan store's records with systemd's user service manager: each planned record is a
// pair of units quandrix-plan-<id>.timer and .service in the user's systemd folder. The plan
// store is the truth; a synchronisation makes the units follow it. A unit runs only a Mandorel
// the record file holds, with arguments made from its keys, never from text a record carries.
class TVKO_SystemdTimer {
public:
    // AUnitOrdner empty: systemd/user below XDG_CONFIG_HOME. AProgramm empty: the quandrix
    // executable beside the running program.
    explicit TVKO_SystemdTimer(QString AUnitOrdner = {}, QString AProgramm = {});

    const QString& UnitOrdner() const { return FUnitOrdner; }
    static QString UnitName(const TIntTrio& APlanId);

    // The two unit files for a planned record of the Mandorel AProgramm/ANameKey, without the
    // mark line that every written unit starts with; ADisplay empty leaves the display to the
    // service manager's environment.
    QString TimerText(const TPlanSatz& APlansatz, const QDateTime& AAb) const;
    QString ServiceText(const TPlanSatz& APlansatz, const QString& AProgramm,
                        const QString& ANameKey, const QProcessEnvironment& ADisplay) const;
    // The first line of every unit written for the plan store APlanMani; only units that
    // start with it are changed or removed.
    static QString Marke(const TPlanManiDM& APlanMani);

    TVKO_SyncErgebnis Synchronisieren(TPlanManiDM& APlanMani);
    // After a run of the job AJobText: the timers of its records list their dates again from
    // now, so that a plan nobody opens the window for never runs out of dates. Only timers a
    // synchronisation wrote are touched, and the service manager only when dates changed.
    TVKO_SyncErgebnis Erneuern(TPlanManiDM& APlanMani, const QString& AJobText);

private:
    // Runs systemctl --user with AArgumente; false when it could not run or failed.
    bool Systemctl(const QStringList& AArgumente, QString* AAusgabe = nullptr) const;

    QString FUnitOrdner;
    QString FProgramm;
};

// The reload request after a plan record was saved or removed, and at a window start:
// synchronises the units. When planned records wait for a service manager, the log says so.
TVKO_SyncErgebnis PostMessage_ReloadJobs(TPlanManiDM& APlanMani, const TIntTrio& APlanId);
