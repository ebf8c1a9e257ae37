#include "vko_unit_ordner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "vko_info.h"

namespace {

const char* const CSperrdatei = ".quandrix-plan.lock";
// A unit is a few hundred bytes; a larger file is not one of ours.
constexpr qint64 CMaxGroesse = 64 * 1024;

[[noreturn]] void RaiseOrdner(const QString& APfad, const QString& AWas) {
    throw EVKO_Error(QStringLiteral("Der Unit-Ordner %1 %2: %3")
                         .arg(APfad, AWas, QString::fromLocal8Bit(std::strerror(errno))));
}

// Creates the missing folders of APfad, each for its owner only.
void OrdnerAnlegen(const QString& APfad) {
    const QStringList teile = QDir::cleanPath(APfad).split(QLatin1Char('/'));
    QString pfad;
    for (const QString& teil : teile) {
        pfad += teil;
        if (!pfad.isEmpty() && ::mkdir(QFile::encodeName(pfad).constData(), 0700) == 0) {
            ::chmod(QFile::encodeName(pfad).constData(), 0700);
        }
        pfad += QLatin1Char('/');
    }
}

void Schliessen(int& AFd) {
    if (AFd >= 0) {
        ::close(AFd);
        AFd = -1;
    }
}

}  // namespace

TVKO_UnitOrdner::TVKO_UnitOrdner(const QString& APfad, const QString& AMarke) try
    : FPfad(APfad), FMarke(AMarke.toUtf8() + '\n') {
    OrdnerAnlegen(FPfad);
    FOrdner = ::open(QFile::encodeName(FPfad).constData(),
                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (FOrdner < 0) {
        RaiseOrdner(FPfad, QStringLiteral("ist kein Ordner (ein Verweis wird nicht verfolgt)"));
    }
    struct stat info {};
    if (::fstat(FOrdner, &info) != 0 || info.st_uid != ::geteuid()) {
        Schliessen(FOrdner);
        throw EVKO_Error(
            QStringLiteral("Der Unit-Ordner %1 gehört einem anderen Benutzer; Quandrix richtet "
                           "dort keine Zeitpläne ein.")
                .arg(FPfad));
    }
    if ((info.st_mode & 07777) != 0700 && ::fchmod(FOrdner, 0700) != 0) {
        Schliessen(FOrdner);
        RaiseOrdner(FPfad, QStringLiteral("kann nicht auf den Besitzer beschränkt werden"));
    }
    FSperre = ::openat(FOrdner, CSperrdatei, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (FSperre < 0) {
        Schliessen(FOrdner);
        RaiseOrdner(FPfad, QStringLiteral("lässt keine Sperrdatei zu"));
    }
    while (::flock(FSperre, LOCK_EX) != 0) {
        if (errno != EINTR) {
            Schliessen(FSperre);
            Schliessen(FOrdner);
            RaiseOrdner(FPfad, QStringLiteral("kann nicht gesperrt werden"));
        }
    }
} catch (...) {
    RethrowRegistered("TVKO_UnitOrdner.Create");
}

TVKO_UnitOrdner::~TVKO_UnitOrdner() {
    Schliessen(FSperre);
    Schliessen(FOrdner);
}

QString TVKO_UnitOrdner::Pfad(const QString& AName) const {
    return FPfad + QLatin1Char('/') + AName;
}

std::optional<QByteArray> TVKO_UnitOrdner::Lesen(const QString& AName) const {
    const int fd = ::openat(FOrdner, QFile::encodeName(AName).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    QByteArray inhalt;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= CMaxGroesse) {
        inhalt.resize(static_cast<qsizetype>(info.st_size));
        const ssize_t gelesen = ::read(fd, inhalt.data(), static_cast<size_t>(inhalt.size()));
        inhalt.resize(gelesen < 0 ? 0 : static_cast<qsizetype>(gelesen));
    }
    ::close(fd);
    return inhalt;
}

TVKO_UnitOrdner::TZustand TVKO_UnitOrdner::Zustand(const QString& AName) const try {
    struct stat info {};
    if (::fstatat(FOrdner, QFile::encodeName(AName).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? TZustand::Fehlt : TZustand::Fremd;
    }
    if (!S_ISREG(info.st_mode)) {
        return TZustand::Fremd;
    }
    const std::optional<QByteArray> inhalt = Lesen(AName);
    if (inhalt && inhalt->startsWith(FMarke)) {
        return TZustand::Eigen;
    }
    return inhalt && inhalt->startsWith("[Unit]\nDescription=Quandrix ") ? TZustand::Frueher
                                                                         : TZustand::Fremd;
} catch (...) {
    RethrowRegistered("TVKO_UnitOrdner.Zustand");
}

bool TVKO_UnitOrdner::Schreiben(const QString& AName, const QString& AText) try {
    const QByteArray inhalt = FMarke + AText.toUtf8();
    if (Lesen(AName) == inhalt) {
        return false;
    }
    const QByteArray neu = QFile::encodeName(QLatin1Char('.') + AName + QStringLiteral(".neu"));
    ::unlinkat(FOrdner, neu.constData(), 0);
    const int fd = ::openat(FOrdner, neu.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool geschrieben = fd >= 0 && ::fchmod(fd, 0600) == 0;
    for (qsizetype ab = 0; geschrieben && ab < inhalt.size();) {
        const ssize_t n =
            ::write(fd, inhalt.constData() + ab, static_cast<size_t>(inhalt.size() - ab));
        geschrieben = n > 0 || (n < 0 && errno == EINTR);
        ab += n > 0 ? n : 0;
    }
    if (fd >= 0 && ::close(fd) != 0) {
        geschrieben = false;
    }
    // The rename replaces the entry itself, never what a link there would point to.
    if (!geschrieben ||
        ::renameat(FOrdner, neu.constData(), FOrdner, QFile::encodeName(AName).constData()) != 0) {
        const int fehler = errno;
        ::unlinkat(FOrdner, neu.constData(), 0);
        errno = fehler;
        RaiseOrdner(FPfad, QStringLiteral("nimmt die Datei %1 nicht auf").arg(AName));
    }
    return true;
} catch (...) {
    RethrowRegistered("TVKO_UnitOrdner.Schreiben");
}

void TVKO_UnitOrdner::Entfernen(const QString& AName) try {
    if (Zustand(AName) == TZustand::Eigen) {
        ::unlinkat(FOrdner, QFile::encodeName(AName).constData(), 0);
    }
} catch (...) {
    RethrowRegistered("TVKO_UnitOrdner.Entfernen");
}

QStringList TVKO_UnitOrdner::Namen(const QString& APraefix, const QString& AEndung) const try {
    QStringList namen;
    const int fd = ::dup(FOrdner);
    DIR* ordner = fd < 0 ? nullptr : ::fdopendir(fd);
    if (ordner == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        RaiseOrdner(FPfad, QStringLiteral("kann nicht gelesen werden"));
    }
    ::rewinddir(ordner);
    while (const dirent* eintrag = ::readdir(ordner)) {
        const QString name = QFile::decodeName(eintrag->d_name);
        if (name.startsWith(APraefix) && name.endsWith(AEndung)) {
            namen.append(name);
        }
    }
    ::closedir(ordner);
    namen.sort();
    return namen;
} catch (...) {
    RethrowRegistered("TVKO_UnitOrdner.Namen");
}
