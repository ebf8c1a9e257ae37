#include "vko_sqlite.h"

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

namespace {

struct TFinalize {
    void operator()(sqlite3_stmt* AHandle) const noexcept { sqlite3_finalize(AHandle); }
};

class TSqliteStatement : public TVKO_StatementEngine {
public:
    TSqliteStatement(const TVKO_SqliteDatabase& ADatabase, const char* ASql)
        : FDatabase(ADatabase) {
        sqlite3_stmt* handle = nullptr;
        const int result = sqlite3_prepare_v3(FDatabase.Handle(), ASql, -1,
                                              SQLITE_PREPARE_PERSISTENT, &handle, nullptr);
        FHandle.reset(handle);
        if (result != SQLITE_OK) {
            FDatabase.Raise(result, QStringLiteral("Vorbereiten einer Abfrage"));
        }
    }

    void Bind(int AIndex, const QString& AText) override {
        const QByteArray utf8 = AText.toUtf8();
        // A null pointer would bind NULL; an empty text stays an empty text.
        Pruefen(sqlite3_bind_text64(FHandle.get(), AIndex, utf8.isNull() ? "" : utf8.constData(),
                                    static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                    SQLITE_UTF8));
    }

    void Bind(int AIndex, const QByteArray& ABlob) override {
        Pruefen(ABlob.isEmpty() ? sqlite3_bind_zeroblob(FHandle.get(), AIndex, 0)
                                : sqlite3_bind_blob64(FHandle.get(), AIndex, ABlob.constData(),
                                                      static_cast<sqlite3_uint64>(ABlob.size()),
                                                      SQLITE_STATIC));
    }

    void Bind(int AIndex, qint64 AValue) override {
        Pruefen(sqlite3_bind_int64(FHandle.get(), AIndex, AValue));
    }

    TVKO_Schritt Step(bool ADoppeltErlaubt) override {
        const int result = sqlite3_step(FHandle.get());
        if (result == SQLITE_ROW) {
            return TVKO_Schritt::Zeile;
        }
        if (result == SQLITE_DONE) {
            return TVKO_Schritt::Fertig;
        }
        if (ADoppeltErlaubt && result == SQLITE_CONSTRAINT_UNIQUE) {
            return TVKO_Schritt::Doppelt;
        }
        Raise(result);
    }

    void Reset() noexcept override {
        sqlite3_reset(FHandle.get());
        sqlite3_clear_bindings(FHandle.get());
    }

    // The pointer first, then the size: asking for the pointer may convert the value.
    QByteArrayView Utf8(int AColumn) const override {
        const auto* text =
            reinterpret_cast<const char*>(sqlite3_column_text(FHandle.get(), AColumn));
        return {text, text ? sqlite3_column_bytes(FHandle.get(), AColumn) : 0};
    }

    QByteArrayView Blob(int AColumn) const override {
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(FHandle.get(), AColumn));
        return {blob, blob ? sqlite3_column_bytes(FHandle.get(), AColumn) : 0};
    }

    qint64 Integer(int AColumn) const override {
        return sqlite3_column_int64(FHandle.get(), AColumn);
    }

    int StepResult() { return sqlite3_step(FHandle.get()); }

private:
    void Pruefen(int AResult) const {
        if (AResult != SQLITE_OK) {
            Raise(AResult);
        }
    }

    [[noreturn]] void Raise(int AResult) const {
        FDatabase.Raise(AResult, sqlite3_stmt_readonly(FHandle.get()) != 0
                                     ? QStringLiteral("Lesen")
                                     : QStringLiteral("Schreiben"));
    }

    const TVKO_SqliteDatabase& FDatabase;
    std::unique_ptr<sqlite3_stmt, TFinalize> FHandle;
};

}  // namespace

void TVKO_SqliteDatabase::TClose::operator()(sqlite3* AHandle) const noexcept {
    sqlite3_close_v2(AHandle);
}

TVKO_SqliteDatabase::TVKO_SqliteDatabase(const QString& APath, int ABusyTimeoutMs)
    : FPath(APath), FBusyTimeoutMs(ABusyTimeoutMs) {
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
    SetBusyTimeout(FBusyTimeoutMs);
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
}

TVKO_SqliteDatabase::~TVKO_SqliteDatabase() = default;

std::unique_ptr<TVKO_StatementEngine> TVKO_SqliteDatabase::Prepare(const char* ASql) {
    return std::make_unique<TSqliteStatement>(*this, ASql);
}

QString TVKO_SqliteDatabase::SwitchToWal() {
    // Several processes may switch a new file at once. SQLite answers the losers at once
    // instead of letting them wait (waiting could deadlock), so the switch is tried again
    // until the busy timeout has passed.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        TSqliteStatement journal(*this, "PRAGMA journal_mode=WAL");
        const int result = journal.StepResult();
        if (result == SQLITE_ROW) {
            return QString::fromUtf8(journal.Utf8(0));
        }
        if ((result & 0xff) != SQLITE_BUSY || waited.elapsed() >= FBusyTimeoutMs) {
            Raise(result, QStringLiteral("Öffnen"));
        }
        QThread::msleep(5);
    }
}

void TVKO_SqliteDatabase::SetBusyTimeout(int AMilliseconds) {
    FBusyTimeoutMs = AMilliseconds;
    sqlite3_busy_timeout(Handle(), AMilliseconds);
}

void TVKO_SqliteDatabase::Execute(const char* ASql, const QString& AAktion) {
    const int result = sqlite3_exec(Handle(), ASql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        Raise(result, AAktion);
    }
}

bool TVKO_SqliteDatabase::HasTable(const char* ATable) {
    TSqliteStatement exists(*this,
                            "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    exists.Bind(1, QString::fromUtf8(ATable));
    return exists.Step(false) == TVKO_Schritt::Zeile;
}

bool TVKO_SqliteDatabase::HasColumn(const char* ATable, const char* AColumn) {
    TSqliteStatement columns(*this, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    columns.Bind(1, QString::fromUtf8(ATable));
    columns.Bind(2, QString::fromUtf8(AColumn));
    return columns.Step(false) == TVKO_Schritt::Zeile;
}

qint64 TVKO_SqliteDatabase::Changes() const {
    return sqlite3_changes64(Handle());
}

qint64 TVKO_SqliteDatabase::LastInsertId() {
    return sqlite3_last_insert_rowid(Handle());
}

bool TVKO_SqliteDatabase::InTransaction() const {
    return sqlite3_get_autocommit(Handle()) == 0;
}

qint64 TVKO_SqliteDatabase::Datenstand() {
    TSqliteStatement lesen(*this, "PRAGMA data_version");
    lesen.Step(false);
    return lesen.Integer(0);
}

void TVKO_SqliteDatabase::Raise(int AResult, const QString& AAktion) const {
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
