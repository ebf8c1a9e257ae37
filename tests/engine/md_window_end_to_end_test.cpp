// A user's first Mandorel, made in the real window with X11 input only (xdotool) on the
// display of the run (xvfb-run), then run as the scheduler runs it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "md_process_support.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "md_x11_user.h"

namespace {

class WindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome)); }

    QProcessEnvironment Environment() const { return MD_TestEnvironment(FHome, TDisplay::X11); }

    TTempHome FHome;
    TX11User FUser{Environment()};
};

}  // namespace

TEST_F(WindowEndToEnd, AMandorelMadeInTheWindowRunsUnattended) {
    ASSERT_NO_FATAL_FAILURE(FUser.StartWindow(QStringLiteral(MD_QUANDRIX)));

    FUser.ClickPanelButton(0);  // "Neu"; the program box has the focus
    FUser.Keys({QStringLiteral("Tab")});
    FUser.Type(QStringLiteral("Monatsliste"));
    FUser.Keys({QStringLiteral("Tab")});
    FUser.Type(QStringLiteral("Einsatzstunden"));
    FUser.Keys({QStringLiteral("Tab")});
    FUser.Type(QStringLiteral("Abrechnung"));
    // Into the step list; Return opens the chooser of the add row, a letter picks the step.
    FUser.Keys({QStringLiteral("Tab"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("P"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Z"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("S"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("B"), QStringLiteral("Return")});
    FUser.ClickPanelButton(0);  // "Buchen" heads the panel in edit mode
    ASSERT_EQ(FUser.CloseWindow(), 0) << "the window did not close";

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
