#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "vko_plansatz.h"

class TVKO_Database;

// The plan store: plan records and their program calls, in tables of the database that also
// holds the record file. A new record gets the id (row, 0, 0); an id is never given twice.
// The database is opened at the first operation, so that an unattended run, which plans
// nothing, never touches the plan tables, and a damaged file is not written to.
class TPlanManiDM {
public:
    // Opens the database in the data folder.
    TPlanManiDM();
    // Opens the database at ADatabasePath; for tests.
    explicit TPlanManiDM(const QString& ADatabasePath);
    // Works on the connection of the record file, which outlives it, so that a record and
    // its plan are written in one transaction.
    explicit TPlanManiDM(TVKO_Database& ADatabase);
    ~TPlanManiDM();
    TPlanManiDM(const TPlanManiDM&) = delete;
    TPlanManiDM& operator=(const TPlanManiDM&) = delete;

    const QString& Path() const { return FPath; }

    // Reads the record APlanId with its program calls; false, and both left as they are, when
    // the store does not know the id.
    [[nodiscard]] bool PlanLaden(const TIntTrio& APlanId, TPlanSatz& APlansatz,
                                 TZEP_PfadKommandoArgumenteList& AKommandos);
    // Writes the record with its program calls in one transaction. A record without a defined
    // id, or with an id the store does not know, is added and gets a new id; a known one is
    // replaced. The two flags are the suite's and have no effect here.
    bool PlanSpeichern(TPlanSatz& APlansatz, const TZEP_PfadKommandoArgumenteList& AKommandos,
                       bool AFlag1, bool AFlag2);
    // Removes the record and its program calls; false when there was none.
    bool PlanLoeschen(const TIntTrio& APlanId);
    // The ids of all records whose job text is AJobText (without regard to case).
    QList<TIntTrio> PlanIds_ByJobText(const QString& AJobText);
    // The ids of all records, in the order they were added.
    QList<TIntTrio> PlanIds();
    // Whether this workstation runs the record: every record of a database of its own, on a
    // shared one those its planner id names this workstation in.
    bool Eigener(const TPlanSatz& APlansatz) const;
    // The Mandorel a record runs, named by its job text "Mandorel;<program>;<name key>": true,
    // with both keys as the record file stores them, only when the record file holds it.
    bool Mandorel_ZumPlan(const TPlanSatz& APlansatz, QString& AProgramm, QString& ANameKey);

private:
    TVKO_Database& Database();

    QString FPath;
    std::unique_ptr<TVKO_Database> FEigene;
    TVKO_Database* FDatabase = nullptr;
    bool FSchema = false;
    // This workstation, read at the first question.
    mutable QString FArbeitsplatz;
};
