// The real program's test run beside the user: on a Wayland desktop (a real weston with
// Xwayland) and on an X11 one (the display of the run), stopped with its button and killed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "md_mandorel.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "md_x11_user.h"
#include "zep_run_history.h"

namespace {

const QString CName = QStringLiteral("MONATSLISTE_SUED");

class BesideEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome)); }

    // The sample monthly list; with APauseMs a long wait after the program has come up.
    void Store(int APauseMs = 0) {
        TZEP_MD_Processor processor(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
        processor.Load_Reports();
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monatsliste Süd"), QStringLiteral("PLON"));
        mandorel->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
        QStringList vorlagen{QStringLiteral("PLON_START")};
        if (APauseMs == 0) {
            vorlagen << QStringLiteral("PLON_ZEITRAUM") << QStringLiteral("PLON_ABTEILUNG")
                     << QStringLiteral("PLON_SUMMEN") << QStringLiteral("PLON_BERICHT");
        }
        for (const QString& vorlage : vorlagen) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, vorlage});
        }
        if (APauseMs > 0) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Pause, QString(), 0, 0, APauseMs});
        }
        mandorel->TokenValues() = {
            {QStringLiteral("#VON#"), QStringLiteral("#MONAT_NAECHSTER_ANFANG#")},
            {QStringLiteral("#BIS#"), QStringLiteral("#MONAT_NAECHSTER_ENDE#")},
            {QStringLiteral("#ABTEILUNG#"), QStringLiteral("Verkauf Süd")},
            {QStringLiteral("#AUSGABEDATEI#"), FHome.Path() + QStringLiteral("/Monatsliste.txt")}};
        ASSERT_TRUE(processor.Add_Mandorel(mandorel, nullptr));
        processor.Save_Reports();
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = MD_TestEnvironment(FHome, TDisplay::X11);
        environment.insert(QStringLiteral("QUANDRIX_TESTLAUF"), QStringLiteral("PLON/") + CName);
        return environment;
    }

    QList<TZEP_RunEntry> Entries() {
        TZEP_RunHistory history(DatabaseIn(FHome));
        return history.Entries(QStringLiteral("PLON"), CName);
    }

    // The window's test run of a Mandorel that waits 20 s; answers its private display.
    qint64 StartLongRun(QProcess& AWindow) {
        EXPECT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        Store(20000);
        StartProcess(AWindow, QStringLiteral(MD_QUANDRIX), {}, Environment());
        return WaitForPrivateDisplay(AWindow);
    }

    // The private display the window started, once it is there.
    qint64 WaitForPrivateDisplay(const QProcess& AWindow) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30000) {
            const QList<qint64> servers = RunningProcesses("Xvfb", AWindow.processId());
            if (!servers.isEmpty()) {
                return servers.first();
            }
            QThread::msleep(50);
        }
        return 0;
    }

    static QString Datum(const QDate& ADate) {
        return ADate.toString(QStringLiteral("dd.MM.yyyy"));
    }

    TTempHome FHome;
};

}  // namespace

// X11 input cannot reach a Wayland window, and a compositor's accessibility bus is not there in
// CI: the test hook presses "Testlauf" inside the window, which runs natively on the compositor.
TEST_F(BesideEndToEnd, OnAWaylandDesktopTheTestRunPlaysOnItsOwnDisplay) {
    ASSERT_NO_FATAL_FAILURE(Store());
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    const QString socket = QStringLiteral("wayland-md-%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment session = MD_TestEnvironment(FHome, TDisplay::Offscreen);
    session.remove(QStringLiteral("QT_QPA_PLATFORM"));
    session.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess weston;
    weston.setProcessEnvironment(session);
    weston.start(QStringLiteral("weston"),
                 {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--xwayland"),
                  QStringLiteral("--socket=") + socket, QStringLiteral("--idle-time=0")});
    ASSERT_TRUE(weston.waitForStarted(10000)) << "weston is not installed";
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(runtime.filePath(socket)) && timer.elapsed() < 20000) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(QFile::exists(runtime.filePath(socket)))
        << weston.readAllStandardError().toStdString();

    QProcessEnvironment environment = session;
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("QUANDRIX_TESTLAUF"), QStringLiteral("PLON/") + CName);
    const TProcessResult result = RunProcess(QStringLiteral(MD_QUANDRIX), {}, environment, 90000);
    weston.terminate();
    weston.waitForFinished(10000);
    ASSERT_EQ(result.ExitCode, 0) << result.StandardError.toStdString()
                                  << FHome.ReadLog().toStdString();

    const QDate naechster =
        QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1).addMonths(1);
    QFile bericht(FHome.Path() + QStringLiteral("/Monatsliste.txt"));
    ASSERT_TRUE(bericht.open(QIODevice::ReadOnly))
        << result.StandardError.toStdString() << FHome.ReadLog().toStdString();
    const QStringList lines = QString::fromUtf8(bericht.readAll()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.at(1), QStringLiteral("Von: ") + Datum(naechster));
    EXPECT_EQ(lines.at(2), QStringLiteral("Bis: ") + Datum(naechster.addMonths(1).addDays(-1)));
    const QList<TZEP_RunEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().Ergebnis, TZEP_RunErgebnis::Gespielt);
    EXPECT_TRUE(QFile::exists(entries.first().Bild)) << "no picture of the last screen";
}

TEST_F(BesideEndToEnd, AnhaltenEndsTheRunInItsLongWaitAndLeavesNothingRunning) {
    QProcess window;
    const qint64 server = StartLongRun(window);
    ASSERT_GT(server, 0) << "no private display";
    // PLON is up once it shows on the private display; the run then waits.
    QElapsedTimer timer;
    timer.start();
    while (RunningProcesses("plon_sample").isEmpty() && timer.elapsed() < 20000) {
        QThread::msleep(50);
    }
    QThread::msleep(2000);
    ASSERT_FALSE(RunningProcesses("plon_sample").isEmpty()) << FHome.ReadLog().toStdString();

    // The user presses "Anhalten": the button is the window's one control with the focus.
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"),
              {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
               QStringLiteral("Ausführung des Mandorels"), QStringLiteral("windowfocus"),
               QStringLiteral("--sync"), QStringLiteral("key"), QStringLiteral("space")});
    ASSERT_TRUE(xdo.waitForFinished(10000));
    const QDateTime gedrueckt = QDateTime::currentDateTime();
    const TProcessResult result = FinishProcess(window, 20000);
    EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    EXPECT_TRUE(ProcessEnds(server, 2000)) << "the private display is left running";
    EXPECT_TRUE(RunningProcesses("plon_sample").isEmpty()) << "the started program is left running";
    const QList<TZEP_RunEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(TZEP_RunEntry::ErgebnisText(entries.first().Ergebnis), QStringLiteral("angehalten"));
    EXPECT_LE(gedrueckt.msecsTo(entries.first().Ende), 1000) << "the run went on after the stop";
    EXPECT_TRUE(QFile::exists(entries.first().Bild)) << "no picture of the last screen";
}

TEST_F(BesideEndToEnd, KillingTheWindowTakesThePrivateDisplayWithIt) {
    QProcess window;
    const qint64 server = StartLongRun(window);
    ASSERT_GT(server, 0) << "no private display";
    ::kill(static_cast<pid_t>(window.processId()), SIGKILL);
    window.waitForFinished(10000);
    EXPECT_TRUE(ProcessEnds(server, 5000)) << "the private display outlived the killed window";
    for (const qint64 plon : RunningProcesses("plon_sample")) {
        ::kill(static_cast<pid_t>(plon), SIGKILL);
    }
}
