#include "vko_trusted_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "vko_error.h"

namespace {

constexpr mode_t COwnerOnly = S_IRUSR | S_IWUSR;
constexpr mode_t CPrivateFolder = S_IRWXU;
constexpr mode_t COthersWrite = S_IWGRP | S_IWOTH;

QString Native(const QString& APath) {
    return QDir::toNativeSeparators(APath);
}

QString Rights(mode_t AMode) {
    return QString::number(AMode & 07777, 8).rightJustified(4, QLatin1Char('0'));
}

QString UserName(uid_t AUid) {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[1024];
    if (getpwuid_r(AUid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return QStringLiteral("„%1“ (%2)")
            .arg(QString::fromLocal8Bit(found->pw_name), QString::number(AUid));
    }
    return QString::number(AUid);
}

[[noreturn]] void RaiseErrno(const QString& AWas, const QString& APath, const QString& AWhat,
                             int AErrno) {
    throw EVKO_Error(
        QStringLiteral("%1 „%2“ %3: %4.").arg(AWas, Native(APath), AWhat, qt_error_string(AErrno)));
}

// Another user could have put in what is there; root is trusted like the user.
void CheckOwner(const struct stat& AStatus, bool ARootToo, const QString& AWas,
                const QString& APath) {
    const uid_t user = geteuid();
    if (AStatus.st_uid == user || (ARootToo && AStatus.st_uid == 0)) {
        return;
    }
    throw EVKO_Error(QStringLiteral("%1 „%2“ gehört nicht Ihnen, sondern dem Benutzer %3. "
                                    "Quandrix verwendet sie nicht, da sie ein anderer Benutzer "
                                    "verändern konnte.")
                         .arg(AWas, Native(APath), UserName(AStatus.st_uid)));
}

void CheckFile(const struct stat& AStatus, const QString& AWas, const QString& APath) {
    if (!S_ISREG(AStatus.st_mode)) {
        throw EVKO_Error(QStringLiteral("%1 „%2“ kann nicht gelesen werden: sie ist keine "
                                        "gewöhnliche Datei, sondern etwa ein Ordner, ein Gerät "
                                        "oder eine Pipe.")
                             .arg(AWas, Native(APath)));
    }
    CheckOwner(AStatus, false, AWas, APath);
    if ((AStatus.st_mode & COthersWrite) != 0) {
        throw EVKO_Error(QStringLiteral("%1 „%2“ dürfen auch andere Benutzer ändern (Rechte %3) "
                                        "und wird daher nicht verwendet. Nehmen Sie ihnen das "
                                        "Schreibrecht, etwa mit „chmod go-w“.")
                             .arg(AWas, Native(APath), Rights(AStatus.st_mode)));
    }
}

// A descriptor opened with O_PATH cannot change the rights itself; its link in /proc can.
int TightenRights(int ADescriptor, mode_t AMode) {
    if (::fchmod(ADescriptor, AMode) == 0) {
        return 0;
    }
    if (errno != EBADF) {
        return -1;
    }
    const QByteArray link = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(ADescriptor);
    return ::chmod(link.constData(), AMode);
}

QString FolderOf(const QString& APath) {
    return QFileInfo(APath).absolutePath();
}

}  // namespace

bool VKO_MakePrivateFolder(const QString& APath) {
    const QString path = QDir::cleanPath(QFileInfo(APath).absoluteFilePath());
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString prefix;
    for (const QString& part : parts) {
        prefix += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(prefix);
        // The mode is only ever narrowed by the umask, so 0700 holds under umask 000 too.
        if (::mkdir(native.constData(), CPrivateFolder) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return QFileInfo(path).isDir();
}

void VKO_CheckTrustedFolder(const QString& APath) {
    const QString real = QFileInfo(APath).canonicalFilePath();
    if (real.isEmpty()) {
        return;
    }
    QString folder = real;
    while (true) {
        struct stat status {};
        if (::lstat(QFile::encodeName(folder).constData(), &status) != 0) {
            RaiseErrno(QStringLiteral("Der Ordner"), folder,
                       QStringLiteral("lässt sich nicht prüfen"), errno);
        }
        if (!S_ISDIR(status.st_mode)) {
            throw EVKO_Error(QStringLiteral("„%1“ ist kein Ordner.").arg(Native(folder)));
        }
        CheckOwner(status, true, QStringLiteral("Der Ordner"), folder);
        if ((status.st_mode & COthersWrite) != 0 && (status.st_mode & S_ISVTX) == 0) {
            throw EVKO_Error(QStringLiteral("Den Ordner „%1“ dürfen auch andere Benutzer ändern "
                                            "(Rechte %2); Quandrix verwendet keine Datei darin. "
                                            "Nehmen Sie ihnen das Schreibrecht, etwa mit "
                                            "„chmod go-w“.")
                                 .arg(Native(folder), Rights(status.st_mode)));
        }
        if (folder == QLatin1String("/")) {
            return;
        }
        folder = FolderOf(folder);
    }
}

std::optional<QByteArray> VKO_ReadTrustedFile(const QString& APath, qint64 AMaxBytes,
                                              const QString& AWas) {
    // Not blocking: a FIFO put in the file's place must not hang the run.
    const int descriptor = ::open(QFile::encodeName(APath).constData(),
                                  O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT) {
            return std::nullopt;
        }
        if (error == ELOOP) {
            throw EVKO_Error(QStringLiteral("%1 „%2“ ist ein symbolischer Verweis und wird nicht "
                                            "verwendet; legen Sie dort die Datei selbst ab.")
                                 .arg(AWas, Native(APath)));
        }
        RaiseErrno(AWas, APath, QStringLiteral("kann nicht gelesen werden"), error);
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        RaiseErrno(AWas, APath, QStringLiteral("kann nicht gelesen werden"), EBADF);
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        RaiseErrno(AWas, APath, QStringLiteral("lässt sich nicht prüfen"), errno);
    }
    CheckFile(status, AWas, APath);
    VKO_CheckTrustedFolder(FolderOf(APath));
    const QString tooLarge = QStringLiteral(
                                 "%1 „%2“ ist zu groß (höchstens %3 Bytes) und wird "
                                 "daher nicht gelesen.")
                                 .arg(AWas, Native(APath), QString::number(AMaxBytes));
    if (status.st_size > AMaxBytes) {
        throw EVKO_Error(tooLarge);
    }
    const QByteArray bytes = file.read(AMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        throw EVKO_Error(QStringLiteral("%1 „%2“ lässt sich nicht vollständig lesen: %3.")
                             .arg(AWas, Native(APath), file.errorString()));
    }
    if (bytes.size() > AMaxBytes) {
        throw EVKO_Error(tooLarge);
    }
    return bytes;
}

void VKO_TrustOpenedFile(int ADescriptor, const QString& APath, const QString& AWas) {
    struct stat status {};
    if (::fstat(ADescriptor, &status) != 0) {
        RaiseErrno(AWas, APath, QStringLiteral("lässt sich nicht prüfen"), errno);
    }
    CheckFile(status, AWas, APath);
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0 &&
        TightenRights(ADescriptor, status.st_mode & COwnerOnly) != 0) {
        RaiseErrno(AWas, APath, QStringLiteral("lässt sich nicht auf ihren Besitzer beschränken"),
                   errno);
    }
}

int VKO_OpenTrustedDataFile(const QString& APath, int AFlags, const QString& AWas) {
    VKO_CheckTrustedFolder(FolderOf(APath));
    const int descriptor =
        ::open(QFile::encodeName(APath).constData(),
               AFlags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, COwnerOnly);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ELOOP) {
            throw EVKO_Error(QStringLiteral("%1 „%2“ ist ein symbolischer Verweis und wird nicht "
                                            "verwendet.")
                                 .arg(AWas, Native(APath)));
        }
        RaiseErrno(AWas, APath, QStringLiteral("lässt sich nicht öffnen"), error);
    }
    try {
        VKO_TrustOpenedFile(descriptor, APath, AWas);
        // Writes to a regular file never block; the flag only kept the open from hanging.
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    } catch (...) {
        ::close(descriptor);
        throw;
    }
    return descriptor;
}
