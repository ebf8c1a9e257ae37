// A full disk, a read-only data folder, a missing or unreadable catalogue and a database file
// that is none: each ends with a clear message, a run with exit code 1, and nothing is lost.
#include <QDir>
#include <QFile>
#include <random>

#include "md_process_fixture.h"
#include "vko_folder.h"

namespace {

class BadEnvironmentTest : public TProcessTest {
protected:
    BadEnvironmentTest() { StoreVersioned({QStringLiteral("Monatsliste")}, 1); }

    QString CataloguePath() const {
        return FHome.SettingsFolder() + QStringLiteral("/MD_Templates.ini");
    }

    TProcessResult Commit(const QStringList& AArguments, bool AUnprivileged = false) const {
        return Run(QStringLiteral(MD_COMMIT_PROBE), AArguments, AUnprivileged);
    }

    // The run failed, said why on standard error and in the log, and played nothing.
    void ExpectFailedRun(const TProcessResult& ARun, const QStringList& AWords) const {
        EXPECT_EQ(ARun.ExitCode, 1) << ARun.StandardError.toStdString();
        for (const QString& word : AWords) {
            EXPECT_TRUE(ARun.StandardError.contains(word))
                << word.toStdString() << " missing in: " << ARun.StandardError.toStdString();
        }
        EXPECT_TRUE(PlayedByProbe().isEmpty());
    }

    const TStand FStand{{QStringLiteral("MONATSLISTE"), 1}};
};

}  // namespace

TEST_F(BadEnvironmentTest, AFullDiskFailsTheCommitClearlyAndKeepsTheOldVersion) {
    for (const char* art : {"--aendern", "--neu"}) {
        for (const bool fenster : {false, true}) {
            SCOPED_TRACE(std::string(art) + (fenster ? " im Fenster" : " im Speicher"));
            QStringList arguments = {QStringLiteral("100"), QStringLiteral("1"),
                                     QString::fromLatin1(art), QStringLiteral("--voll=65536"),
                                     // Past the full disk, within the bound of what is stored.
                                     QStringLiteral("--auffuellen=900000")};
            if (fenster) {
                arguments.append(QStringLiteral("--fenster"));
            }
            const TProcessResult full = Commit(arguments);
            EXPECT_EQ(full.ExitCode, 1);
            EXPECT_TRUE(full.StandardError.contains(QStringLiteral("kein Platz mehr")))
                << full.StandardError.toStdString();
            EXPECT_TRUE(full.StandardError.contains(DatabasePath()));
            EXPECT_FALSE(full.StandardOutput.contains(QStringLiteral("C ")));
            EXPECT_EQ(ReadStand(), FStand);
        }
    }
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("kein Platz mehr")));

    // With room again the same commit goes through.
    const TProcessResult again =
        Commit({QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("--aendern")});
    EXPECT_EQ(again.ExitCode, 0) << again.StandardError.toStdString();
    EXPECT_EQ(ReadStand(), (TStand{{QStringLiteral("MONATSLISTE"), 200}}));
}

TEST_F(BadEnvironmentTest, AReadOnlyDataFolderOrDatabaseIsAClearErrorAndLosesNothing) {
    const QString folder = FHome.DataFolder();
    const QString database = DatabasePath();
    for (const bool folderReadOnly : {true, false}) {
        SCOPED_TRACE(folderReadOnly ? "read-only folder" : "read-only database file");
        HandOverHome();
        SetMode(folderReadOnly ? folder : database, folderReadOnly ? 0555 : 0400);
        const TProcessResult run = RunMandorel(QStringLiteral("MONATSLISTE"), true);
        const TProcessResult window =
            Commit({QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("--fenster")}, true);
        SetMode(folderReadOnly ? folder : database, folderReadOnly ? 0700 : 0600);
        HandOverHome(true);

        ExpectFailedRun(run, {QStringLiteral("schreibgeschützt"), database});
        EXPECT_EQ(window.ExitCode, 1);
        EXPECT_TRUE(window.StandardError.contains(QStringLiteral("schreibgeschützt")))
            << window.StandardError.toStdString();
        EXPECT_EQ(ReadStand(), FStand);
    }
}

TEST_F(BadEnvironmentTest, AMissingCatalogueFailsTheRunNamingTheCatalogue) {
    ASSERT_TRUE(QFile::remove(CataloguePath()));
    const TProcessResult run = RunMandorel(QStringLiteral("MONATSLISTE"));
    const QStringList words = {QStringLiteral("MONATSLISTE"), QStringLiteral("PLON_START"),
                               QStringLiteral("fehlt"), CataloguePath()};
    ExpectFailedRun(run, words);
    const QString log = FHome.ReadLog();
    for (const QString& word : words) {
        EXPECT_TRUE(log.contains(word)) << log.toStdString();
    }
    EXPECT_EQ(ReadStand(), FStand);
}

TEST_F(BadEnvironmentTest, AnUnreadableCatalogueFailsTheStartNamingTheCatalogue) {
    HandOverHome();
    SetMode(CataloguePath(), 0);
    const TProcessResult run = RunMandorel(QStringLiteral("MONATSLISTE"), true);
    SetMode(CataloguePath(), 0644);
    HandOverHome(true);
    ExpectFailedRun(run, {QStringLiteral("kann nicht gelesen werden"), CataloguePath()});
    EXPECT_TRUE(FHome.ReadLog().contains(CataloguePath()));

    // A folder in the catalogue's place cannot be read by anyone.
    ASSERT_TRUE(QFile::remove(CataloguePath()));
    ASSERT_TRUE(QDir().mkdir(CataloguePath()));
    ExpectFailedRun(RunMandorel(QStringLiteral("MONATSLISTE")),
                    {QStringLiteral("kann nicht gelesen werden"), CataloguePath()});
    ASSERT_TRUE(QDir().rmdir(CataloguePath()));
    EXPECT_EQ(ReadStand(), FStand);
}

TEST_F(BadEnvironmentTest, ADatabaseFileThatIsNoneStaysByteForByteAsItWas) {
    QStringList names;
    for (int i = 0; i < 40; ++i) {
        names.append(QStringLiteral("Liste %1").arg(i));
    }
    StoreVersioned(names, 1);
    const QByteArray real = FileBytes(DatabasePath());
    ASSERT_GT(real.size(), 4 * 4096);
    // Every page but the first loses its header, so whatever is read next is damaged.
    QByteArray damaged = real;
    for (qsizetype page = 4096; page < damaged.size(); page += 4096) {
        damaged.replace(page, 16, QByteArray(16, '\xff'));
    }
    std::mt19937 zufall(7);
    QByteArray noise(50000, '\0');
    for (char& byte : noise) {
        byte = static_cast<char>(zufall());
    }
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"a letter", QByteArray("Sehr geehrte Damen und Herren,\n").repeated(200)},
        {"random bytes", noise},
        {"a cut off database", real.left(real.size() / 2)},
        {"a database with damaged pages", damaged},
    };
    for (const auto& [what, content] : files) {
        SCOPED_TRACE(what);
        WriteFileBytes(DatabasePath(), content);
        ExpectFailedRun(RunMandorel(QStringLiteral("MONATSLISTE")), {DatabasePath()});
        const TProcessResult window =
            Commit({QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("--fenster")});
        EXPECT_EQ(window.ExitCode, 1);
        EXPECT_TRUE(window.StandardError.contains(QStringLiteral("beschädigt")))
            << window.StandardError.toStdString();
        EXPECT_EQ(FileBytes(DatabasePath()), content);
    }
    const QString log = FHome.ReadLog();
    EXPECT_TRUE(log.contains(QStringLiteral("ist keine Quandrix-Datenbank"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("ist beschädigt."))) << log.toStdString();
}

TEST_F(BadEnvironmentTest, AnUnreachableSharedDatabaseFailsTheRunAndTheWindowStartNamingIt) {
    const QString datei = DatabasePath();
    const QByteArray stored = FileBytes(datei);
    FHome.WriteSetting(QStringLiteral("MD_Datenbank.ini"), "DIENST=teamdb\n");
    const QString nachricht = QStringLiteral("„teamdb“ ist nicht erreichbar");
    ExpectFailedRun(RunMandorel(QStringLiteral("MONATSLISTE")), {nachricht});
    EXPECT_TRUE(FHome.ReadLog().contains(nachricht)) << FHome.ReadLog().toStdString();
    const TProcessResult window =
        Commit({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("--fenster")});
    EXPECT_EQ(window.ExitCode, 1);
    EXPECT_TRUE(window.StandardError.contains(nachricht)) << window.StandardError.toStdString();

    // The file of this workstation is left as it was, and serves again without the setting.
    EXPECT_EQ(FileBytes(datei), stored);
    QFile::remove(FHome.SettingsFolder() + QStringLiteral("/MD_Datenbank.ini"));
    EXPECT_EQ(RunMandorel(QStringLiteral("MONATSLISTE")).ExitCode, 0);
}
