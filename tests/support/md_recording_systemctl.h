#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A systemctl placed first on PATH for its lifetime that records its calls, one line each.
// With AErreichbar false it answers like a machine without a user service manager;
// AUmgebung is the manager's environment that show-environment prints.
class TRecordingSystemctl {
public:
    explicit TRecordingSystemctl(bool AErreichbar = true,
                                 const QString& AUmgebung = QStringLiteral("LANG=C.UTF-8"));
    ~TRecordingSystemctl();
    TRecordingSystemctl(const TRecordingSystemctl&) = delete;
    TRecordingSystemctl& operator=(const TRecordingSystemctl&) = delete;

    // The calls since the last Take, without the leading "--user".
    QStringList Take();
    // Puts only an empty folder on PATH, so that no systemctl is found at all.
    void Entfernen();

private:
    QTemporaryDir FDir;
    QByteArray FOldPath;
};
