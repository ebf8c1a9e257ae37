#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <utility>

#include "md_process_support.h"
#include "md_test_support.h"

// What the database holds: name key to the version every field of that Mandorel carries.
using TStand = std::map<QString, qint32>;

// What the commit probe reported: the last returned commit of each Mandorel, and the commit
// it had begun but not finished when it ended.
struct TCommitLog {
    std::map<QString, qint32> Returned;
    std::optional<std::pair<QString, qint32>> InFlight;
    int Commits = 0;
};

// Only whole lines count: a line cut off by the end of the process was never reported.
TCommitLog ParseCommits(const QString& AOutput);

// Every returned commit is stored in its version, the one in flight in its old or its new
// one, every other Mandorel as it was before, and nothing else is there.
void ExpectConsistent(const TStand& ABefore, const TCommitLog& ALog, const TStand& AAfter);

// An isolated HOME with the versioned catalogue, and programs started in it: the start-up
// probe (unattended runs that play into "gespielt.txt") and the commit probe (a window that
// commits).
class TProcessTest : public ::testing::Test {
protected:
    TProcessTest();

    QProcessEnvironment Environment() const;

    // Starts AProgram in the test's HOME; with AUnprivileged as a user without rights beyond
    // a file's mode (root passes every permission check).
    void Start(QProcess& AProcess, const QString& AProgram, const QStringList& AArguments,
               bool AUnprivileged = false) const;
    TProcessResult Finish(QProcess& AProcess) const;
    // Waits until the commit probe has loaded; false when it ended or took too long.
    static bool WaitUntilReady(QProcess& AProcess);
    TProcessResult Run(const QString& AProgram, const QStringList& AArguments,
                       bool AUnprivileged = false) const;
    // An unattended run of PLON/<name> by the start-up probe.
    TProcessResult RunMandorel(const QString& AName, bool AUnprivileged = false) const;

    // Hands HOME to the unprivileged user, so that file modes alone decide what it may do; with
    // ABack to this process's user again, whose runs use only files of their own.
    void HandOverHome(bool ABack = false) const;

    // Stores Mandorele of program PLON in this process, each with the given version.
    void StoreVersioned(const QStringList& ANames, qint32 AVersion) const;
    // Reads every stored Mandorel the way the store does. Fails the test for a database that
    // does not pass its integrity check, a record that does not load, or a Mandorel whose
    // fields carry different versions.
    TStand ReadStand() const;

    QString DatabasePath() const;

    // Puts the stores on a new database of the test cluster, shared as the service "team";
    // this process and the programs it starts are the workstation AArbeitsplatz.
    void UseSharedDatabase(const QString& AArbeitsplatz);
    // The programs of another workstation on the same shared database: settings, units, log
    // and pictures in folders of their own below HOME.
    QProcessEnvironment OtherWorkstation(const QString& AArbeitsplatz) const;
    // The settings folder of the workstation that AEnvironment starts.
    static QString ConfigFolder(const QProcessEnvironment& AEnvironment);

    TTempHome FHome;
    QProcessEnvironment FEnvironment;

private:
    // The unprivileged user may not reach the build folder (a clone under /root), so it runs
    // copies of the programs from a folder it can read.
    QString UnprivilegedCopy(const QString& AProgram) const;

    QTemporaryDir FProgramCopies;
};
