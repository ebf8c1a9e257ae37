// The X11 player against the real sample programs on the display of the run (xvfb-run).
#include <gtest/gtest.h>

#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "md_process_support.h"
#include "md_test_support.h"
#include "x11_foreign_window.h"
#include "zep_ga_player_x11.h"
#include "zep_menu_file.h"

namespace {

const QString CPlonTitle = QStringLiteral("PLON – Personaleinsatzplanung");
const QString CKudreTitle = QStringLiteral("KUDRE – Kundenregister");
const QString CPlonStart = QStringLiteral("START; WAIT \"PLON – Personaleinsatzplanung\" ms=20000");

class PlayerOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"))
            << "These tests drive real windows and need an X display (DISPLAY is empty): run "
               "them under xvfb-run as scripts/test.sh does, or configure with "
               "-DMD_X11_TESTS=OFF.";
        ASSERT_TRUE(FDir.isValid());
        WriteDirectory(StartScript(QStringLiteral("plon"), QStringLiteral(MD_PLON_SAMPLE), true),
                       StartScript(QStringLiteral("kudre"), QStringLiteral(MD_KUDRE_SAMPLE), true));
    }

    void TearDown() override {
        for (const QString& name : {QStringLiteral("plon"), QStringLiteral("kudre")}) {
            const qint64 pid = Pid(name);
            if (pid > 0 && ProcessRuns(pid)) {
                kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
    }

    // A start script that notes the program's process id and its arguments beside itself;
    // without AExec the program runs as a child of the script.
    QString StartScript(const QString& AName, const QString& AProgram, bool AExec) {
        const QString path = FDir.filePath(AName + QStringLiteral(".sh"));
        const QString pidFile = FDir.filePath(AName + QStringLiteral(".pid"));
        const QString argsFile = FDir.filePath(AName + QStringLiteral(".args"));
        const QString script =
            AExec ? QStringLiteral(
                        "#!/bin/sh\necho $$ > '%1'\nprintf '%s\\n' \"$@\" > '%2'\n"
                        "exec '%3' \"$@\"\n")
                        .arg(pidFile, argsFile, AProgram)
                  : QStringLiteral("#!/bin/sh\n'%2' \"$@\" &\necho $! > '%1'\nwait\n")
                        .arg(pidFile, AProgram);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script.toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return QStringLiteral("\"%1\"").arg(path);
    }

    void WriteDirectory(const QString& APlonCommand, const QString& AKudreCommand) {
        FHome.WriteSetting(QString::fromLatin1(CZEP_MenuFileName),
                           QStringLiteral("[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=%1\n"
                                          "[KUDRE.EXE]\nNAME=Kundenregister\nCOMMAND=%2\n")
                               .arg(APlonCommand, AKudreCommand)
                               .toUtf8());
    }

    qint64 Pid(const QString& AName) const {
        QFile file(FDir.filePath(AName + QStringLiteral(".pid")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
    }

    QString Play(const QString& ATarget, const QString& AText) {
        TZEP_GA_Sequence sequence;
        sequence.SetTargetProgramFile(ATarget);
        sequence.LoadFromText(AText);
        QElapsedTimer timer;
        timer.start();
        QString error;
        try {
            FPlayer.PlaySequence(sequence);
        } catch (const EVKO_Error& exception) {
            error = exception.Text();
        }
        FElapsedMs = timer.elapsed();
        return error;
    }

    // The first ACount lines of a file, one text, for readable failures.
    std::string Head(const QString& AName, qsizetype ACount) const {
        return Lines(AName).mid(0, ACount).join(QLatin1Char('\n')).toStdString();
    }

    QStringList Lines(const QString& AName) const {
        QFile file(FDir.filePath(AName));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    }

    TTempHome FHome;
    QTemporaryDir FDir;
    TZEP_GA_Player_X11 FPlayer;
    qint64 FElapsedMs = 0;
};

}  // namespace

TEST_F(PlayerOnX11, PlonWritesItsReportWithUmlautsTyped) {
    const QString department = QStringLiteral("Ärzte, Öl & Übung: äöüß ÄÖÜ € 1/2");
    const QString error = Play(
        QStringLiteral("PLON.EXE"),
        CPlonStart + QStringLiteral("; KEYS \"alt+v\"; TYPE \"01.03.2025\"; KEYS \"alt+i\"; "
                                    "TYPE \"31.03.2025\"; KEYS \"alt+a\"; TYPE \"%1\"; "
                                    "KEYS \"alt+s\"; KEYS \"alt+u\"; TYPE \"%2\"; KEYS \"alt+e\"; "
                                    "PAUSE ms=300; KEYS \"ctrl+q\"")
                         .arg(department, FDir.filePath(QStringLiteral("PLON_Bericht.txt"))));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    // Keys were bound for their text only: afterwards no X client reads it from the map.
    for (const unsigned long keysym : {0x20ACul, 0x10020ACul, 0xE4ul}) {
        EXPECT_FALSE(TForeignWindow::KeyMapHolds(keysym)) << keysym;
    }
    EXPECT_EQ(Head(QStringLiteral("PLON_Bericht.txt"), 5),
              QStringLiteral("Programm: PLON\nVon: 01.03.2025\nBis: 31.03.2025\nAbteilung: %1\n"
                             "Summenzeile: ja")
                  .arg(department)
                  .toStdString());
}

TEST_F(PlayerOnX11, KudreListsWithoutEverWritingThePassword) {
    const QString error = Play(
        QStringLiteral("KUDRE.EXE"),
        QStringLiteral("START; WAIT \"KUDRE – Kundenregister\" ms=20000; KEYS \"alt+k\"; "
                       "TYPE \"Geheim#Ä9\"; KEYS \"alt+s\"; TYPE \"31.12.2025\"; KEYS \"alt+g\"; "
                       "TYPE \"Großhandel Süd\"; KEYS \"alt+u\"; TYPE \"%1\"; KEYS \"alt+l\"; "
                       "PAUSE ms=300; KEYS \"ctrl+q\"")
            .arg(FDir.filePath(QStringLiteral("KUDRE_Liste.txt"))));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(Head(QStringLiteral("KUDRE_Liste.txt"), 4),
              QStringLiteral("Programm: KUDRE\nStichtag: 31.12.2025\nKundengruppe: Großhandel "
                             "Süd\nAnmeldung: ok")
                  .toStdString());
    EXPECT_FALSE(Lines(QStringLiteral("KUDRE_Liste.txt"))
                     .join(QLatin1Char('\n'))
                     .contains(QStringLiteral("Geheim")));
}

TEST_F(PlayerOnX11, AnInvalidDateShowsNoDialogAndWritesNothing) {
    const QString error =
        Play(QStringLiteral("PLON.EXE"),
             CPlonStart + QStringLiteral("; KEYS \"alt+v\"; TYPE \"31.02.2025\"; KEYS \"alt+i\"; "
                                         "TYPE \"01.03.2025\"; KEYS \"alt+u\"; TYPE \"%1\"; "
                                         "KEYS \"alt+e\"; PAUSE ms=300; KEYS \"ctrl+q\"")
                              .arg(FDir.filePath(QStringLiteral("PLON_Bericht.txt"))));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_FALSE(QFile::exists(FDir.filePath(QStringLiteral("PLON_Bericht.txt"))));
    EXPECT_TRUE(ProcessEnds(Pid(QStringLiteral("plon")), 10000))
        << "ctrl+q did not end PLON: a dialog?";
}

TEST_F(PlayerOnX11, StartArgumentsFollowTheDirectoryCommand) {
    WriteDirectory(StartScript(QStringLiteral("plon"), QStringLiteral(MD_PLON_SAMPLE), true) +
                       QStringLiteral(" --mandant \"1 2\""),
                   QString());
    const QString error =
        Play(QStringLiteral("PLON.EXE"),
             QStringLiteral("START \"--jahr 2025\"; WAIT \"%1\"; KEYS \"ctrl+q\"").arg(CPlonTitle));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(Head(QStringLiteral("plon.args"), 4), "--mandant\n1 2\n--jahr\n2025");
}

TEST_F(PlayerOnX11, AWaitTimesOutWithinItsTimeoutAndEndsTheProgram) {
    const QString error =
        Play(QStringLiteral("PLON.EXE"), QStringLiteral("START; WAIT \"Gibt es nicht\" ms=800"));
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Schritt 2 von 2 (Auf das Fenster „Gibt es nicht“")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("nach 800 ms nicht erschienen")))
        << error.toStdString();
    EXPECT_GE(FElapsedMs, 800);
    EXPECT_LT(FElapsedMs, 10000) << "the failed run hung";
    ASSERT_GT(Pid(QStringLiteral("plon")), 0);
    EXPECT_FALSE(ProcessRuns(Pid(QStringLiteral("plon"))));

    // The picture was taken while PLON's window still showed, before the run ended it.
    const TZEP_GA_Bildschirm bild = FPlayer.TakeFehlerBildschirm();
    ASSERT_GT(bild.Breite, 0);
    ASSERT_EQ(bild.Pixel.size(), qsizetype{bild.Breite} * bild.Hoehe * 4);
    EXPECT_TRUE(bild.Pixel != bild.Pixel.left(4).repeated(bild.Pixel.size() / 4))
        << "the screen shows nothing but its background";
    EXPECT_TRUE(FPlayer.TakeFehlerBildschirm().IsEmpty());
}

TEST_F(PlayerOnX11, AWaitForAWindowNoProgramShowsTimesOut) {
    const QString error =
        Play(QStringLiteral("PLON.EXE"), QStringLiteral("WAIT \"Gibt es nicht\" ms=300"));
    EXPECT_TRUE(error.contains(QStringLiteral("nach 300 ms nicht erschienen")))
        << error.toStdString();
    EXPECT_GE(FElapsedMs, 300);
}

TEST_F(PlayerOnX11, AProgramThatEndsAtOnceFailsWithoutWaitingForItsWindow) {
    WriteDirectory(QStringLiteral("/bin/sh -c \"exit 3\""), QString());
    const QString error = Play(QStringLiteral("PLON.EXE"), CPlonStart);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 2 von 2"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("„PLON.EXE“ hat sich beendet (Exit-Code 3)")))
        << error.toStdString();
    EXPECT_LT(FElapsedMs, 10000);
}

TEST_F(PlayerOnX11, AWindowThatClosesMidRunFailsTheNextStep) {
    const QString error =
        Play(QStringLiteral("PLON.EXE"),
             CPlonStart + QStringLiteral("; KEYS \"ctrl+q\"; PAUSE ms=1000; TYPE \"geheim\""));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 5 von 5 (Text eingeben):")))
        << error.toStdString();
    EXPECT_TRUE(
        error.contains(QStringLiteral("„%1“ des Zielprogramms ist nicht mehr da").arg(CPlonTitle)))
        << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("geheim")));
}

TEST_F(PlayerOnX11, StolenFocusStopsTheRunBeforeAKeyIsSent) {
    TForeignWindow foreign(QStringLiteral("Fremdes Fenster"));
    foreign.StealFocusFrom(QStringLiteral("PLON"));
    const QString error = Play(QStringLiteral("PLON.EXE"),
                               CPlonStart + QStringLiteral("; PAUSE ms=1500; TYPE \"geheim\""));
    ASSERT_TRUE(foreign.Acted());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 4 von 4 (Text eingeben):")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(
        QStringLiteral("Tastaturfokus liegt nicht beim Zielprogramm, sondern beim Fenster "
                       "„Fremdes Fenster“")))
        << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("geheim")));
    EXPECT_EQ(foreign.KeyPresses(), 0);
    EXPECT_FALSE(ProcessRuns(Pid(QStringLiteral("plon"))));
}

// While nothing changes, the player asks the server nothing between two characters: a change
// meanwhile must still stop the run before the second character.
TEST_F(PlayerOnX11, AChangeBetweenTwoCharactersStopsTheRunBeforeTheSecond) {
    using TAct = TForeignWindow::TAfterKey;
    const QString gone =
        QStringLiteral("Das Fenster „%1“ des Zielprogramms ist nicht mehr da").arg(CPlonTitle);
    const std::pair<TAct, QString> cases[] = {
        {TAct::StealFocus,
         QStringLiteral("Tastaturfokus liegt nicht beim Zielprogramm, sondern beim Fenster "
                        "„Fremdes Fenster“")},
        {TAct::Unmap, gone},
        {TAct::Replace, gone},
    };
    for (const auto& [act, expected] : cases) {
        SCOPED_TRACE(static_cast<int>(act));
        TForeignWindow foreign(QStringLiteral("Fremdes Fenster"));
        foreign.ActAfterKeyTo(QStringLiteral("PLON"), act);
        const QString error = Play(QStringLiteral("PLON.EXE"),
                                   CPlonStart + QStringLiteral("; PAUSE ms=1000; TYPE \"a\"; "
                                                               "PAUSE ms=800; TYPE \"geheim\""));
        ASSERT_TRUE(foreign.Acted());
        EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 6 von 6 (Text eingeben):")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(expected)) << error.toStdString();
        EXPECT_EQ(foreign.KeyPresses(), 0);
    }
}

TEST_F(PlayerOnX11, WithoutAStartOnlyAWindowOfTheDirectorysProgramGetsInput) {
    // The program itself in the directory, not a start script: its process must run that file.
    WriteDirectory(QStringLiteral("\"%1\"").arg(QStringLiteral(MD_PLON_SAMPLE)), QString());
    {
        TForeignWindow editor(QStringLiteral("notizen.txt – %1").arg(CPlonTitle));
        const QString error =
            Play(QStringLiteral("PLON.EXE"),
                 QStringLiteral("WAIT \"%1\" ms=1000; TYPE \"geheim\"").arg(CPlonTitle));
        EXPECT_TRUE(error.contains(QStringLiteral("gehört zu einem anderen Programm")))
            << error.toStdString();
        EXPECT_EQ(editor.KeyPresses(), 0);
    }

    QProcess plon;
    plon.start(QStringLiteral(MD_PLON_SAMPLE), {});
    ASSERT_TRUE(plon.waitForStarted());
    // A window that claims to be PLON's, in front of PLON's own.
    QThread::msleep(1500);
    TForeignWindow forged(CPlonTitle, plon.processId());
    const QString error =
        Play(QStringLiteral("PLON.EXE"),
             QStringLiteral("WAIT \"%1\" ms=20000; TYPE \"ab\"; KEYS \"ctrl+q\"").arg(CPlonTitle));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(forged.KeyPresses(), 0);
    EXPECT_TRUE(plon.waitForFinished(10000)) << "ctrl+q did not reach PLON";
}

TEST_F(PlayerOnX11, AServerThatCannotNameAWindowsOwnerGetsNoRun) {
    QProcess server;
    server.start(
        QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
         QStringLiteral("tcp"), QStringLiteral("-extension"), QStringLiteral("X-Resource")});
    ASSERT_TRUE(server.waitForReadyRead(10000)) << "Xvfb did not start";
    const QByteArray display = ":" + server.readLine().trimmed();
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", display);
    const QString error = Play(QStringLiteral("PLON.EXE"), CPlonStart);
    qputenv("DISPLAY", previous);
    server.terminate();
    server.waitForFinished(5000);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 1 von 2"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("Erweiterung X-Resource"))) << error.toStdString();
    EXPECT_EQ(Pid(QStringLiteral("plon")), 0) << "PLON was started";
}

TEST_F(PlayerOnX11, ClicksOnlyWhereTheTargetWindowIsShown) {
    TForeignWindow foreign(QStringLiteral("Fremdes Fenster"));
    QString error = Play(QStringLiteral("PLON.EXE"),
                         CPlonStart + QStringLiteral("; CLICK x=5 y=5; CLICK x=5000 y=5"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 4 von 4 (Klicken bei 5000, 5):")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("außerhalb des Fensters"))) << error.toStdString();

    foreign.CoverWhenFocused(QStringLiteral("PLON"));
    error = Play(QStringLiteral("PLON.EXE"),
                 CPlonStart + QStringLiteral("; PAUSE ms=1500; CLICK x=5 y=5"));
    ASSERT_TRUE(foreign.Acted());
    EXPECT_TRUE(
        error.contains(QStringLiteral("liegt das Fenster „Fremdes Fenster“ über dem "
                                      "Zielprogramm")))
        << error.toStdString();
}

TEST_F(PlayerOnX11, AFailedRunEndsWhatTheProgramStarted) {
    WriteDirectory(StartScript(QStringLiteral("plon"), QStringLiteral(MD_PLON_SAMPLE), false),
                   QString());
    const QString error = Play(QStringLiteral("PLON.EXE"),
                               CPlonStart + QStringLiteral("; KEYS \"alt+v\"; "
                                                           "WAIT \"Gibt es nicht\" ms=200"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 4 von 4"))) << error.toStdString();
    ASSERT_GT(Pid(QStringLiteral("plon")), 0);
    EXPECT_FALSE(ProcessRuns(Pid(QStringLiteral("plon"))));
}

TEST_F(PlayerOnX11, AProgramACompletedRunLeavesOpenKeepsRunning) {
    const QString error = Play(QStringLiteral("PLON.EXE"), CPlonStart);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(ProcessRuns(Pid(QStringLiteral("plon"))));
}
