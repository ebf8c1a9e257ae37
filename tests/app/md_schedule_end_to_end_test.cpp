// A schedule booked in the real window with X11 input only (xdotool) on the display of the run
// (xvfb-run), seen as a user or an administrator sees it: the units in the user's systemd
// folder and what was asked of systemctl.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "md_postgres_cluster.h"
#include "md_process_support.h"
#include "md_recording_systemctl.h"
#include "md_test_support.h"
#include "md_x11_user.h"

namespace {

QString Lesen(const QString& APfad) {
    QFile datei(APfad);
    return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
}

class ScheduleEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome)); }

    TTempHome FHome;
    TRecordingSystemctl FSystemctl;  // first on the PATH of the window
    TX11User FUser{MD_TestEnvironment(FHome, TDisplay::X11)};
};

}  // namespace

// What the form saves, the service's text and a second booking are checked by the ui, store and
// host tests; here only that the keys of a user reach the user's unit folder.
TEST_F(ScheduleEndToEnd, AScheduleBookedInTheWindowBecomesATimer) {
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
    // F6 passes the step's parameters and the placeholders to the schedule, where "aktiv" takes
    // the keyboard; then weekly, Monday, and Tab on to the time: 06:30.
    FUser.Keys(QStringList(3, QStringLiteral("F6")));
    FUser.Keys({QStringLiteral("space"), QStringLiteral("Tab"), QStringLiteral("Right"),
                QStringLiteral("Tab"), QStringLiteral("space")});
    FUser.Keys(QStringList(7, QStringLiteral("Tab")));
    FUser.Type(QStringLiteral("0630"));
    FUser.ClickPanelButton(0);  // "Buchen"
    ASSERT_EQ(FUser.CloseWindow(), 0) << "the window did not close";

    const QString unit = FHome.Path() + QStringLiteral("/.config/systemd/user/quandrix-plan-1.");
    const QString timer = Lesen(unit + QStringLiteral("timer"));
    EXPECT_TRUE(timer.contains(QStringLiteral("\nOnCalendar=Mon *-*-* 06:30:00\n")))
        << timer.toStdString();
    const QString service = Lesen(unit + QStringLiteral("service"));
    EXPECT_TRUE(service.contains(QStringLiteral("\"") +
                                 QFileInfo(QStringLiteral(MD_QUANDRIX)).canonicalFilePath() +
                                 QStringLiteral("\" \"-RUN\" \"-PROG:PLON\" "
                                                "\"-REPORT:MONATSLISTE\"\n")))
        << service.toStdString();
    EXPECT_TRUE(FSystemctl.Take().contains(QStringLiteral("enable --now quandrix-plan-1.timer")));
}

// On a database two workstations share, each window times only the plans booked at it.
TEST_F(ScheduleEndToEnd, AScheduleBookedOnASharedDatabaseIsTimedOnlyWhereItWasBooked) {
    TPostgresCluster& cluster = TPostgresCluster::Instance();
    const QString dienste =
        cluster.DienstDatei(FHome.Path(), QStringLiteral("team"), cluster.NewDatabase());
    const auto arbeitsplatz = [&](const QString& AName) {
        const QString wurzel = FHome.Path() + QLatin1Char('/') + AName;
        QProcessEnvironment umgebung = MD_TestEnvironment(FHome, TDisplay::X11);
        umgebung.insert(QStringLiteral("PGSERVICEFILE"), dienste);
        umgebung.insert(QStringLiteral("XDG_CONFIG_HOME"), wurzel + QStringLiteral("/config"));
        umgebung.insert(QStringLiteral("XDG_DATA_HOME"), wurzel + QStringLiteral("/data"));
        const QString einstellungen = wurzel + QStringLiteral("/config/quandrix/");
        EXPECT_TRUE(QDir().mkpath(einstellungen));
        for (const QString& name : QDir(FHome.SettingsFolder()).entryList(QDir::Files)) {
            EXPECT_TRUE(QFile::copy(FHome.SettingsFolder() + QLatin1Char('/') + name,
                                    einstellungen + name));
        }
        QFile datenbank(einstellungen + QStringLiteral("MD_Datenbank.ini"));
        EXPECT_TRUE(datenbank.open(QIODevice::WriteOnly));
        datenbank.write("DIENST=team\nARBEITSPLATZ=" + AName.toUtf8() + "\n");
        return umgebung;
    };
    const auto units = [&](const QString& AName) {
        return QDir(FHome.Path() + QLatin1Char('/') + AName +
                    QStringLiteral("/config/systemd/user"))
            .entryList({QStringLiteral("quandrix-plan-*")}, QDir::Files, QDir::Name);
    };
    {
        TX11User hier(arbeitsplatz(QStringLiteral("PC-A")));
        ASSERT_NO_FATAL_FAILURE(hier.StartWindow(QStringLiteral(MD_QUANDRIX)));
        EXPECT_FALSE(hier.Xdo({QStringLiteral("search"), QStringLiteral("--name"),
                               QStringLiteral("gemeinsame Datenbank „team“ – Mandorel")})
                         .isEmpty());
        hier.ClickPanelButton(0);  // "Neu"
        for (const char* feld : {"Monatsliste", "Einsatzstunden", "Abrechnung"}) {
            hier.Keys({QStringLiteral("Tab")});
            hier.Type(QString::fromUtf8(feld));
        }
        hier.Keys({QStringLiteral("Tab"), QStringLiteral("Return"), QStringLiteral("P"),
                   QStringLiteral("Return"), QStringLiteral("Down"), QStringLiteral("Return"),
                   QStringLiteral("Z"), QStringLiteral("Return")});
        // Through the step's parameters to the schedule: "aktiv", daily at the default time.
        hier.Keys(QStringList(3, QStringLiteral("F6")));
        hier.Keys({QStringLiteral("space")});
        hier.ClickPanelButton(0);  // "Buchen"
        ASSERT_EQ(hier.CloseWindow(), 0) << "the window did not close";
    }
    EXPECT_EQ(units(QStringLiteral("PC-A")),
              (QStringList{QStringLiteral("quandrix-plan-1.service"),
                           QStringLiteral("quandrix-plan-1.timer")}));

    // The colleague's window starts on the same database and sees the plan, yet times nothing.
    TX11User dort(arbeitsplatz(QStringLiteral("PC-B")));
    ASSERT_NO_FATAL_FAILURE(dort.StartWindow(QStringLiteral(MD_QUANDRIX)));
    ASSERT_EQ(dort.CloseWindow(), 0) << "the window did not close";
    EXPECT_TRUE(units(QStringLiteral("PC-B")).isEmpty());
    const QStringList aufrufe = FSystemctl.Take();
    EXPECT_EQ(aufrufe.filter(QStringLiteral("enable")),
              QStringList{QStringLiteral("enable --now quandrix-plan-1.timer")})
        << aufrufe.join(QLatin1Char('|')).toStdString();
}
