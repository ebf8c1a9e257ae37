// The player's failures that come before any window: checks of the steps, the program
// directory and the display. None of them needs an X server.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "md_test_support.h"
#include "zep_ga_player_x11.h"
#include "zep_menu_file.h"

namespace {

// Sets or clears DISPLAY for one test.
class TDisplayScope {
public:
    explicit TDisplayScope(const QByteArray& AValue) : FOld(qgetenv("DISPLAY")) {
        if (AValue.isEmpty()) {
            qunsetenv("DISPLAY");
        } else {
            qputenv("DISPLAY", AValue);
        }
    }
    ~TDisplayScope() {
        if (FOld.isEmpty()) {
            qunsetenv("DISPLAY");
        } else {
            qputenv("DISPLAY", FOld);
        }
    }

private:
    QByteArray FOld;
};

class PlayerChecks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        FMarker = FDir.filePath(QStringLiteral("gestartet"));
        // A program that leaves a trace when it is started.
        WriteDirectory("[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=/bin/sh -c \"touch " +
                       FMarker.toUtf8() + "\"\n");
    }

    void WriteDirectory(const QByteArray& AContent) {
        FHome.WriteSetting(QString::fromLatin1(CZEP_MenuFileName), AContent);
    }

    QString PlayError(const QString& AText, const QString& ATarget = QStringLiteral("PLON.EXE")) {
        TZEP_GA_Sequence sequence;
        sequence.SetTargetProgramFile(ATarget);
        sequence.LoadFromText(AText);
        TZEP_GA_Player_X11 player;
        try {
            player.PlaySequence(sequence);
        } catch (const EVKO_Error& error) {
            return error.Text();
        }
        return {};
    }

    bool Started() const { return QFile::exists(FMarker); }

    TTempHome FHome;
    QTemporaryDir FDir;
    QString FMarker;
};

}  // namespace

TEST_F(PlayerChecks, EveryStepIsCheckedBeforeAnythingIsStarted) {
    struct TCase {
        QString Sequence;
        QString Step;
        QString Detail;
    };
    const QList<TCase> cases{
        {QStringLiteral("START; TYPE \"x\""), QStringLiteral("Schritt 2 von 2 (Text eingeben)"),
         QStringLiteral("WAIT")},
        {QStringLiteral("START; WAIT \"PLON\"; TEMPLATE \"PLON_START\""),
         QStringLiteral("Schritt 3 von 3"), QStringLiteral("Vorlagenschritt")},
        {QStringLiteral("START; WAIT \"PLON\"; KEYS \"Strg+s\""),
         QStringLiteral("Schritt 3 von 3 (Tasten drücken: Strg+s)"),
         QStringLiteral("Die 1. Taste der 1. Tastenkombination")},
        {QStringLiteral("START; WAIT \"PLON\"; TYPE \"a\\u{1}b\""),
         QStringLiteral("Schritt 3 von 3 (Text eingeben)"), QStringLiteral("2. Zeichen")},
        {QStringLiteral("START; WAIT \"\""), QStringLiteral("Schritt 2 von 2"),
         QStringLiteral("kein Fenstertitel")},
        {QStringLiteral("START; PAUSE ms=-5"), QStringLiteral("Schritt 2 von 2"),
         QStringLiteral("negativ")},
        {QStringLiteral("START; WAIT \"PLON\" ms=-1"), QStringLiteral("Schritt 2 von 2"),
         QStringLiteral("negativ")},
        {QStringLiteral("START; WAIT \"PLON\"; KEYS \"alt+v\"; START; CLICK x=1 y=1"),
         QStringLiteral("Schritt 5 von 5"), QStringLiteral("WAIT")},
    };
    for (const TCase& test : cases) {
        const QString error = PlayError(test.Sequence);
        EXPECT_TRUE(error.startsWith(test.Step)) << error.toStdString();
        EXPECT_TRUE(error.contains(test.Detail)) << error.toStdString();
    }
    EXPECT_TRUE(PlayError(QStringLiteral("START"), QString())
                    .contains(QStringLiteral("kein Zielprogramm")));
    EXPECT_FALSE(Started());
}

TEST_F(PlayerChecks, TypedTextNeverAppearsInAnError) {
    const QString error = PlayError(QStringLiteral("START; WAIT \"PLON\"; TYPE \"Geheim-\\u{1}\""));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 3 von 3 (Text eingeben):")))
        << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Geheim"))) << error.toStdString();
}

TEST_F(PlayerChecks, AProgramOutsideTheDirectoryIsNotStarted) {
    QString error =
        PlayError(QStringLiteral("PAUSE ms=1; START; WAIT \"FIBU\""), QStringLiteral("FIBU.EXE"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 2 von 3 (Programm starten):")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("„FIBU.EXE“ steht nicht im Programmverzeichnis")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("MD_Programme.ini"))) << error.toStdString();

    QFile::remove(FHome.SettingsFolder() + QLatin1Char('/') +
                  QString::fromLatin1(CZEP_MenuFileName));
    error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.contains(QStringLiteral("steht nicht im Programmverzeichnis")))
        << error.toStdString();
}

TEST_F(PlayerChecks, AMissingOrUnusableCommandIsNamed) {
    WriteDirectory("[PLON.EXE]\nNAME=Personaleinsatzplanung\n");
    QString error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.contains(QStringLiteral("kein Befehl (COMMAND)"))) << error.toStdString();

    WriteDirectory("[PLON.EXE]\nCOMMAND=/gibt/es/nicht/plon -x\n");
    error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.contains(QStringLiteral("„/gibt/es/nicht/plon“"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("nicht ausführbar"))) << error.toStdString();

    WriteDirectory("[PLON.EXE]\nCOMMAND=" + FDir.path().toUtf8() + "\n");
    error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.contains(QStringLiteral("nicht ausführbar"))) << error.toStdString();

    WriteDirectory("[PLON.EXE]\nCOMMAND=gibt-es-nicht-plon\n");
    error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.contains(QStringLiteral("„gibt-es-nicht-plon“"))) << error.toStdString();
}

TEST_F(PlayerChecks, ADamagedDirectoryNamesFileAndLine) {
    WriteDirectory("[PLON.EXE]\nKOMMANDO=/bin/true\n");
    const QString error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 1 von 2"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("MD_Programme.ini“ ist beschädigt: Zeile 2")))
        << error.toStdString();
}

TEST_F(PlayerChecks, WithoutADisplayNothingIsStarted) {
    {
        TDisplayScope display(QByteArray{});
        const QString error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Schritt 1 von 2 (Programm starten):")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("DISPLAY ist nicht gesetzt")))
            << error.toStdString();
    }
    {
        TDisplayScope display(QByteArrayLiteral(":4711"));
        const QString error = PlayError(QStringLiteral("START; WAIT \"PLON\""));
        EXPECT_TRUE(error.contains(QStringLiteral("„:4711“ (DISPLAY) ist nicht erreichbar")))
            << error.toStdString();
    }
    EXPECT_FALSE(Started());
}

TEST_F(PlayerChecks, SequencesWithoutWindowsNeedNoDisplay) {
    TDisplayScope display(QByteArray{});
    EXPECT_TRUE(PlayError(QString()).isEmpty());
    EXPECT_TRUE(PlayError(QStringLiteral("PAUSE ms=1; PAUSE")).isEmpty());
}
