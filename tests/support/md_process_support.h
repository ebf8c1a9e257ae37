#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <initializer_list>

class TTempHome;

// How a started program ended.
struct TProcessResult {
    int ExitCode = -1;
    bool Killed = false;  // ended by a signal
    QString StandardOutput;
    QString StandardError;
};

enum class TDisplay {
    Offscreen,  // no windows on any display
    X11,        // the X display of the run (xvfb-run)
};

// The environment of a program a test starts: built from nothing but what a session provides
// (path, display, locale, sanitizer options), with HOME in the test's folder, so that no
// variable of the calling shell can move its settings or data elsewhere.
QProcessEnvironment MD_TestEnvironment(const TTempHome& AHome,
                                       TDisplay ADisplay = TDisplay::Offscreen);

QStringList Args(std::initializer_list<const char*> AArguments);

// Starts and fails the test when the program cannot be started.
void StartProcess(QProcess& AProcess, const QString& AProgram, const QStringList& AArguments,
                  const QProcessEnvironment& AEnvironment);
TProcessResult FinishProcess(QProcess& AProcess, int ATimeoutMs = 90000);
TProcessResult RunProcess(const QString& AProgram, const QStringList& AArguments,
                          const QProcessEnvironment& AEnvironment, int ATimeoutMs = 90000);

QByteArray FileBytes(const QString& APath);

// A process that is gone or a zombie no longer runs.
bool ProcessRuns(qint64 APid);
// Whether the process is gone within AMs milliseconds.
bool ProcessEnds(qint64 APid, int AMs);
// The running processes with this command name; with AParent only its children.
QList<qint64> RunningProcesses(const QByteArray& AName, qint64 AParent = 0);
void WriteFileBytes(const QString& APath, const QByteArray& ABytes);
// Sets the mode of a file or folder.
void SetMode(const QString& APath, unsigned AMode);

QString DatabaseIn(const TTempHome& AHome);
// What the start-up probe played, from "gespielt.txt" of the data folder.
QString PlayedByProbe();
