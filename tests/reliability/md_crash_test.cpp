// A process that commits Mandorele is killed at random moments, again and again, on the
// embedded file and on a shared server. After every kill the database must be sound, every commit
// that returned must be there in its new version and every other Mandorel whole in its old or new
// one.
#include <QThread>
#include <cstdio>
#include <random>

#include "md_process_fixture.h"
#include "vko_database.h"

namespace {

constexpr int CKills = 200;

class CrashTest : public TProcessTest, public ::testing::WithParamInterface<TVKO_Engine> {
protected:
    void SetUp() override {
        if (GetParam() == TVKO_Engine::PostgreSQL) {
            UseSharedDatabase(QStringLiteral("PC-A"));
        }
    }
};

}  // namespace

TEST_P(CrashTest, KilledWhileCommittingLosesNoReturnedCommitAndHalfWritesNothing) {
    StoreVersioned({QStringLiteral("Monatsliste"), QStringLiteral("Jahresliste"),
                    QStringLiteral("Offene Posten"), QStringLiteral("Kunden nach Umsatz")},
                   1);
    TStand stand = ReadStand();
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(seed);
    std::mt19937 zufall(seed);

    int kills = 0;
    int commits = 0;
    int inStartUp = 0;
    int inFlight = 0;
    int inFlightStored = 0;
    for (; kills < CKills && !HasFailure(); ++kills) {
        const qint32 firstVersion = (kills + 2) * 100000;
        QProcess process;
        Start(process, QStringLiteral(MD_COMMIT_PROBE),
              QStringList{QString::number(firstVersion), QStringLiteral("0")});
        // Every fifth kill may land in the start-up: opening the database, loading.
        if (kills % 5 == 0) {
            QThread::msleep(std::uniform_int_distribution<unsigned>(0, 60)(zufall));
        } else {
            ASSERT_TRUE(WaitUntilReady(process)) << process.readAllStandardError().toStdString();
            QThread::usleep(std::uniform_int_distribution<unsigned>(0, 30000)(zufall));
        }
        process.kill();
        const TProcessResult result = Finish(process);
        ASSERT_TRUE(result.Killed)
            << "the probe ended on its own: " << result.StandardError.toStdString();

        const TCommitLog log = ParseCommits(result.StandardOutput);
        const TStand after = ReadStand();
        ExpectConsistent(stand, log, after);
        commits += log.Commits;
        inStartUp += result.StandardOutput.contains(QLatin1String("bereit")) ? 0 : 1;
        if (log.InFlight) {
            ++inFlight;
            const auto found = after.find(log.InFlight->first);
            inFlightStored += found != after.end() && found->second == log.InFlight->second;
        }
        stand = after;
    }
    std::printf(
        "%d kills (%d in the start-up), %d returned commits checked, %d commits in "
        "flight (%d of them stored), %zu Mandorele at the end\n",
        CKills, inStartUp, commits, inFlight, inFlightStored, stand.size());
    EXPECT_EQ(kills, CKills);
    EXPECT_GT(commits, CKills);
    EXPECT_GT(inFlight, CKills / 4) << "too few kills hit a commit";
}

INSTANTIATE_TEST_SUITE_P(Engines, CrashTest,
                         ::testing::Values(TVKO_Engine::SQLite, TVKO_Engine::PostgreSQL),
                         [](const ::testing::TestParamInfo<TVKO_Engine>& AInfo) {
                             return AInfo.param == TVKO_Engine::SQLite ? "SQLite" : "PostgreSQL";
                         });
