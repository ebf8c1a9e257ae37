#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "md_mandorel.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "vko_folder.h"
#include "zep_dbfile.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    StartupTest() {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), R"([TEMPLATES]
PLON_START
PLON_ZEITRAUM
[PLON_START]
STARTS_PROGRAM=PLON
SEQUENCE=START; WAIT "PLON" ms=5000
[PLON_ZEITRAUM]
SEQUENCE=KEYS "alt+v"; TYPE "#VON#"
[TOKENNAMES]
#VON#=Von
)");
    }

    QProcessEnvironment Environment() const { return MD_TestEnvironment(FHome); }

    TProcessResult Run(const char* AProgram, const QStringList& AArguments) const {
        return Run(AProgram, AArguments, Environment());
    }

    static TProcessResult Run(const char* AProgram, const QStringList& AArguments,
                              const QProcessEnvironment& AEnvironment) {
        return RunProcess(QString::fromLocal8Bit(AProgram), AArguments, AEnvironment, 60000);
    }

    void StoreMonatsliste() {
        TZEP_MD_Processor processor(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
        processor.Load_Reports();
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
        mandorel->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
        for (const char* vorlage : {"PLON_START", "PLON_ZEITRAUM"}) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(vorlage)});
        }
        mandorel->TokenValues().insert(QStringLiteral("#VON#"),
                                       QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
        ASSERT_TRUE(processor.Add_Mandorel(mandorel, nullptr));
        processor.Save_Reports();
    }

    TTempHome FHome;
};

}  // namespace

TEST_F(StartupTest, RunAloneLogsTheNotFoundLineWithTwoBlanksAndEndsWithTwo) {
    const TProcessResult result = Run(MD_QUANDRIX, Args({"-RUN"}));
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_TRUE(
        FHome.ReadLog().contains(QStringLiteral(" Could not find Mandorel  for Program \n")))
        << FHome.ReadLog().toStdString();
}

TEST_F(StartupTest, NotFoundLinesCarryTheValuesExactlyAsRead) {
    EXPECT_EQ(Run(MD_QUANDRIX, Args({"-run", "-prog:plon", "-report:Nix"})).ExitCode, 2);
    EXPECT_EQ(Run(MD_QUANDRIX, Args({"/RUN", "-PROG", "PLON", "-REPORT:Nix"})).ExitCode, 2);
    EXPECT_EQ(Run(MD_QUANDRIX, Args({"-RUN", "-PROGPLON", "-REPORT:Nix"})).ExitCode, 2);
    const QString log = FHome.ReadLog();
    EXPECT_TRUE(log.contains(QStringLiteral("Could not find Mandorel Nix for Program plon\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("Could not find Mandorel Nix for Program \n")));
    EXPECT_TRUE(log.contains(QStringLiteral("Could not find Mandorel Nix for Program PLON\n")));
}

TEST_F(StartupTest, AStoredMandorelThatCannotBeReadFailsTheRunInsteadOfBeingMissing) {
    {
        TZEP_DBFile file;
        file.Reset();
        file.SetKeyWert(TZEP_DBFile::CProgramKey, QStringLiteral("PLON"));
        file.SetWert(TZEP_DBFile::CDisplayName, QStringLiteral("Kaputt"));
        file.SetWert(TZEP_DBFile::CCreatedBy, TIntPair{1, 1});
        file.SetWert(TZEP_DBFile::CChangedBy, TIntPair{1, 1});
        file.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write("ZMLS");
        file.EndStreamBuchung();
    }
    const TProcessResult damaged = Run(MD_QUANDRIX, Args({"-RUN", "-PROG:PLON", "-REPORT:KAPUTT"}));
    EXPECT_EQ(damaged.ExitCode, 1) << damaged.StandardError.toStdString();
    const QString log = FHome.ReadLog();
    EXPECT_TRUE(log.contains(
        QStringLiteral("Der Mandorel KAPUTT für das Programm PLON kann nicht gelesen werden: ")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Could not find"))) << log.toStdString();
    EXPECT_TRUE(PlayedByProbe().isEmpty());
}

TEST_F(StartupTest, AStoredMandorelIsFoundAndPlayedWithTodaysDates) {
    StoreMonatsliste();
    const TProcessResult result =
        Run(MD_STARTUP_PROBE, Args({"-run", "-prog:plon", "-report:Monatsliste"}));
    EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    const QDate today = QDate::currentDate();
    const QString naechsterMonat =
        QDate(today.year(), today.month(), 1).addMonths(1).toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(PlayedByProbe(),
              QStringLiteral("PLON.EXE\nSTART; WAIT \"PLON\" ms=5000; KEYS \"alt+v\"; "
                             "TYPE \"%1\"\n")
                  .arg(naechsterMonat));
}

// A plan's or a file's words never choose the toolkit's platform, plugins or style: an
// unattended run hands the toolkit nothing of its command line.
TEST_F(StartupTest, AnUnattendedRunHandsTheToolkitNoOptionOfTheCommandLine) {
    StoreMonatsliste();
    const QString plugins = FHome.Path() + QStringLiteral("/plugins");
    const TProcessResult result =
        Run(MD_STARTUP_PROBE,
            {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
             QStringLiteral("-platformpluginpath"), plugins, QStringLiteral("-platform"),
             QStringLiteral("kaputt"), QStringLiteral("-REPORT:Monatsliste")});
    EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    EXPECT_FALSE(result.StandardError.contains(QStringLiteral("kaputt")))
        << result.StandardError.toStdString();
    EXPECT_TRUE(PlayedByProbe().startsWith(QStringLiteral("PLON.EXE\n")));
}

TEST_F(StartupTest, AFailingRunEndsWithOneAndALogLineThatSaysWhy) {
    StoreMonatsliste();
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("MD_PROBE_FAIL"), QStringLiteral("Fenster verschwunden"));
    const TProcessResult result =
        Run(MD_STARTUP_PROBE, Args({"-RUN", "-PROG:PLON", "-REPORT:MONATSLISTE"}), environment);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(
        FHome.ReadLog().contains(QStringLiteral("Der Mandorel MONATSLISTE für das Programm PLON "
                                                "ist fehlgeschlagen: Fenster verschwunden")));
    EXPECT_TRUE(result.StandardError.contains(QStringLiteral("Fenster verschwunden")));
}

TEST_F(StartupTest, WithoutADisplayTheProgramEndsWithAClearMessage) {
    QProcessEnvironment environment = Environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    const TProcessResult result =
        Run(MD_QUANDRIX, Args({"-RUN", "-PROG:PLON", "-REPORT:X"}), environment);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(result.StandardError.contains(QStringLiteral("kein Bildschirm")));

    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    const TProcessResult unreachable =
        Run(MD_QUANDRIX, Args({"-RUN", "-PROG:PLON", "-REPORT:X"}), environment);
    EXPECT_EQ(unreachable.ExitCode, 1);
    EXPECT_TRUE(unreachable.StandardError.contains(QStringLiteral("„:97“")));
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("nicht erreichbar")));
}

TEST_F(StartupTest, WithoutTheRunSwitchTheWindowOpensAndTheOtherSwitchesAreIgnored) {
    QProcess process;
    StartProcess(process, QStringLiteral(MD_QUANDRIX), Args({"-PROG:PLON", "-REPORT:Nix"}),
                 Environment());
    EXPECT_FALSE(process.waitForFinished(1500)) << "the window did not stay open";
    process.terminate();
    process.waitForFinished(10000);
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("Could not find")));
}

TEST_F(StartupTest, AWindowsCommitsAndScheduledRunsShareTheDatabase) {
    StoreMonatsliste();
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        StartProcess(*runs.back(), QStringLiteral(MD_STARTUP_PROBE),
                     Args({"-RUN", "-PROG:PLON", "-REPORT:MONATSLISTE"}), Environment());
    }
    TZEP_MD_Processor window(
        std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
    for (int commit = 0; commit < 30; ++commit) {
        window.Load_Reports();
        window.Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON"))
            ->SetAuswertungs_Grund(QStringLiteral("Stand %1").arg(commit));
        ASSERT_TRUE(window.Modify_Mandorel_Commit());
        window.Save_Reports();
    }
    for (const auto& run : runs) {
        ASSERT_TRUE(run->waitForFinished(60000));
        EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
    }
    window.Load_Reports();
    EXPECT_EQ(window.Mandorel_ByName(QStringLiteral("Monatsliste"), QStringLiteral("PLON"))
                  ->Auswertungs_Grund(),
              QStringLiteral("Stand 29"));
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("locked")));
}
