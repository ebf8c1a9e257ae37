// The whole program against the real sample programs on the display of the run (xvfb-run):
// a Mandorel stored through the store, started as the scheduler starts it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <memory>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include "md_mandorel.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "md_x11_user.h"
#include "vko_systemd_timer.h"
#include "x11_foreign_window.h"
#include "zep_run_history.h"

// After the Qt headers: Xlib's macros must not reach them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"))
            << "These tests drive real windows and need an X display: run them under xvfb-run "
               "as scripts/test.sh does, or configure with -DMD_X11_TESTS=OFF.";
        ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome));
    }

    QProcessEnvironment Environment() const { return MD_TestEnvironment(FHome, TDisplay::X11); }

    void Store(const QString& AName, const QString& AProgramm, const QStringList& ATemplates,
               const TZEP_MD_TokenValues& AValues) {
        TZEP_MD_Processor processor(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
        processor.Load_Reports();
        auto mandorel = TZEP_MD_Mandorel::CreateNew(AName, AProgramm);
        mandorel->Sequence().SetTargetProgramFile(AProgramm + QStringLiteral(".EXE"));
        for (const QString& vorlage : ATemplates) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, vorlage});
        }
        mandorel->TokenValues() = AValues;
        ASSERT_TRUE(processor.Add_Mandorel(mandorel, nullptr));
        processor.Save_Reports();
    }

    struct TRun {
        int ExitCode = -1;
        qint64 Milliseconds = 0;
        QString StandardError;
    };

    TRun Run(const QStringList& AArguments) const {
        QProcess process;
        Start(process, AArguments);
        QElapsedTimer timer;
        timer.start();
        return Finish(process, timer);
    }

    void Start(QProcess& AProcess, const QStringList& AArguments) const {
        AProcess.setProcessEnvironment(Environment());
        AProcess.start(QStringLiteral(MD_QUANDRIX), AArguments);
    }

    static TRun Finish(QProcess& AProcess, const QElapsedTimer& ATimer) {
        EXPECT_TRUE(AProcess.waitForFinished(90000)) << "the run did not end";
        return TRun{AProcess.exitStatus() == QProcess::NormalExit ? AProcess.exitCode() : -1,
                    ATimer.elapsed(), QString::fromLocal8Bit(AProcess.readAllStandardError())};
    }

    void WriteCatalogue(const QByteArray& AContent) const {
        QFile catalogue(FHome.SettingsFolder() + QStringLiteral("/MD_Templates.ini"));
        ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
        catalogue.write(AContent);
    }

    QString Report(const QString& AFileName) const {
        QFile file(FHome.Path() + QLatin1Char('/') + AFileName);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Whether any key of the display's map produces the euro sign.
    static bool KeyMapHoldsEuro() {
        return TForeignWindow::KeyMapHolds(XK_EuroSign) || TForeignWindow::KeyMapHolds(0x10020AC);
    }

    // What a killed run started lives on; only processes with this test's HOME are ended.
    void EndProgramsOfThisHome() const {
        const QByteArray home = "\0HOME=" + QFile::encodeName(FHome.Path()) + '\0';
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
            if (number && pid != QCoreApplication::applicationPid() &&
                environ.open(QIODevice::ReadOnly) && ('\0' + environ.readAll()).contains(home)) {
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
    }

    // Whether the screen shows a point of AColour within 20 s.
    static bool ScreenShows(QRgb AColour) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return false;
        }
        const int width = DisplayWidth(display, DefaultScreen(display));
        const int height = DisplayHeight(display, DefaultScreen(display));
        bool shows = false;
        QElapsedTimer timer;
        timer.start();
        while (!shows && timer.elapsed() < 20000) {
            QThread::msleep(100);
            XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height,
                                      AllPlanes, ZPixmap);
            for (int point = 0; image != nullptr && point < width * height && !shows; ++point) {
                shows = (XGetPixel(image, point % width, point / width) & 0xFFFFFF) ==
                        (AColour & 0xFFFFFF);
            }
            if (image != nullptr) {
                XDestroyImage(image);
            }
        }
        XCloseDisplay(display);
        return shows;
    }

    static QString Datum(const QDate& ADate) {
        return ADate.toString(QStringLiteral("dd.MM.yyyy"));
    }

    TTempHome FHome;
};

}  // namespace

TEST_F(EndToEnd, AScheduledMonthlyListWritesTheReportForNextMonth) {
    const QString bericht = FHome.Path() + QStringLiteral("/Monatsliste_Süd.txt");
    Store(QStringLiteral("Monatsliste Süd"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_ZEITRAUM"),
           QStringLiteral("PLON_ABTEILUNG"), QStringLiteral("PLON_SUMMEN"),
           QStringLiteral("PLON_BERICHT")},
          {{QStringLiteral("#VON#"), QStringLiteral("#MONAT_NAECHSTER_ANFANG#")},
           {QStringLiteral("#BIS#"), QStringLiteral("#MONAT_NAECHSTER_ENDE#")},
           {QStringLiteral("#ABTEILUNG#"), QStringLiteral("Verkauf Süd – ÄÖÜ")},
           {QStringLiteral("#AUSGABEDATEI#"), bericht}});

    const TRun run = Run({QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                          QStringLiteral("-REPORT:MONATSLISTE_SUED")});
    ASSERT_EQ(run.ExitCode, 0) << run.StandardError.toStdString() << FHome.ReadLog().toStdString();
    std::printf("End-to-end PLON run: %lld ms wall time\n",
                static_cast<long long>(run.Milliseconds));

    const QDate today = QDate::currentDate();
    const QDate naechster = QDate(today.year(), today.month(), 1).addMonths(1);
    const QStringList lines =
        Report(QStringLiteral("Monatsliste_Süd.txt")).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5) << bericht.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Programm: PLON"));
    EXPECT_EQ(lines[1], QStringLiteral("Von: ") + Datum(naechster));
    EXPECT_EQ(lines[2], QStringLiteral("Bis: ") + Datum(naechster.addMonths(1).addDays(-1)));
    EXPECT_EQ(lines[3], QStringLiteral("Abteilung: Verkauf Süd – ÄÖÜ"));
    EXPECT_EQ(lines[4], QStringLiteral("Summenzeile: ja"));
}

// The words of an ExecStart= line as systemd reads them.
QStringList ExecStartWorte(const QString& AService) {
    const QString zeile =
        AService.section(QStringLiteral("ExecStart="), 1).section(QLatin1Char('\n'), 0, 0);
    QStringList worte;
    static const QRegularExpression CWort(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    for (const QRegularExpressionMatch& treffer : CWort.globalMatch(zeile)) {
        QString wort = treffer.captured(1);
        wort.replace(QStringLiteral("\\\""), QStringLiteral("\""))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"))
            .replace(QStringLiteral("%%"), QStringLiteral("%"))
            .replace(QStringLiteral("$$"), QStringLiteral("$"));
        worte.append(wort);
    }
    return worte;
}

// A planned run on its own screen: the generated service line plays the sample Mandorel on a
// private display while the user's display is held by a window that grabs the keyboard.
TEST_F(EndToEnd, APlanOnItsOwnScreenRunsBesideAGrabbedDesktop) {
    const QString bericht = FHome.Path() + QStringLiteral("/Geplant.txt");
    Store(QStringLiteral("Geplant"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_ZEITRAUM"),
           QStringLiteral("PLON_BERICHT")},
          {{QStringLiteral("#VON#"), QStringLiteral("01.02.2027")},
           {QStringLiteral("#BIS#"), QStringLiteral("28.02.2027")},
           {QStringLiteral("#AUSGABEDATEI#"), bericht}});
    TPlanSatz satz;
    satz.Aktiv = true;
    satz.Art = TPlanArt::Taeglich;
    satz.EigenerBildschirm = true;
    satz.JobText = QStringLiteral("Mandorel;PLON;GEPLANT");
    const QString service =
        TVKO_SystemdTimer(FHome.Path(), QStringLiteral(MD_QUANDRIX))
            .ServiceText(satz, QStringLiteral("PLON"), QStringLiteral("GEPLANT"), {});
    const QStringList worte = ExecStartWorte(service);
    ASSERT_GE(worte.size(), 2) << service.toStdString();

    Display* desktop = XOpenDisplay(nullptr);
    ASSERT_NE(desktop, nullptr);
    const Window fenster =
        XCreateSimpleWindow(desktop, DefaultRootWindow(desktop), 0, 0, 400, 300, 0, 0, 0);
    XMapRaised(desktop, fenster);
    XSync(desktop, False);
    ASSERT_EQ(XGrabKeyboard(desktop, DefaultRootWindow(desktop), True, GrabModeAsync, GrabModeAsync,
                            CurrentTime),
              GrabSuccess);
    XSync(desktop, False);

    QProcess prozess;
    prozess.setProcessEnvironment(Environment());
    QElapsedTimer timer;
    timer.start();
    prozess.start(worte.first(), worte.mid(1));
    const TRun run = Finish(prozess, timer);
    XUngrabKeyboard(desktop, CurrentTime);
    XDestroyWindow(desktop, fenster);
    XCloseDisplay(desktop);

    ASSERT_EQ(run.ExitCode, 0) << run.StandardError.toStdString() << FHome.ReadLog().toStdString();
    const QStringList zeilen = Report(QStringLiteral("Geplant.txt")).split(QLatin1Char('\n'));
    ASSERT_GE(zeilen.size(), 3) << bericht.toStdString();
    EXPECT_EQ(zeilen[1], QStringLiteral("Von: 01.02.2027"));
}

TEST_F(EndToEnd, AMaskedPasswordIsTypedButNeverWrittenAnywhere) {
    Store(QStringLiteral("Kundenliste"), QStringLiteral("KUDRE"),
          {QStringLiteral("KUDRE_START"), QStringLiteral("KUDRE_ANMELDUNG"),
           QStringLiteral("KUDRE_STICHTAG"), QStringLiteral("KUDRE_LISTE")},
          {{QStringLiteral("#KENNWORT#"), QStringLiteral("Geh31m!")},
           {QStringLiteral("#STICHTAG#"), QStringLiteral("#HEUTE#")}});
    const TRun run = Run({QStringLiteral("-RUN"), QStringLiteral("-PROG:KUDRE"),
                          QStringLiteral("-REPORT:KUNDENLISTE")});
    ASSERT_EQ(run.ExitCode, 0) << run.StandardError.toStdString();
    const QString liste = Report(QStringLiteral("KUDRE_Liste.txt"));
    EXPECT_TRUE(liste.contains(QStringLiteral("Stichtag: ") + Datum(QDate::currentDate())));
    EXPECT_TRUE(liste.contains(QStringLiteral("Anmeldung: ok")));
    EXPECT_FALSE(liste.contains(QStringLiteral("Geh31m!")));
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("Geh31m!")));
}

TEST_F(EndToEnd, ARunStoppedWhileTypingLeavesTheKeyMapAsItFoundIt) {
    // The euro sign has no key on the virtual display: each one is bound for its keystroke.
    Store(QStringLiteral("Lange Abteilung"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_ABTEILUNG")},
          {{QStringLiteral("#ABTEILUNG#"), QString(5000, QChar(0x20AC))}});
    // The server resets its key map whenever its last client leaves, and refuses connections
    // while it does: this connection keeps it from resetting between the looks below.
    const std::unique_ptr<Display, int (*)(Display*)> anchor(XOpenDisplay(nullptr), XCloseDisplay);
    ASSERT_NE(anchor, nullptr);
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(QStringLiteral(MD_QUANDRIX),
                  {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                   QStringLiteral("-REPORT:LANGE_ABTEILUNG")});
    ASSERT_TRUE(process.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    bool seen = false;
    while (!seen && timer.elapsed() < 40000 && !process.waitForFinished(20)) {
        seen = KeyMapHoldsEuro();
    }
    ASSERT_TRUE(seen) << "the run typed no euro sign\n" << FHome.ReadLog().toStdString();
    for (int i = 0; i < 20; ++i) {
        ::kill(static_cast<pid_t>(process.processId()), i % 2 == 0 ? SIGTERM : SIGINT);
    }
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(KeyMapHoldsEuro());
    EndProgramsOfThisHome();
}

// The history keeps the failing step and a picture of the screen at that moment.
TEST_F(EndToEnd, AWindowThatNeverAppearsFailsWithinItsTimeoutAndKeepsThePictureOfTheScreen) {
    // A catalogue (UTF-8 with its mark) whose second template waits for a dialog the sample
    // never shows.
    WriteCatalogue(
        "\xef\xbb\xbf[TEMPLATES]\nPLON_START\nPLON_FALSCH\n[PLON_START]\nSTARTS_PROGRAM=PLON\n"
        "SEQUENCE=START; WAIT \"PLON \xe2\x80\x93 Personaleinsatzplanung\" ms=20000\n"
        "[PLON_FALSCH]\nSEQUENCE=KEYS \"alt+a\"; TYPE \"#ABTEILUNG#\"; "
        "WAIT \"Gibt es nicht\" ms=1500\n");
    Store(QStringLiteral("Falsch"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_FALSCH")},
          {{QStringLiteral("#ABTEILUNG#"), QStringLiteral("Verkauf Süd")}});

    const TRun run = Run(
        {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"), QStringLiteral("-REPORT:FALSCH")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_LT(run.Milliseconds, 30000);
    const QString log = FHome.ReadLog();
    EXPECT_TRUE(
        log.contains(QStringLiteral("Der Mandorel FALSCH für das Programm PLON ist "
                                    "fehlgeschlagen")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Gibt es nicht")));

    TZEP_RunHistory history(DatabaseIn(FHome));
    const QList<TZEP_RunEntry> entries =
        history.Entries(QStringLiteral("PLON"), QStringLiteral("FALSCH"));
    ASSERT_EQ(entries.size(), 1);
    const TZEP_RunEntry& entry = entries.first();
    EXPECT_EQ(entry.Schritt, 5);

    // Named by the entry's number alone, never by a value of the run, and nothing else left.
    const QString name = QStringLiteral("ausfuehrung-%1.png").arg(entry.Id);
    EXPECT_EQ(entry.Bild, history.BildOrdner() + QLatin1Char('/') + name);
    EXPECT_EQ(QDir(history.BildOrdner()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(entry.Bild).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const QSize bildschirm(DisplayWidth(display, DefaultScreen(display)),
                           DisplayHeight(display, DefaultScreen(display)));
    XCloseDisplay(display);
    EXPECT_EQ(QImage(entry.Bild, "PNG").size(), bildschirm);
}

// Under a window manager (scripts/with-window-manager.sh) the window is mapped only after it
// was reparented, later than the program showed it.
TEST_F(EndToEnd, TheProgressWindowIsDrawnAlsoWhenTheWindowManagerMapsItLate) {
    WriteCatalogue("[TEMPLATES]\nPLON_WARTEN\n[PLON_WARTEN]\nSEQUENCE=PAUSE ms=5000\n");
    Store(QStringLiteral("Warten"), QStringLiteral("PLON"), {QStringLiteral("PLON_WARTEN")}, {});
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    Start(process,
          {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"), QStringLiteral("-REPORT:WARTEN")});
    // The colour of its header, which nothing else on the screen shows.
    EXPECT_TRUE(ScreenShows(qRgb(0x1f, 0x4e, 0x9c))) << "the progress window was never drawn";
    const TRun run = Finish(process, timer);
    EXPECT_EQ(run.ExitCode, 0) << run.StandardError.toStdString();
}
