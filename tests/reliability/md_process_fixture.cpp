#include "md_process_fixture.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "md_mandorel.h"
#include "md_postgres_cluster.h"
#include "md_processor.h"
#include "md_versioned_mandorel.h"
#include "vko_database.h"
#include "vko_folder.h"
#include "vko_statement.h"

namespace {

constexpr uid_t CNobody = 65534;

bool IstRoot() {
    return ::geteuid() == 0;
}

void ChangeOwner(const QString& APath, uid_t AOwner) {
    ASSERT_EQ(::chown(QFile::encodeName(APath).constData(), AOwner, AOwner), 0)
        << APath.toStdString();
}

}  // namespace

TCommitLog ParseCommits(const QString& AOutput) {
    TCommitLog log;
    QStringList lines = AOutput.split(QLatin1Char('\n'));
    lines.removeLast();
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 3) {
            continue;
        }
        const QString& key = fields[1];
        const qint32 version = fields[2].toInt();
        if (fields[0] == QLatin1String("B")) {
            EXPECT_FALSE(log.InFlight) << "two commits at once";
            log.InFlight = std::make_pair(key, version);
        } else if (fields[0] == QLatin1String("C")) {
            EXPECT_EQ(log.InFlight, std::make_pair(key, version)) << line.toStdString();
            log.InFlight.reset();
            log.Returned[key] = version;
            ++log.Commits;
        }
    }
    return log;
}

void ExpectConsistent(const TStand& ABefore, const TCommitLog& ALog, const TStand& AAfter) {
    constexpr qint32 CAbsent = -1;
    std::map<QString, std::set<qint32>> allowed;
    for (const auto& [key, version] : ABefore) {
        allowed[key] = {version};
    }
    for (const auto& [key, version] : ALog.Returned) {
        allowed[key] = {version};
    }
    if (ALog.InFlight) {
        const auto& [key, version] = *ALog.InFlight;
        const auto found = allowed.find(key);
        if (found == allowed.end()) {
            allowed[key] = {CAbsent, version};
        } else {
            found->second.insert(version);
        }
    }
    for (const auto& [key, version] : AAfter) {
        const auto found = allowed.find(key);
        if (found == allowed.end()) {
            ADD_FAILURE() << key.toStdString() << " appeared without a commit";
        } else {
            EXPECT_TRUE(found->second.contains(version))
                << key.toStdString() << " holds version " << version
                << ", which is neither its returned nor its old one";
        }
    }
    for (const auto& [key, versions] : allowed) {
        EXPECT_TRUE(AAfter.contains(key) || versions.contains(CAbsent))
            << key.toStdString() << " is lost";
    }
}

TProcessTest::TProcessTest() {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), QByteArray(CMD_VersionCatalogue));
    // The window books only programs of the directory.
    FHome.WriteSetting(QStringLiteral("MD_Programme.ini"),
                       "[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=/bin/true\n");
    FEnvironment = MD_TestEnvironment(FHome);
    SetMode(FProgramCopies.path(), 0755);
}

QString TProcessTest::UnprivilegedCopy(const QString& AProgram) const {
    const QString copy = FProgramCopies.filePath(QFileInfo(AProgram).fileName());
    if (!QFileInfo::exists(copy)) {
        EXPECT_TRUE(QFile::copy(AProgram, copy)) << AProgram.toStdString();
        SetMode(copy, 0755);
    }
    return copy;
}

QProcessEnvironment TProcessTest::Environment() const {
    return FEnvironment;
}

void TProcessTest::Start(QProcess& AProcess, const QString& AProgram, const QStringList& AArguments,
                         bool AUnprivileged) const {
    if (AUnprivileged && IstRoot()) {
        StartProcess(AProcess, QStringLiteral("setpriv"),
                     QStringList{QStringLiteral("--reuid=%1").arg(CNobody),
                                 QStringLiteral("--regid=%1").arg(CNobody),
                                 QStringLiteral("--clear-groups"), UnprivilegedCopy(AProgram)} +
                         AArguments,
                     FEnvironment);
    } else {
        StartProcess(AProcess, AProgram, AArguments, FEnvironment);
    }
}

TProcessResult TProcessTest::Finish(QProcess& AProcess) const {
    return FinishProcess(AProcess);
}

bool TProcessTest::WaitUntilReady(QProcess& AProcess) {
    QElapsedTimer timer;
    timer.start();
    while (!AProcess.peek(AProcess.bytesAvailable()).contains("bereit\n")) {
        if (AProcess.state() == QProcess::NotRunning || timer.elapsed() > 60000) {
            return false;
        }
        AProcess.waitForReadyRead(50);
    }
    return true;
}

TProcessResult TProcessTest::Run(const QString& AProgram, const QStringList& AArguments,
                                 bool AUnprivileged) const {
    QProcess process;
    Start(process, AProgram, AArguments, AUnprivileged);
    return Finish(process);
}

TProcessResult TProcessTest::RunMandorel(const QString& AName, bool AUnprivileged) const {
    return Run(QStringLiteral(MD_STARTUP_PROBE),
               QStringList{QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                           QStringLiteral("-REPORT:") + AName},
               AUnprivileged);
}

void TProcessTest::HandOverHome(bool ABack) const {
    if (!IstRoot()) {
        return;
    }
    const uid_t owner = ABack ? 0 : CNobody;
    SetMode(FHome.Path(), ABack ? 0700 : 0755);
    ChangeOwner(FHome.Path(), owner);
    QDirIterator entries(FHome.Path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        ChangeOwner(entries.next(), owner);
    }
}

void TProcessTest::StoreVersioned(const QStringList& ANames, qint32 AVersion) const {
    TZEP_MD_Processor store(
        std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
    store.Load_Reports();
    for (const QString& name : ANames) {
        auto mandorel = TZEP_MD_Mandorel::CreateNew(name, QStringLiteral("PLON"));
        MD_SetVersion(*mandorel, AVersion);
        ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr)) << name.toStdString();
    }
    store.Save_Reports();
}

TStand TProcessTest::ReadStand() const {
    TStand stand;
    TZEP_MD_Processor store(
        std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
    store.Load_Reports();
    store.Enum_Mandorele([&stand](TZEP_MD_Mandorel& AMandorel) {
        const std::optional<qint32> version = MD_VersionOf(AMandorel);
        EXPECT_TRUE(version.has_value())
            << AMandorel.Name_Key().toStdString() << " holds parts of different versions";
        stand[AMandorel.Name_Key()] = version.value_or(-1);
    });

    TVKO_Database database(DatabasePath());
    if (database.Engine() == TVKO_Engine::SQLite) {
        TVKO_Statement check(database, "PRAGMA integrity_check");
        EXPECT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), QStringLiteral("ok"));
    }
    TVKO_Statement count(database, "SELECT COUNT(*) FROM MD_MANDORELE");
    EXPECT_TRUE(count.Step());
    EXPECT_EQ(count.Integer(0), static_cast<qint64>(stand.size()))
        << "a stored record does not load";
    return stand;
}

QString TProcessTest::DatabasePath() const {
    return TVKO_Database::DefaultPath();
}

namespace {

QByteArray DatenbankEinstellung(const QString& AArbeitsplatz) {
    return "DIENST=team\nARBEITSPLATZ=" + AArbeitsplatz.toUtf8() + "\n";
}

}  // namespace

void TProcessTest::UseSharedDatabase(const QString& AArbeitsplatz) {
    TPostgresCluster& cluster = TPostgresCluster::Instance();
    const QString dienste =
        cluster.DienstDatei(FHome.Path(), QStringLiteral("team"), cluster.NewDatabase());
    qputenv("PGSERVICEFILE", dienste.toUtf8());
    FEnvironment.insert(QStringLiteral("PGSERVICEFILE"), dienste);
    FHome.WriteSetting(QStringLiteral("MD_Datenbank.ini"), DatenbankEinstellung(AArbeitsplatz));
}

QProcessEnvironment TProcessTest::OtherWorkstation(const QString& AArbeitsplatz) const {
    const QString wurzel = FHome.Path() + QLatin1Char('/') + AArbeitsplatz;
    QProcessEnvironment environment = FEnvironment;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), wurzel + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), wurzel + QStringLiteral("/data"));
    const QString einstellungen = ConfigFolder(environment);
    EXPECT_TRUE(QDir().mkpath(einstellungen));
    for (const QString& ordner : {wurzel, wurzel + QStringLiteral("/config"), einstellungen}) {
        SetMode(ordner, 0700);
    }
    for (const char* name : {"MD_Templates.ini", "MD_Programme.ini"}) {
        EXPECT_TRUE(QFile::copy(FHome.SettingsFolder() + QLatin1Char('/') + QLatin1String(name),
                                einstellungen + QLatin1Char('/') + QLatin1String(name)));
    }
    QFile datenbank(einstellungen + QStringLiteral("/MD_Datenbank.ini"));
    EXPECT_TRUE(datenbank.open(QIODevice::WriteOnly));
    datenbank.write(DatenbankEinstellung(AArbeitsplatz));
    return environment;
}

QString TProcessTest::ConfigFolder(const QProcessEnvironment& AEnvironment) {
    const QString xdg = AEnvironment.value(QStringLiteral("XDG_CONFIG_HOME"));
    return (xdg.isEmpty() ? AEnvironment.value(QStringLiteral("HOME")) + QStringLiteral("/.config")
                          : xdg) +
           QStringLiteral("/quandrix");
}
