#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

// Whether the process runs the program file AExecutable (the same file, found through
// /proc/<pid>/exe); false for an unknown process or one of another user.
bool ZEP_GA_RunsExecutable(qint64 APid, const QString& AExecutable);

// A target program that the player started. It runs in a process group of its own, so that
// ending it also ends what it started (a start script and the program behind it).
class TZEP_GA_TargetProcess {
public:
    // Starts AArguments[0] (searched in PATH without a folder) with the other arguments and
    // standard input from /dev/null, in AUmgebung ("NAME=value" each) or, when it is empty, in
    // the process's own environment; raises EVKO_Error when it cannot be started.
    static std::unique_ptr<TZEP_GA_TargetProcess> Start(const QStringList& AArguments,
                                                        const QByteArrayList& AUmgebung = {});

    ~TZEP_GA_TargetProcess();
    TZEP_GA_TargetProcess(const TZEP_GA_TargetProcess&) = delete;
    TZEP_GA_TargetProcess& operator=(const TZEP_GA_TargetProcess&) = delete;

    // True while the program or anything it started in its group still runs.
    bool IsRunning();
    // How the started process ended, e.g. "Exit-Code 3"; empty while it runs.
    const QString& EndDescription() const { return FEndDescription; }
    // Whether a process with this id is the program or was started by it into its group.
    bool Owns(qint64 APid) const;
    // Asks the group to end, and kills it when it is still there after AGraceMs.
    void End(int AGraceMs);

private:
    explicit TZEP_GA_TargetProcess(qint64 APid) : FPid(APid) {}
    void Reap();

    qint64 FPid = 0;
    bool FReaped = false;
    QString FEndDescription;
};
