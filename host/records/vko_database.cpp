#include "vko_database.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "vko_folder.h"
#include "vko_info.h"
#include "vko_statement.h"
#include "vko_trusted_file.h"

namespace {

constexpr mode_t COwnerOnly = S_IRUSR | S_IWUSR;

struct TDescriptor {
    int Value;
    ~TDescriptor() { ::close(Value); }
};

QString DateiText(const QString& APath) {
    return QDir::toNativeSeparators(APath);
}

QString SchreibgeschuetztText(const QString& APath) {
    return QStringLiteral(
               "In die Datenbank „%1“ kann nicht geschrieben werden: die Datei oder ihr "
               "Ordner ist schreibgeschützt. Quandrix braucht Schreibrechte auf beide.")
        .arg(DateiText(APath));
}

QString KeinPlatzText(const QString& APath) {
    return QStringLiteral(
               "In die Datenbank „%1“ kann nicht geschrieben werden: auf dem "
               "Datenträger ist kein Platz mehr.")
        .arg(DateiText(APath));
}

bool IstSchreibschutz(int AErrno) {
    return AErrno == EACCES || AErrno == EPERM || AErrno == EROFS;
}

bool IstPlatzmangel(int AErrno) {
    return AErrno == ENOSPC || AErrno == EDQUOT || AErrno == EFBIG;
}

// A write beyond the process's file size limit fails with EFBIG, yet the database may report
// the failure only after that errno was overwritten.
bool DateigrenzeGesetzt() {
    rlimit grenze{};
    return ::getrlimit(RLIMIT_FSIZE, &grenze) == 0 && grenze.rlim_cur != RLIM_INFINITY;
}

// The reason for a failed system call on the database's files, as the user should read it.
[[noreturn]] void RaiseErrno(const QString& APath, int AErrno, const QString& AAktion) {
    if (IstSchreibschutz(AErrno)) {
        throw EVKO_Error(SchreibgeschuetztText(APath));
    }
    if (IstPlatzmangel(AErrno)) {
        throw EVKO_Error(KeinPlatzText(APath));
    }
    if (AErrno == ENOENT) {
        throw EVKO_Error(QStringLiteral("Der Ordner der Datenbank „%1“ fehlt und lässt sich nicht "
                                        "anlegen.")
                             .arg(DateiText(APath)));
    }
    throw EVKO_Error(QStringLiteral("Fehler in der Datenbank „%1“ beim %2: %3.")
                         .arg(DateiText(APath), AAktion, qt_error_string(AErrno)));
}

int OpenNoFollow(const QString& APath, int AFlags) {
    return ::open(QFile::encodeName(APath).constData(),
                  AFlags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, COwnerOnly);
}

[[noreturn]] void RaiseOpen(const QString& APath, int AErrno) {
    if (AErrno == ELOOP) {
        throw EVKO_Error(QStringLiteral("Die Datenbank „%1“ ist ein symbolischer Verweis und wird "
                                        "nicht geöffnet.")
                             .arg(DateiText(APath)));
    }
    RaiseErrno(APath, AErrno, QStringLiteral("Öffnen"));
}

// A descriptor that only names the file: closing it keeps the POSIX locks that a connection
// of this process holds on the same file. Closing an ordinary descriptor would drop them, and
// other processes could then write the database at the same time as this one.
int OpenPath(const QString& APath) {
    return ::open(QFile::encodeName(APath).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
}

// Checks a file of the database where it exists; false when there is none.
bool TrustIfPresent(const QString& APath, const QString& AWas) {
    const int descriptor = OpenPath(APath);
    if (descriptor < 0 && errno == ENOENT) {
        return false;
    }
    if (descriptor < 0) {
        RaiseOpen(APath, errno);
    }
    const TDescriptor closing{descriptor};
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISLNK(status.st_mode)) {
        RaiseOpen(APath, ELOOP);
    }
    VKO_TrustOpenedFile(descriptor, APath, AWas);
    return true;
}

// Creates the file with owner-only rights before SQLite sees it (SQLite would create it with
// the umask's rights). The file and its WAL companions are checked before their rights are
// tightened, so that a file that is refused keeps its rights; a read-only file stays read-only.
void PrepareFile(const QString& APath) {
    VKO_CheckTrustedFolder(QFileInfo(APath).absolutePath());
    for (const char* suffix : {"-wal", "-shm"}) {
        TrustIfPresent(APath + QLatin1String(suffix), QStringLiteral("Die Datenbankdatei"));
    }
    // A file that did not exist is held by no connection of this process.
    const int created = OpenNoFollow(APath, O_RDONLY | O_CREAT | O_EXCL);
    if (created >= 0) {
        ::close(created);
    } else if (errno != EEXIST) {
        RaiseOpen(APath, errno);
    }
    if (!TrustIfPresent(APath, QStringLiteral("Die Datenbank"))) {
        RaiseOpen(APath, ENOENT);
    }
}

}  // namespace

void TVKO_Database::TClose::operator()(sqlite3* AHandle) const noexcept {
    sqlite3_close_v2(AHandle);
}

QString TVKO_Database::DefaultPath() {
    return VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db"));
}

TVKO_Database::TVKO_Database(const QString& APath) try : FPath(APath) {
    PrepareFile(FPath);

    sqlite3* handle = nullptr;
    // Without SQLITE_OPEN_CREATE: the file was just created with the right rights, and SQLite
    // must not create it with wider ones if it vanished meanwhile.
    const int result = sqlite3_open_v2(
        QFile::encodeName(FPath).constData(), &handle,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    FHandle.reset(handle);
    if (!FHandle) {
        throw std::bad_alloc();
    }
    if (result != SQLITE_OK) {
        Raise(result, QStringLiteral("Öffnen"));
    }
    sqlite3_extended_result_codes(Handle(), 1);
    SetBusyTimeout(CBusyTimeoutMs);
    if (sqlite3_db_readonly(Handle(), "main") == 1) {
        throw EVKO_Error(SchreibgeschuetztText(FPath));
    }

    const QString mode = SwitchToWal();
    if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        throw EVKO_Error(QStringLiteral("Die Datenbank „%1“ lässt sich nicht im WAL-Modus führen "
                                        "(sie bleibt im Modus „%2“); liegt sie auf einem "
                                        "Netzlaufwerk?")
                             .arg(DateiText(FPath), mode));
    }
    // In WAL mode NORMAL loses no committed transaction when a process is killed, since the
    // commit is in the WAL file the moment COMMIT returns; only a power failure can take back
    // the last commits, and even then the file stays consistent. FULL would add an fsync to
    // every commit for that case alone.
    Execute("PRAGMA synchronous=NORMAL", QStringLiteral("Öffnen"));
} catch (...) {
    RethrowRegistered("TVKO_Database.Create");
}

TVKO_Database::~TVKO_Database() = default;

QString TVKO_Database::SwitchToWal() {
    // Several processes may switch a new file at once. SQLite answers the losers at once
    // instead of letting them wait (waiting could deadlock), so the switch is tried again
    // until the busy timeout has passed.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        TVKO_Statement journal(*this, "PRAGMA journal_mode=WAL");
        const int result = journal.StepResult();
        if (result == SQLITE_ROW) {
            return journal.Text(0);
        }
        if ((result & 0xff) != SQLITE_BUSY || waited.elapsed() >= FBusyTimeoutMs) {
            Raise(result, QStringLiteral("Öffnen"));
        }
        QThread::msleep(5);
    }
}

void TVKO_Database::SetBusyTimeout(int AMilliseconds) try {
    FBusyTimeoutMs = AMilliseconds;
    sqlite3_busy_timeout(Handle(), AMilliseconds);
} catch (...) {
    RethrowRegistered("TVKO_Database.SetBusyTimeout");
}

void TVKO_Database::Execute(const char* ASql, const QString& AAktion) try {
    const int result = sqlite3_exec(Handle(), ASql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        Raise(result, AAktion);
    }
} catch (...) {
    RethrowRegistered("TVKO_Database.Execute");
}

void TVKO_Database::EnsureSchema(const char* ATable, const char* ACreateSql) try {
    {
        // Reading first spares every later start the write lock.
        TVKO_Statement exists(*this,
                              "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
        exists.Bind(1, QString::fromUtf8(ATable));
        if (exists.Step()) {
            return;
        }
    }
    const QString aktion = QStringLiteral("Anlegen der Tabellen");
    TVKO_Transaction transaction(*this);
    Execute(ACreateSql, aktion);
    transaction.Commit();
} catch (...) {
    RethrowRegistered("TVKO_Database.EnsureSchema");
}

bool TVKO_Database::HasColumn(const char* ATable, const char* AColumn) {
    TVKO_Statement columns(*this, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    columns.Bind(1, QString::fromUtf8(ATable));
    columns.Bind(2, QString::fromUtf8(AColumn));
    return columns.Step();
}

void TVKO_Database::EnsureColumn(const char* ATable, const char* AColumn,
                                 const char* ADefinition) try {
    if (HasColumn(ATable, AColumn)) {
        return;
    }
    TVKO_Transaction transaction(*this);
    // Another process may have added it while this one waited for the write lock.
    if (!HasColumn(ATable, AColumn)) {
        const QByteArray sql = QByteArrayLiteral("ALTER TABLE ") + ATable +
                               QByteArrayLiteral(" ADD COLUMN ") + ADefinition;
        Execute(sql.constData(), QStringLiteral("Erweitern der Tabellen"));
    }
    transaction.Commit();
} catch (...) {
    RethrowRegistered("TVKO_Database.EnsureColumn");
}

qint64 TVKO_Database::Changes() const {
    return sqlite3_changes64(Handle());
}

qint64 TVKO_Database::LastInsertId() const {
    return sqlite3_last_insert_rowid(Handle());
}

void TVKO_Database::Raise(int AResult, const QString& AAktion) const {
    const int systemErrno = Handle() ? sqlite3_system_errno(Handle()) : 0;
    switch (AResult & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw EVKO_Error(
                QStringLiteral("Die Datenbank „%1“ ist gesperrt: ein anderes Quandrix-Programm "
                               "schreibt gerade darin und hat sie auch nach %2 Sekunden nicht "
                               "freigegeben. Bitte versuchen Sie es später noch einmal.")
                    .arg(DateiText(FPath),
                         QLocale(QLocale::German).toString(FBusyTimeoutMs / 1000.0, 'g', 3)));
        case SQLITE_NOTADB:
            throw EVKO_Error(QStringLiteral("Die Datei „%1“ ist keine Quandrix-Datenbank oder sie "
                                            "ist beschädigt; sie wird nicht verändert.")
                                 .arg(DateiText(FPath)));
        case SQLITE_CORRUPT:
            throw EVKO_Error(
                QStringLiteral("Die Datenbank „%1“ ist beschädigt.").arg(DateiText(FPath)));
        case SQLITE_FULL:
            throw EVKO_Error(KeinPlatzText(FPath));
        case SQLITE_READONLY:
        case SQLITE_PERM:
            throw EVKO_Error(SchreibgeschuetztText(FPath));
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
            if (IstSchreibschutz(systemErrno) || IstPlatzmangel(systemErrno)) {
                RaiseErrno(FPath, systemErrno, AAktion);
            }
            if (AResult == SQLITE_IOERR_WRITE && DateigrenzeGesetzt()) {
                throw EVKO_Error(KeinPlatzText(FPath));
            }
            break;
        case SQLITE_NOMEM:
            throw std::bad_alloc();
        default:
            break;
    }
    throw EVKO_Error(
        QStringLiteral("Fehler in der Datenbank „%1“ beim %2: %3 (SQLite-Code %4).")
            .arg(DateiText(FPath), AAktion,
                 QString::fromUtf8(Handle() ? sqlite3_errmsg(Handle()) : sqlite3_errstr(AResult)))
            .arg(AResult));
}

TVKO_Transaction::TVKO_Transaction(TVKO_Database& ADatabase) try : FDatabase(ADatabase) {
    FInnen = sqlite3_get_autocommit(FDatabase.Handle()) == 0;
    FDatabase.Execute(FInnen ? "SAVEPOINT md_innen" : "BEGIN IMMEDIATE",
                      QStringLiteral("Schreiben"));
} catch (...) {
    RethrowRegistered("TVKO_Transaction.Create");
}

TVKO_Transaction::~TVKO_Transaction() {
    // A failed COMMIT or a full disk can have ended the transaction already.
    if (!FCommitted && sqlite3_get_autocommit(FDatabase.Handle()) == 0) {
        ReleaseGuarded("TVKO_Transaction.Destroy", [this] {
            FDatabase.Execute(FInnen ? "ROLLBACK TO md_innen; RELEASE md_innen" : "ROLLBACK",
                              QStringLiteral("Zurücknehmen einer Änderung"));
        });
    }
}

void TVKO_Transaction::Commit() try {
    FDatabase.Execute(FInnen ? "RELEASE md_innen" : "COMMIT", QStringLiteral("Schreiben"));
    FCommitted = true;
} catch (...) {
    RethrowRegistered("TVKO_Transaction.Commit");
}
