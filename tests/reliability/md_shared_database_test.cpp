// An open window commits while twenty scheduled runs start at once on the same database.
#include <QFile>
#include <cstdio>
#include <memory>
#include <vector>

#include "md_process_fixture.h"
#include "md_recording_systemctl.h"
#include "vko_planmani.h"
#include "vko_systemd_timer.h"

namespace {

constexpr int CRuns = 20;

class SharedDatabaseTest : public TProcessTest {
protected:
    struct TRun {
        std::unique_ptr<QProcess> Process = std::make_unique<QProcess>();
        QString Report;
        int Expected = 0;
    };

    // Every fourth run asks for a Mandorel that does not exist.
    std::vector<TRun> StartRuns(const QStringList& AStored) const {
        std::vector<TRun> runs(CRuns);
        for (int i = 0; i < CRuns; ++i) {
            TRun& run = runs[static_cast<std::size_t>(i)];
            const bool missing = AStored.isEmpty() || i % 4 == 3;
            run.Report = missing ? QStringLiteral("FEHLT_%1").arg(i) : AStored[i % AStored.size()];
            run.Expected = missing ? 2 : 0;
            Start(*run.Process, QStringLiteral(MD_STARTUP_PROBE),
                  QStringList{QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                              QStringLiteral("-REPORT:") + run.Report});
        }
        return runs;
    }

    // Each run played or did not find its Mandorel; none met a lock.
    int ExpectRunsEnded(std::vector<TRun>& ARuns) const {
        int played = 0;
        for (TRun& run : ARuns) {
            const TProcessResult result = Finish(*run.Process);
            EXPECT_EQ(result.ExitCode, run.Expected)
                << run.Report.toStdString() << ": " << result.StandardError.toStdString();
            EXPECT_FALSE(result.StandardError.contains(QStringLiteral("gesperrt")))
                << result.StandardError.toStdString();
            played += run.Expected == 0 ? 1 : 0;
        }
        EXPECT_EQ(PlayedByProbe().count(QStringLiteral("PLON.EXE\n")), played);
        const QString log = FHome.ReadLog();
        EXPECT_EQ(log.count(QStringLiteral("Could not find Mandorel FEHLT_")), CRuns - played);
        EXPECT_FALSE(log.contains(QStringLiteral("gesperrt"))) << log.toStdString();
        return played;
    }
};

}  // namespace

TEST_F(SharedDatabaseTest, AWindowCommitsWhileTwentyRunsStartAtOnceAndNothingLocksOrIsLost) {
    const QStringList stored = {QStringLiteral("LAUF_1"), QStringLiteral("LAUF_2"),
                                QStringLiteral("LAUF_3"), QStringLiteral("LAUF_4"),
                                QStringLiteral("LAUF_5")};
    StoreVersioned({QStringLiteral("Lauf 1"), QStringLiteral("Lauf 2"), QStringLiteral("Lauf 3"),
                    QStringLiteral("Lauf 4"), QStringLiteral("Lauf 5")},
                   1);
    const TStand before = ReadStand();

    QProcess window;
    Start(window, QStringLiteral(MD_COMMIT_PROBE),
          {QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("--fenster")});
    ASSERT_TRUE(WaitUntilReady(window)) << window.readAllStandardError().toStdString();
    std::vector<TRun> runs = StartRuns(stored);
    EXPECT_EQ(ExpectRunsEnded(runs), 15);

    // The window committed all along; it is closed the hard way, with a commit in flight.
    ASSERT_EQ(window.state(), QProcess::Running) << window.readAllStandardError().toStdString();
    window.kill();
    const TProcessResult result = Finish(window);
    const TCommitLog commits = ParseCommits(result.StandardOutput);
    EXPECT_GT(commits.Commits, 0);
    ExpectConsistent(before, commits, ReadStand());
    std::printf("%zu runs beside a window that committed %d times\n", runs.size(), commits.Commits);
}

TEST_F(SharedDatabaseTest, TwentyRunsAndAWindowStartingOnANewDatabaseNeitherLockNorFail) {
    QProcess window;
    Start(window, QStringLiteral(MD_COMMIT_PROBE),
          {QStringLiteral("100"), QStringLiteral("40"), QStringLiteral("--fenster")});
    std::vector<TRun> runs = StartRuns({});
    EXPECT_EQ(ExpectRunsEnded(runs), 0);

    const TProcessResult result = Finish(window);
    EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    const TCommitLog commits = ParseCommits(result.StandardOutput);
    EXPECT_EQ(commits.Commits, 40);
    ExpectConsistent({}, commits, ReadStand());
}

// Two windows book plans at once: neither synchronisation removes the other's fresh timers.
TEST_F(SharedDatabaseTest, TwoWindowsBookingPlansAtOnceKeepEachOthersTimers) {
    TRecordingSystemctl systemctl;
    FEnvironment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    QProcess erstes;
    QProcess zweites;
    Start(erstes, QStringLiteral(MD_COMMIT_PROBE),
          {QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("--fenster"),
           QStringLiteral("--neu"), QStringLiteral("--planen")});
    Start(zweites, QStringLiteral(MD_COMMIT_PROBE),
          {QStringLiteral("101"), QStringLiteral("12"), QStringLiteral("--fenster"),
           QStringLiteral("--neu"), QStringLiteral("--planen")});
    for (QProcess* prozess : {&erstes, &zweites}) {
        const TProcessResult result = Finish(*prozess);
        EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    }
    const QList<TIntTrio> plaene = TPlanManiDM(DatabasePath()).PlanIds();
    EXPECT_EQ(plaene.size(), 24);
    const QString ordner = TVKO_SystemdTimer().UnitOrdner() + QLatin1Char('/');
    const QStringList aufrufe = systemctl.Take();
    for (const TIntTrio& id : plaene) {
        const QString name = TVKO_SystemdTimer::UnitName(id);
        EXPECT_TRUE(QFile::exists(ordner + name + QStringLiteral(".timer"))) << name.toStdString();
        EXPECT_TRUE(QFile::exists(ordner + name + QStringLiteral(".service")))
            << name.toStdString();
        EXPECT_FALSE(
            aufrufe.contains(QStringLiteral("disable --now ") + name + QStringLiteral(".timer")))
            << name.toStdString();
    }
}
