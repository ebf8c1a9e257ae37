#include "md_recording_systemctl.h"

#include <QDir>
#include <QFile>

TRecordingSystemctl::TRecordingSystemctl(bool AErreichbar, const QString& AUmgebung)
    : FOldPath(qgetenv("PATH")) {
    const QString log = FDir.filePath(QStringLiteral("calls.log"));
    QFile skript(FDir.filePath(QStringLiteral("bin/systemctl")));
    QDir(FDir.path()).mkpath(QStringLiteral("bin"));
    skript.open(QIODevice::WriteOnly);
    skript.write(QStringLiteral("#!/bin/sh\n"
                                "shift\n"
                                "echo \"$*\" >> '%1'\n"
                                "if [ \"$1\" = show-environment ]; then\n"
                                "  %2\n"
                                "  printf '%3\\n'\n"
                                "fi\n"
                                "exit 0\n")
                     .arg(log,
                          AErreichbar
                              ? QStringLiteral(":")
                              : QStringLiteral("echo 'Failed to connect to bus' >&2; exit 1"),
                          AUmgebung)
                     .toUtf8());
    skript.close();
    skript.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH",
            (FDir.filePath(QStringLiteral("bin")) + QLatin1Char(':')).toLocal8Bit() + FOldPath);
}

TRecordingSystemctl::~TRecordingSystemctl() {
    qputenv("PATH", FOldPath);
}

QStringList TRecordingSystemctl::Take() {
    QFile log(FDir.filePath(QStringLiteral("calls.log")));
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QStringList zeilen =
        QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    log.close();
    log.remove();
    return zeilen;
}

void TRecordingSystemctl::Entfernen() {
    QDir(FDir.path()).mkpath(QStringLiteral("leer"));
    qputenv("PATH", FDir.filePath(QStringLiteral("leer")).toLocal8Bit());
}
