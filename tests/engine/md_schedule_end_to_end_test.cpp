// A schedule booked in the real window with X11 input only (xdotool) on the display of the run
// (xvfb-run), seen as a user or an administrator sees it: the units in the user's systemd
// folder and what was asked of systemctl.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include "md_process_support.h"
#include "md_recording_systemctl.h"
#include "md_test_support.h"
#include "md_x11_user.h"
#include "vko_planmani.h"

namespace {

QString Lesen(const QString& APfad) {
    QFile datei(APfad);
    return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
}

class ScheduleEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome)); }

    QProcessEnvironment Environment() const { return MD_TestEnvironment(FHome, TDisplay::X11); }
    QString Unit(const char* AEndung) const {
        return FHome.Path() + QStringLiteral("/.config/systemd/user/quandrix-plan-1.") +
               QString::fromLatin1(AEndung);
    }

    // From the details, F6 passes the step's parameters (when the chosen step has any) and the
    // placeholders to the schedule, where "aktiv" takes the keyboard; Tab leads on to the kind
    // of plan, the fields of its page and the time.
    void ZumZeitplan(bool AMitParametern) {
        FUser.Keys(QStringList(AMitParametern ? 3 : 2, QStringLiteral("F6")));
    }

    TTempHome FHome;
    TRecordingSystemctl FSystemctl;  // first on the PATH of the window
    TX11User FUser{Environment()};
};

}  // namespace

TEST_F(ScheduleEndToEnd, AScheduleBookedInTheWindowBecomesATimerAndIsShownAgain) {
    ASSERT_NO_FATAL_FAILURE(FUser.StartWindow(QStringLiteral(MD_QUANDRIX)));
    FUser.ClickPanelButton(0);  // "Neu"
    for (const char* feld : {"Monatsliste", "Einsatzstunden", "Abrechnung"}) {
        FUser.Keys({QStringLiteral("Tab")});
        FUser.Type(QString::fromUtf8(feld));
    }
    FUser.Keys({QStringLiteral("Tab"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("P"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Down"), QStringLiteral("Return")});
    FUser.Keys({QStringLiteral("Z"), QStringLiteral("Return")});
    ZumZeitplan(true);
    // aktiv; weekly; Monday; 06:30.
    FUser.Keys({QStringLiteral("space"), QStringLiteral("Tab"), QStringLiteral("Right"),
                QStringLiteral("Tab"), QStringLiteral("space")});
    FUser.Keys(QStringList(7, QStringLiteral("Tab")));
    FUser.Type(QStringLiteral("0630"));
    FUser.ClickPanelButton(0);  // "Buchen"
    ASSERT_EQ(FUser.CloseWindow(), 0) << "the window did not close";

    const QString timer = Lesen(Unit("timer"));
    EXPECT_TRUE(timer.contains(QStringLiteral("\nOnCalendar=Mon *-*-* 06:30:00\n")))
        << timer.toStdString();
    EXPECT_TRUE(timer.contains(QStringLiteral("\nPersistent=true\n"))) << timer.toStdString();
    const QString service = Lesen(Unit("service"));
    EXPECT_TRUE(service.contains(QStringLiteral("\"") +
                                 QFileInfo(QStringLiteral(MD_QUANDRIX)).canonicalFilePath() +
                                 QStringLiteral("\" \"-RUN\" \"-PROG:PLON\" "
                                                "\"-REPORT:MONATSLISTE\"\n")))
        << service.toStdString();
    const QStringList gerufen = FSystemctl.Take();
    EXPECT_TRUE(gerufen.contains(QStringLiteral("daemon-reload")))
        << gerufen.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(gerufen.contains(QStringLiteral("enable --now quandrix-plan-1.timer")))
        << gerufen.join(QLatin1Char('|')).toStdString();

    // Reopened and selected, the form shows the plan again: changing only the time keeps the
    // Monday, the switch "aktiv" and the record.
    ASSERT_NO_FATAL_FAILURE(FUser.StartWindow(QStringLiteral(MD_QUANDRIX)));
    // F6 leads from the buttons to the list: its group row, then the Mandorel.
    FUser.Keys({QStringLiteral("F6"), QStringLiteral("Down"), QStringLiteral("Down")});
    FUser.ClickPanelButton(1);  // "Bearbeiten"; no step is chosen yet
    ZumZeitplan(false);
    FUser.Keys(QStringList(9, QStringLiteral("Tab")));
    FUser.Type(QStringLiteral("0715"));
    FUser.ClickPanelButton(0);  // "Buchen"
    ASSERT_EQ(FUser.CloseWindow(), 0) << "the window did not close";
    EXPECT_TRUE(Lesen(Unit("timer")).contains(QStringLiteral("\nOnCalendar=Mon *-*-* 07:15:00\n")))
        << Lesen(Unit("timer")).toStdString();
    EXPECT_EQ(TPlanManiDM(DatabaseIn(FHome)).PlanIds().size(), 1);
}
