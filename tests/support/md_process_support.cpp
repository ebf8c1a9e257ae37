#include "md_process_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "md_test_support.h"
#include "vko_folder.h"

namespace {

constexpr const char* CPassedOn[] = {"PATH",         "LANG",         "LC_ALL",  "TZ",
                                     "TMPDIR",       "USER",         "LOGNAME", "ASAN_OPTIONS",
                                     "LSAN_OPTIONS", "UBSAN_OPTIONS"};
constexpr const char* CDisplayVariables[] = {"DISPLAY", "XAUTHORITY"};

void PassOn(QProcessEnvironment& AEnvironment, const char* AName) {
    if (qEnvironmentVariableIsSet(AName)) {
        AEnvironment.insert(QString::fromLatin1(AName), qEnvironmentVariable(AName));
    }
}

}  // namespace

QProcessEnvironment MD_TestEnvironment(const TTempHome& AHome, TDisplay ADisplay) {
    QProcessEnvironment environment;
    for (const char* name : CPassedOn) {
        PassOn(environment, name);
    }
    environment.insert(QStringLiteral("HOME"), AHome.Path());
    if (ADisplay == TDisplay::X11) {
        for (const char* name : CDisplayVariables) {
            PassOn(environment, name);
        }
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    return environment;
}

QStringList Args(std::initializer_list<const char*> AArguments) {
    QStringList arguments;
    for (const char* argument : AArguments) {
        arguments.append(QString::fromUtf8(argument));
    }
    return arguments;
}

void StartProcess(QProcess& AProcess, const QString& AProgram, const QStringList& AArguments,
                  const QProcessEnvironment& AEnvironment) {
    AProcess.setProcessEnvironment(AEnvironment);
    AProcess.start(AProgram, AArguments);
    ASSERT_TRUE(AProcess.waitForStarted(10000)) << AProgram.toStdString();
}

TProcessResult FinishProcess(QProcess& AProcess, int ATimeoutMs) {
    EXPECT_TRUE(AProcess.waitForFinished(ATimeoutMs)) << "the program did not end";
    TProcessResult result;
    result.Killed = AProcess.exitStatus() == QProcess::CrashExit;
    result.ExitCode = result.Killed ? -1 : AProcess.exitCode();
    result.StandardOutput = QString::fromLocal8Bit(AProcess.readAllStandardOutput());
    result.StandardError = QString::fromLocal8Bit(AProcess.readAllStandardError());
    return result;
}

TProcessResult RunProcess(const QString& AProgram, const QStringList& AArguments,
                          const QProcessEnvironment& AEnvironment, int ATimeoutMs) {
    QProcess process;
    StartProcess(process, AProgram, AArguments, AEnvironment);
    return FinishProcess(process, ATimeoutMs);
}

QByteArray FileBytes(const QString& APath) {
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& APath, const QByteArray& ABytes) {
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << APath.toStdString();
    ASSERT_EQ(file.write(ABytes), ABytes.size());
}

void SetMode(const QString& APath, unsigned AMode) {
    ASSERT_EQ(::chmod(QFile::encodeName(APath).constData(), AMode), 0) << APath.toStdString();
}

QString DatabaseIn(const TTempHome& AHome) {
    return AHome.DataFolder() + QStringLiteral("/quandrix.db");
}

QString PlayedByProbe() {
    return QString::fromUtf8(
        FileBytes(VKO_FilePath(TVKOFolder::Daten, QStringLiteral("gespielt.txt"))));
}

bool ProcessRuns(qint64 APid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(APid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    return state < line.size() && line.at(state) != 'Z';
}

bool ProcessEnds(qint64 APid, int AMs) {
    QElapsedTimer timer;
    timer.start();
    while (ProcessRuns(APid)) {
        if (timer.elapsed() > AMs) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

QList<qint64> RunningProcesses(const QByteArray& AName, qint64 AParent) {
    QList<qint64> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() <= 0 || !stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (line.contains('(' + AName + ')') && after.size() > 1 && after.at(0) != "Z" &&
            (AParent == 0 || after.at(1).toLongLong() == AParent)) {
            found.append(entry.toLongLong());
        }
    }
    return found;
}
