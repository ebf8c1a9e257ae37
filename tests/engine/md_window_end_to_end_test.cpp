// A user's first Mandorel, made in the real window with X11 input only (xdotool) on the
// display of the run (xvfb-run), then run as the scheduler runs it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "md_processor.h"
#include "md_test_support.h"

namespace {

class WindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        QProcess install;
        install.setProcessEnvironment(Environment());
        install.start(QStringLiteral("bash"),
                      {QStringLiteral(MD_SOURCE_DIR "/scripts/install-samples.sh"),
                       QStringLiteral(MD_BUILD_DIR)});
        ASSERT_TRUE(install.waitForFinished(30000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    }

    void TearDown() override {
        if (FWindow.state() != QProcess::NotRunning) {
            FWindow.kill();
            FWindow.waitForFinished(5000);
        }
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert(QStringLiteral("HOME"), FHome.Path());
        return environment;
    }

    // One xdotool command; answers its output.
    QString Xdo(const QStringList& AArguments) {
        QProcess xdo;
        xdo.start(QStringLiteral("xdotool"), AArguments);
        EXPECT_TRUE(xdo.waitForFinished(20000)) << AArguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(xdo.exitCode(), 0) << xdo.readAllStandardError().toStdString();
        QThread::msleep(300);
        return QString::fromLocal8Bit(xdo.readAllStandardOutput()).trimmed();
    }

    // Clicks the panel button at this position of the column: the panel starts below the
    // 41-pixel header, its buttons are 70 pixels high and 4 apart.
    void ClickPanelButton(int APosition) {
        Xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), FWindowId,
             QStringLiteral("51"), QString::number(41 + 4 + 35 + APosition * 74),
             QStringLiteral("click"), QStringLiteral("1")});
    }

    void Keys(const QStringList& AKeys) {
        Xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")} +
            AKeys);
    }

    void Type(const QString& AText) {
        Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), AText});
    }

    TTempHome FHome;
    QProcess FWindow;
    QString FWindowId;
};

}  // namespace

TEST_F(WindowEndToEnd, AMandorelMadeInTheWindowRunsUnattended) {
    FWindow.setProcessEnvironment(Environment());
    FWindow.start(QStringLiteral(MD_QUANDRIX), {});
    ASSERT_TRUE(FWindow.waitForStarted(10000));
    FWindowId =
        Xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--name"), QStringLiteral("^Mandorel$")})
            .split(QLatin1Char('\n'))
            .constFirst();
    ASSERT_FALSE(FWindowId.isEmpty());
    Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), FWindowId});

    ClickPanelButton(0);  // "Neu"; the program box has the focus
    Keys({QStringLiteral("Tab")});
    Type(QStringLiteral("Monatsliste"));
    Keys({QStringLiteral("Tab")});
    Type(QStringLiteral("Einsatzstunden"));
    Keys({QStringLiteral("Tab")});
    Type(QStringLiteral("Abrechnung"));
    // Into the step list; Return opens the chooser of the add row, a letter picks the step.
    Keys({QStringLiteral("Tab"), QStringLiteral("Return")});
    Keys({QStringLiteral("P"), QStringLiteral("Return")});
    Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    Keys({QStringLiteral("Z"), QStringLiteral("Return")});
    Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    Keys({QStringLiteral("S"), QStringLiteral("Return")});
    Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    Keys({QStringLiteral("B"), QStringLiteral("Return")});
    ClickPanelButton(0);               // "Buchen" heads the panel in edit mode
    Keys({QStringLiteral("Escape")});  // "Beenden"
    ASSERT_TRUE(FWindow.waitForFinished(20000)) << "the window did not close";
    ASSERT_EQ(FWindow.exitCode(), 0);

    // The steps as chosen. Token values are entered in the step parameter view, which this
    // window does not have yet; until then they are written as that view will write them.
    {
        TZEP_MD_Processor store(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
        store.Load_Reports();
        TZEP_MD_Mandorel* kopie =
            store.Modify_Mandorel_Start(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
        ASSERT_NE(kopie, nullptr);
        QStringList schritte;
        for (const TZEP_GA_SingleAction& action : kopie->Sequence().Actions()) {
            schritte.append(action.Text);
        }
        EXPECT_EQ(schritte.join(QLatin1Char(',')),
                  QStringLiteral("PLON_START,PLON_ZEITRAUM,PLON_SUMMEN,PLON_BERICHT"));
        EXPECT_EQ(kopie->Auswertungs_Grund(), QStringLiteral("Abrechnung"));
        kopie->TokenValues() = {{QStringLiteral("#VON#"), QStringLiteral("#VORMONAT_ANFANG#")},
                                {QStringLiteral("#BIS#"), QStringLiteral("#VORMONAT_ENDE#")}};
        ASSERT_TRUE(store.Modify_Mandorel_Commit());
        store.Save_Reports();
    }

    QProcess run;
    run.setProcessEnvironment(Environment());
    run.start(QStringLiteral(MD_QUANDRIX), {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                                            QStringLiteral("-REPORT:MONATSLISTE")});
    ASSERT_TRUE(run.waitForFinished(90000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString()
                                 << FHome.ReadLog().toStdString();
    QFile bericht(FHome.Path() + QStringLiteral("/PLON_Bericht.txt"));
    ASSERT_TRUE(bericht.open(QIODevice::ReadOnly))
        << FHome.ReadLog().toStdString() << run.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(bericht.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Programm: PLON"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Summenzeile: ja"))) << text.toStdString();
}
