#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>

#include <array>
#include <csignal>

#include "md_process_support.h"
#include "md_test_support.h"
#include "vko_database.h"
#include "vko_statement.h"
#include "zep_dbfile.h"
#include "zep_dbfile_test_util.h"

namespace {

mode_t ModeOf(const QString& APath) {
    struct stat status {};
    return ::stat(QFile::encodeName(APath).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

QString Scalar(TVKO_Database& ADatabase, const char* ASql) {
    TVKO_Statement statement(ADatabase, ASql);
    EXPECT_TRUE(statement.Step()) << ASql;
    return statement.Text(0);
}

QByteArray FileContent(const QString& APath) {
    QFile file(APath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileContent(const QString& APath, const QByteArray& AContent) {
    QFile file(APath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(AContent), AContent.size());
}

// Root passes every permission check. This takes the overrides away from the calling thread
// for its lifetime, so that read-only files and folders are read-only for the test as well.
class TWithoutOverride {
public:
    TWithoutOverride() {
        ::syscall(SYS_capget, &FHeader, FSaved.data());
        auto reduced = FSaved;
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &FHeader, reduced.data());
    }
    ~TWithoutOverride() { ::syscall(SYS_capset, &FHeader, FSaved.data()); }
    TWithoutOverride(const TWithoutOverride&) = delete;
    TWithoutOverride& operator=(const TWithoutOverride&) = delete;

private:
    __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, 2> FSaved{};
};

// Lowers the largest file size this process may write, as a full disk would.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t ABytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &FSignal);
        ::getrlimit(RLIMIT_FSIZE, &FLimit);
        struct rlimit limited = FLimit;
        limited.rlim_cur = ABytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FLimit);
        ::sigaction(SIGXFSZ, &FSignal, nullptr);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct sigaction FSignal {};
    struct rlimit FLimit {};
};

void ExpectIntact(const QString& APath) {
    TZEP_DBFile file(APath);
    EXPECT_EQ(WalkKeys(file), QStringList{QStringLiteral("PLON/ALT")});
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("ALT")), QByteArray("alt"));
    EXPECT_EQ(Scalar(file.Database(), "PRAGMA integrity_check"), QStringLiteral("ok"));
}

void CreateWithOneRecord(const QString& APath) {
    TZEP_DBFile file(APath);
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Alt"), "alt");
}

}  // namespace

TEST(Database, FileAndWalCompanionsAreForTheOwnerOnlyAndOthersCannotHaveWrittenThem) {
    TTempHome home;
    const mode_t previousMask = ::umask(0);
    const QString path = DatabaseIn(home);
    {
        TZEP_DBFile file(path);
        InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Geheim"), "#PASSWORT#=x");
        EXPECT_EQ(ModeOf(home.DataFolder()), 0700u);
        EXPECT_EQ(ModeOf(home.Path() + QStringLiteral("/.local")), 0700u);
        EXPECT_EQ(ModeOf(path), 0600u);
        EXPECT_EQ(ModeOf(path + QStringLiteral("-wal")), 0600u);
        EXPECT_EQ(ModeOf(path + QStringLiteral("-shm")), 0600u);

        // Readable by others: tightened.
        SetMode(path, 0644);
        SetMode(path + QStringLiteral("-wal"), 0640);
        TZEP_DBFile second(path);
        EXPECT_EQ(ModeOf(path), 0600u);
        EXPECT_EQ(ModeOf(path + QStringLiteral("-wal")), 0600u);
    }
    ::umask(previousMask);

    // Writable by others: refused, and its rights stay as they were.
    SetMode(path, 0664);
    try {
        TZEP_DBFile refused(path);
        ADD_FAILURE() << "opened";
    } catch (const EVKO_Error& error) {
        EXPECT_TRUE(error.Text().contains(path)) << error.Text().toStdString();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("0664"))) << error.Text().toStdString();
    }
    EXPECT_EQ(ModeOf(path), 0664u);

    // A link in the database's place is not followed, and its target keeps its rights.
    const QString elsewhere = home.Path() + QStringLiteral("/anderswo.db");
    WriteFileContent(elsewhere, "fremd");
    SetMode(elsewhere, 0644);
    const QString linked = home.DataFolder() + QStringLiteral("/verweis.db");
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    EXPECT_THROW(TZEP_DBFile file(linked), EVKO_Error);
    EXPECT_EQ(ModeOf(elsewhere), 0644u);
    EXPECT_EQ(FileContent(elsewhere), QByteArray("fremd"));
}

TEST(Database, RunsInWalModeWithNormalSyncAndABusyTimeout) {
    TTempHome home;
    TZEP_DBFile file;
    EXPECT_EQ(Scalar(file.Database(), "PRAGMA journal_mode"), QStringLiteral("wal"));
    EXPECT_EQ(Scalar(file.Database(), "PRAGMA synchronous"), QStringLiteral("1"));
    EXPECT_EQ(Scalar(file.Database(), "PRAGMA busy_timeout"),
              QString::number(TVKO_Database::CBusyTimeoutMs));
}

TEST(Database, FileThatIsNoDatabaseOrDamagedIsAClearErrorAndStaysUntouched) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    const QByteArray letter = QByteArray("Sehr geehrte Damen und Herren,\n").repeated(300);
    WriteFileContent(path, letter);
    QString text = ErrorText([&] { TZEP_DBFile file(path); });
    EXPECT_TRUE(text.contains(QStringLiteral("keine Quandrix-Datenbank"))) << text.toStdString();
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    EXPECT_EQ(FileContent(path), letter);

    const QString damaged = home.DataFolder() + QStringLiteral("/beschaedigt.db");
    CreateWithOneRecord(damaged);
    QByteArray content = FileContent(damaged);
    ASSERT_GT(content.size(), 4096);
    content.replace(100, 200, QByteArray(200, '\xff'));
    WriteFileContent(damaged, content);
    text = ErrorText([&] {
        TZEP_DBFile file(damaged);
        WalkKeys(file);
    });
    EXPECT_TRUE(text.contains(QStringLiteral("beschädigt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(damaged)) << text.toStdString();
    EXPECT_EQ(FileContent(damaged), content);
}

TEST(Database, ReadOnlyDataFolderIsAClearError) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    SetMode(home.DataFolder(), 0500);
    QString text;
    {
        TWithoutOverride withoutOverride;
        text = ErrorText([&] { TZEP_DBFile file(path); });
    }
    SetMode(home.DataFolder(), 0700);
    EXPECT_TRUE(text.contains(QStringLiteral("schreibgeschützt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST(Database, ReadOnlyFileOrFolderOfAnExistingDatabaseIsAClearErrorAndLosesNothing) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);

    SetMode(path, 0444);
    QString text;
    {
        TWithoutOverride withoutOverride;
        text = ErrorText([&] { TZEP_DBFile file(path); });
    }
    EXPECT_TRUE(text.contains(QStringLiteral("schreibgeschützt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    EXPECT_EQ(ModeOf(path), 0400u) << "read-only, and no longer readable by others";
    SetMode(path, 0600);

    SetMode(home.DataFolder(), 0500);
    {
        TWithoutOverride withoutOverride;
        text = ErrorText([&] { TZEP_DBFile file(path); });
    }
    SetMode(home.DataFolder(), 0700);
    EXPECT_TRUE(text.contains(QStringLiteral("schreibgeschützt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    ExpectIntact(path);
}

TEST(Database, FullDatabaseIsAClearErrorAndKeepsTheOldRecord) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);
    {
        TZEP_DBFile file(path);
        const QString pages = Scalar(file.Database(), "PRAGMA page_count");
        file.Database().Execute(
            QStringLiteral("PRAGMA max_page_count = %1").arg(pages).toUtf8().constData(),
            QStringLiteral("Einstellen"));
        const QByteArray big(256 * 1024, 'x');
        QString text = ErrorText(
            [&] { InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Neu"), big); });
        EXPECT_TRUE(text.contains(QStringLiteral("kein Platz"))) << text.toStdString();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        text = ErrorText(
            [&] { UpdateRecord(file, QStringLiteral("PLON"), QStringLiteral("ALT"), big); });
        EXPECT_TRUE(text.contains(QStringLiteral("kein Platz"))) << text.toStdString();
    }
    ExpectIntact(path);
}

TEST(Database, FullDiskIsAClearErrorAndKeepsTheOldRecord) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);
    {
        TZEP_DBFile file(path);
        const QByteArray big(8 * 1024 * 1024, 'x');
        QString text;
        {
            TFileSizeLimit limit(512 * 1024);
            text = ErrorText(
                [&] { InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Neu"), big); });
        }
        EXPECT_TRUE(text.contains(QStringLiteral("kein Platz"))) << text.toStdString();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
    }
    ExpectIntact(path);
}

TEST(Database, LockedDatabaseIsAClearErrorAfterTheTimeoutWhileReadingGoesOn) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);
    TZEP_DBFile window(path);
    TZEP_DBFile run(path);
    run.Database().SetBusyTimeout(200);
    {
        TVKO_Transaction transaction(window.Database());
        window.Database().Execute("UPDATE MD_MANDORELE SET DATEN = X'6E6575'",
                                  QStringLiteral("Schreiben"));
        EXPECT_EQ(BlobOf(run, QStringLiteral("PLON"), QStringLiteral("ALT")), QByteArray("alt"));
        const QString text = ErrorText(
            [&] { InsertRecord(run, QStringLiteral("PLON"), QStringLiteral("Neu"), "neu"); });
        EXPECT_TRUE(text.contains(QStringLiteral("gesperrt"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("0,2 Sekunden"))) << text.toStdString();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        transaction.Commit();
    }
    InsertRecord(run, QStringLiteral("PLON"), QStringLiteral("Neu"), "neu");
    EXPECT_EQ(WalkKeys(window),
              (QStringList{QStringLiteral("PLON/ALT"), QStringLiteral("PLON/NEU")}));
    EXPECT_EQ(BlobOf(window, QStringLiteral("PLON"), QStringLiteral("ALT")), QByteArray("neu"));
}

TEST(Database, TransactionRollsBackUnlessCommitted) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);
    TZEP_DBFile file(path);
    TZEP_DBFile other(path);
    const QString text = ErrorText([&] {
        TVKO_Transaction transaction(file.Database());
        file.Database().Execute("UPDATE MD_MANDORELE SET DATEN = X'00'",
                                QStringLiteral("Schreiben"));
        EXPECT_EQ(BlobOf(other, QStringLiteral("PLON"), QStringLiteral("ALT")), QByteArray("alt"));
        throw EVKO_Error(QStringLiteral("Abbruch mitten in der Buchung"));
    });
    EXPECT_EQ(text, QStringLiteral("Abbruch mitten in der Buchung"));
    ExpectIntact(path);

    {
        TVKO_Transaction transaction(file.Database());
        file.Database().Execute("UPDATE MD_MANDORELE SET DATEN = X'6E6575'",
                                QStringLiteral("Schreiben"));
        transaction.Commit();
    }
    EXPECT_EQ(BlobOf(other, QStringLiteral("PLON"), QStringLiteral("ALT")), QByteArray("neu"));
}

TEST(Database, KilledProcessLeavesEitherTheOldOrTheCommittedRecord) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    CreateWithOneRecord(path);
    const QByteArray big(2 * 1024 * 1024, 'n');
    for (const bool commit : {false, true}) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                TZEP_DBFile file(path);
                ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("ALT"));
                file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write(big);
                if (commit) {
                    file.EndStreamBuchung();
                } else {
                    TVKO_Transaction transaction(file.Database());
                    file.Database().Execute("UPDATE MD_MANDORELE SET DATEN = zeroblob(3000000)",
                                            QStringLiteral("Schreiben"));
                    ::raise(SIGKILL);
                }
            } catch (...) {
                ::_exit(1);
            }
            ::raise(SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << commit;
        if (!commit) {
            ExpectIntact(path);
        }
    }
    TZEP_DBFile file(path);
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("ALT")), big);
    EXPECT_EQ(Scalar(file.Database(), "PRAGMA integrity_check"), QStringLiteral("ok"));
}
