// Test runs beside the user: on a private display of their own, stoppable, watched, with the
// real sample program and a real xterm on the display of the run (xvfb-run).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <thread>

#include "md_process_support.h"
#include "md_test_support.h"
#include "vko_info.h"
#include "zep_ga_begleitung.h"
#include "zep_ga_player_x11.h"
#include "zep_ga_private_display.h"
#include "zep_ga_x11_bildquelle.h"
#include "zep_menu_file.h"
#include "zep_x11_connect.h"

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>

namespace {

const QString CPlonStart = QStringLiteral("START; WAIT \"PLON – Personaleinsatzplanung\" ms=20000");

// The X servers this process started that still run.
QList<qint64> OwnXServers() {
    return RunningProcesses("Xvfb", ::getpid());
}

// What xdpyinfo reports of a private display, as a client that knows its cookie.
QString Info(const TZEP_GA_PrivateDisplay& ADisplay) {
    QProcess info;
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    umgebung.insert(QStringLiteral("XAUTHORITY"), ADisplay.AuthDatei());
    info.setProcessEnvironment(umgebung);
    info.start(QStringLiteral("xdpyinfo"),
               {QStringLiteral("-display"), QString::fromLatin1(ADisplay.Name())});
    info.waitForFinished(10000);
    return QString::fromLocal8Bit(info.readAllStandardOutput());
}

// The screen size xdpyinfo reports for a display.
QString Dimensions(const TZEP_GA_PrivateDisplay& ADisplay) {
    return QRegularExpression(QStringLiteral(R"(dimensions:\s+(\d+x\d+) pixels)"))
        .match(Info(ADisplay))
        .captured(1);
}

// Whether xdpyinfo lists an extension of a display.
bool HasExtension(const TZEP_GA_PrivateDisplay& ADisplay, const QString& AName) {
    return QRegularExpression(QStringLiteral(R"(^\s+%1$)").arg(AName),
                              QRegularExpression::MultilineOption)
        .match(Info(ADisplay))
        .hasMatch();
}

class Beside : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        ASSERT_TRUE(FDir.isValid());
        const QString script = FDir.filePath(QStringLiteral("plon.sh"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Notes the program's id and environment beside itself.
        file.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nenv > '%2'\nexec '%3' \"$@\"\n")
                       .arg(FDir.filePath(QStringLiteral("plon.pid")),
                            FDir.filePath(QStringLiteral("plon.env")),
                            QStringLiteral(MD_PLON_SAMPLE))
                       .toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        FHome.WriteSetting(
            QString::fromLatin1(CZEP_MenuFileName),
            QStringLiteral("[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=\"%1\"\n")
                .arg(script)
                .toUtf8());
    }

    void TearDown() override {
        const qint64 pid = PlonPid();
        if (pid > 0 && ProcessRuns(pid)) {
            kill(static_cast<pid_t>(pid), SIGKILL);
        }
        qunsetenv("WAYLAND_DISPLAY");
    }

    qint64 PlonPid() const {
        QFile file(FDir.filePath(QStringLiteral("plon.pid")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
    }

    QString Text(const QString& AName) const {
        QFile file(FDir.filePath(AName));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Plays beside the user; answers the error's text, empty when the run went through.
    QString Play(const QString& AText) {
        TZEP_GA_Sequence sequence;
        sequence.SetTargetProgramFile(QStringLiteral("PLON.EXE"));
        sequence.LoadFromText(AText);
        try {
            FPlayer.PlayBeside(sequence, FBegleitung);
        } catch (const EZEP_GA_Angehalten& angehalten) {
            FStopMs = FStoppedAt.elapsed();
            FAngehalten = true;
            return angehalten.Text();
        } catch (const EVKO_Error& error) {
            return error.Text();
        }
        return {};
    }

    TTempHome FHome;
    QTemporaryDir FDir;
    TZEP_GA_Player_X11 FPlayer;
    TZEP_GA_Begleitung FBegleitung{QSize(1920, 1200)};
    bool FAngehalten = false;
    QElapsedTimer FStoppedAt;
    qint64 FStopMs = -1;
};

}  // namespace

TEST(PrivateDisplay, TakesTheUsersSizeUpToTheLargestLoadsNoGlAndEndsWithItsRun) {
    for (const auto& [groesse, erwartet] :
         {std::pair{QSize(3000, 2000), QStringLiteral("1920x1200")},
          std::pair{QSize(800, 600), QStringLiteral("800x600")},
          std::pair{QSize(), QStringLiteral("1280x1024")}}) {
        qint64 pid = 0;
        {
            const TZEP_GA_PrivateDisplay display(groesse);
            pid = display.Pid();
            EXPECT_NE(display.Name(), qgetenv("DISPLAY"));
            EXPECT_EQ(Dimensions(display), erwartet);
            EXPECT_TRUE(HasExtension(display, QStringLiteral("XTEST")));
            EXPECT_FALSE(HasExtension(display, QStringLiteral("GLX"))) << "GL is loaded";
            // Another program of the machine that does not know the cookie is refused.
            Display* fremd = XOpenDisplay(display.Name().constData());
            EXPECT_EQ(fremd, nullptr) << "the private display lets anyone in";
            if (fremd != nullptr) {
                XCloseDisplay(fremd);
            }
            EXPECT_EQ(OwnXServers(), QList<qint64>{pid});
        }
        EXPECT_TRUE(ProcessEnds(pid, 5000)) << "the private display outlived its run";
    }
}

TEST(PrivateDisplay, AsksForHugePagesKeepingTheUsersTunables) {
    const QByteArray before = qgetenv("GLIBC_TUNABLES");
    for (const auto& [eigene, erwartet] :
         {std::pair{QByteArray(), QByteArray("GLIBC_TUNABLES=glibc.malloc.hugetlb=1")},
          std::pair{
              QByteArray("glibc.malloc.arena_max=2"),
              QByteArray("GLIBC_TUNABLES=glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1")}}) {
        if (eigene.isEmpty()) {
            qunsetenv("GLIBC_TUNABLES");
        } else {
            qputenv("GLIBC_TUNABLES", eigene);
        }
        const QByteArrayList umgebung = TZEP_GA_PrivateDisplay::ServerUmgebung();
        QByteArrayList tunables;
        std::copy_if(umgebung.cbegin(), umgebung.cend(), std::back_inserter(tunables),
                     [](const QByteArray& AEntry) { return AEntry.startsWith("GLIBC_TUNABLES="); });
        EXPECT_EQ(tunables, QByteArrayList{erwartet});
        EXPECT_TRUE(umgebung.contains("HOME=" + qgetenv("HOME")));
    }
    qputenv("GLIBC_TUNABLES", before);
    if (before.isEmpty()) {
        qunsetenv("GLIBC_TUNABLES");
    }
}

TEST(PrivateDisplay, KeepsWhatItHoldsWhenItsLastClientGoes) {
    const TZEP_GA_PrivateDisplay display(QSize(800, 600));
    Display* x = ZEP_X11_Connect(display.Name());
    ASSERT_NE(x, nullptr);
    XInternAtom(x, "MD_BESIDE_TEST", False);
    XCloseDisplay(x);
    // A server that starts anew when its last client goes forgets the names it was given.
    x = ZEP_X11_Connect(display.Name());
    ASSERT_NE(x, nullptr);
    EXPECT_NE(XInternAtom(x, "MD_BESIDE_TEST", True), static_cast<Atom>(None));
    XCloseDisplay(x);
}

TEST(PrivateDisplay, ItsLastPictureIsTheWholeScreenAsItShows) {
    const TZEP_GA_PrivateDisplay display(QSize(800, 600));
    TZEP_GA_Begleitung begleitung;
    TZEP_GA_X11Bildquelle quelle(display.Name(), begleitung);
    // A red square at 100, 50 on the black screen.
    Display* x = ZEP_X11_Connect(display.Name());
    ASSERT_NE(x, nullptr);
    const Window square =
        XCreateSimpleWindow(x, DefaultRootWindow(x), 100, 50, 40, 40, 0, 0, 0xff0000UL);
    XMapWindow(x, square);
    XSync(x, False);
    const TZEP_GA_Bildschirm bild = quelle.Schlussbild();
    XCloseDisplay(x);
    ASSERT_EQ(bild.Breite, 800);
    ASSERT_EQ(bild.Hoehe, 600);
    const auto pixel = [&bild](int AX, int AY) {
        quint32 wert = 0;
        std::memcpy(&wert, bild.Pixel.constData() + (AY * bild.Breite + AX) * 4, sizeof wert);
        return wert;
    };
    EXPECT_EQ(pixel(100, 50), 0xffff0000U);
    EXPECT_EQ(pixel(139, 89), 0xffff0000U);
    EXPECT_EQ(pixel(140, 90), 0xff000000U);
    EXPECT_EQ(pixel(99, 50), 0xff000000U);
}

TEST_F(Beside, TheProgramSeesOnlyThePrivateDisplayAndItsPictureStays) {
    // A Wayland session around the window: the program must not find it.
    qputenv("WAYLAND_DISPLAY", "wayland-beside-test");
    // The program still shows when the run ends: it goes with the display.
    const QString error = Play(CPlonStart + QStringLiteral("; PAUSE ms=300"));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QStringList env = Text(QStringLiteral("plon.env")).split(QLatin1Char('\n'));
    const QString display = env.filter(QRegularExpression(QStringLiteral("^DISPLAY="))).value(0);
    EXPECT_TRUE(display.startsWith(QStringLiteral("DISPLAY=:")));
    EXPECT_NE(display, QStringLiteral("DISPLAY=") + qEnvironmentVariable("DISPLAY"));
    EXPECT_TRUE(env.filter(QStringLiteral("WAYLAND_DISPLAY")).isEmpty());
    EXPECT_TRUE(env.contains(QStringLiteral("QT_QPA_PLATFORM=xcb")));
    EXPECT_TRUE(env.contains(QStringLiteral("GDK_BACKEND=x11")));
    EXPECT_TRUE(FBegleitung.EigenerBildschirm());
    EXPECT_TRUE(OwnXServers().isEmpty());
    // The last screen of the private display, at its full size.
    const TZEP_GA_Bildschirm bild = FPlayer.TakeFehlerBildschirm();
    EXPECT_EQ(bild.Breite, 1920);
    EXPECT_EQ(bild.Hoehe, 1200);
    EXPECT_TRUE(bild.Pixel != bild.Pixel.left(4).repeated(bild.Pixel.size() / 4))
        << "the picture shows nothing but the background";
    EXPECT_TRUE(ProcessEnds(PlonPid(), 1000)) << "the program outlived its display";
}

TEST_F(Beside, ARunOnTheUsersDisplayFailsOnWaylandBeforeItTypes) {
    const QString sequence = QStringLiteral("WAIT \"Gibt es nicht\" ms=300; TYPE \"x\"");
    // On X11 it plays on the user's display, as ever.
    EXPECT_TRUE(Play(sequence).contains(QStringLiteral("nach 300 ms nicht erschienen")));
    EXPECT_FALSE(FBegleitung.EigenerBildschirm());

    qputenv("WAYLAND_DISPLAY", "wayland-beside-test");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(Play(sequence), VKOInfo().MeldungText(MD_Koord(1050)));
    EXPECT_LT(timer.elapsed(), 300) << "it waited for the window first";
    EXPECT_TRUE(OwnXServers().isEmpty());
}

TEST_F(Beside, AnhaltenInALongWaitEndsTheRunAndItsProgramAtOnce) {
    // The picture of the display while the program shows, as the window takes it.
    TZEP_GA_Bildschirm bild;
    bool bildDa = false;
    std::thread stop([this, &bild, &bildDa] {
        QElapsedTimer timer;
        timer.start();
        while (PlonPid() == 0 && timer.elapsed() < 20000) {
            QThread::msleep(20);
        }
        QThread::msleep(1500);
        bildDa = FBegleitung.TakeBild(bild);
        FStoppedAt.start();
        FBegleitung.Anhalten();
    });
    const QString error = Play(CPlonStart + QStringLiteral("; PAUSE ms=20000; KEYS \"ctrl+q\""));
    stop.join();
    ASSERT_TRUE(FAngehalten) << error.toStdString();
    // Within 200 ms of the wait; the rest is the program's end and the display's.
    EXPECT_LT(FStopMs, 1000) << "the wait ran on";
    EXPECT_TRUE(ProcessEnds(PlonPid(), 1000)) << "the started program is left running";
    EXPECT_TRUE(OwnXServers().isEmpty()) << "the private display is left running";

    // Scaled to the window's width, showing the program.
    ASSERT_TRUE(bildDa);
    EXPECT_EQ(bild.Breite, 640);
    EXPECT_EQ(bild.Hoehe, 400);
    EXPECT_TRUE(bild.Pixel != bild.Pixel.left(4).repeated(bild.Pixel.size() / 4))
        << "the picture shows nothing but the background";
}

TEST_F(Beside, TheRunAndAPersonTypeAtOnceAndNeitherMeetsTheOther) {
    QString runText;
    QString personText;
    for (int i = 0; i < 2000; ++i) {
        runText.append(QChar(u'A' + i % 26));
        personText.append(QChar(u'a' + (i * 7) % 26));
    }
    // The person's xterm on the user's display keeps what reaches it.
    const QString personFile = FDir.filePath(QStringLiteral("person.txt"));
    QProcess xterm;
    xterm.start(QStringLiteral("xterm"),
                {QStringLiteral("-title"), QStringLiteral("Neben dem Testlauf"),
                 QStringLiteral("-e"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("stty -echo -icanon; head -c 2000 > '%1'").arg(personFile)});
    ASSERT_TRUE(xterm.waitForStarted(10000));
    std::thread person([&personText] {
        QProcess xdo;
        xdo.start(
            QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--name"), QStringLiteral("Neben dem Testlauf"),
             QStringLiteral("windowfocus"), QStringLiteral("--sync"), QStringLiteral("type"),
             QStringLiteral("--delay"), QStringLiteral("3"), personText});
        xdo.waitForFinished(60000);
    });
    const QString bericht = FDir.filePath(QStringLiteral("PLON_Bericht.txt"));
    const QString error = Play(
        CPlonStart + QStringLiteral("; KEYS \"alt+v\"; TYPE \"01.03.2025\"; KEYS \"alt+i\"; "
                                    "TYPE \"31.03.2025\"; KEYS \"alt+a\"; TYPE \"%1\"; "
                                    "KEYS \"alt+u\"; TYPE \"%2\"; KEYS \"alt+e\"; PAUSE ms=300; "
                                    "KEYS \"ctrl+q\"")
                         .arg(runText, bericht));
    person.join();
    EXPECT_TRUE(xterm.waitForFinished(20000));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QStringList lines = Text(QStringLiteral("PLON_Bericht.txt")).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.at(3), QStringLiteral("Abteilung: ") + runText);
    QFile person_file(personFile);
    ASSERT_TRUE(person_file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(person_file.readAll()), personText);
}
