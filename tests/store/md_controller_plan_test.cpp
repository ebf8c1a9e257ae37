#include <QDir>
#include <QFile>
#include <QTime>

#include "md_gui_controller.h"
#include "md_recording_systemctl.h"
#include "md_store_fixture.h"
#include "vko_info.h"
#include "vko_oncalendar.h"
#include "vko_planmani.h"
#include "vko_systemd_timer.h"

class ControllerPlanTest : public TStoreTest {
protected:
    ControllerPlanTest() {
        Store(Mandorel(QStringLiteral("Monatsliste")));
        Store(Mandorel(QStringLiteral("Wochenliste")));
    }

    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> NewController() {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(NewPlayer(), QStringList{});
        controller->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        return controller;
    }

    static TPlanSatz Geplant() {
        TPlanSatz satz;
        satz.Aktiv = true;
        satz.Art = TPlanArt::Taeglich;
        satz.Uhrzeit = QTime(6, 30);
        return satz;
    }

    // Loads a record through a plan store of its own; false when it is not there.
    bool Laden(const TIntTrio& AId, TPlanSatz& ASatz) {
        return TPlanManiDM().PlanLaden(AId, ASatz, FKommandos);
    }

    static QString Lesen(const QString& APfad) {
        QFile datei(APfad);
        return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
    }

    TZEP_PfadKommandoArgumenteList FKommandos;
    TScriptedPresenterScope FPresenter;
    TRecordingSystemctl FSystemctl;
};

TEST_F(ControllerPlanTest, SavesTheProgramCallLoadsOnlyThisMandorelsRecordsAndDeletesThem) {
    auto controller = NewController();
    TPlanSatz satz = Geplant();
    EXPECT_FALSE(controller->Save_Plan(satz).Defined());  // nothing selected
    EXPECT_TRUE(TPlanManiDM().PlanIds().isEmpty());

    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    const TIntTrio id = controller->Save_Plan(satz);
    ASSERT_TRUE(id.Defined());
    TPlanSatz gelesen;
    ASSERT_TRUE(Laden(id, gelesen));
    EXPECT_EQ(gelesen.JobText, QStringLiteral("Mandorel;PLON;MONATSLISTE"));
    EXPECT_EQ(
        QString(gelesen.Flag1) + gelesen.Flag2 + gelesen.Flag3 + gelesen.Flag4 + gelesen.Flag5,
        QStringLiteral("NJNNN"));
    EXPECT_EQ(gelesen.PlanerId, VKOInfo().VKOInfoPlanerID());
    ASSERT_EQ(FKommandos.size(), 1);
    EXPECT_EQ(FKommandos[0].Art, 1);
    EXPECT_EQ(FKommandos[0].Programm, QStringLiteral("quandrix.exe"));
    EXPECT_EQ(FKommandos[0].Argumente, QStringLiteral("-RUN -PROG:PLON -REPORT:MONATSLISTE"));
    EXPECT_TRUE(FSystemctl.Take().contains(QStringLiteral("daemon-reload")));

    // Booking again keeps the id.
    satz.Uhrzeit = QTime(7, 0);
    EXPECT_EQ(controller->Save_Plan(satz), id);

    int rufe = 0;
    const auto zaehlen = [&rufe](const TPlanSatz&) { ++rufe; };
    controller->Load_Plan(id, zaehlen);
    controller->Load_Plan(TIntTrio{4711, 0, 0}, zaehlen);
    EXPECT_EQ(rufe, 1);

    // An id of another Mandorel's record, as an import brings it: that record is neither shown
    // nor overwritten; this Mandorel gets its own.
    controller->Select_Mandorel(QStringLiteral("WOCHENLISTE"), QStringLiteral("PLON"));
    controller->Load_Plan(id, zaehlen);
    EXPECT_EQ(rufe, 1);
    TPlanSatz fremd = Geplant();
    fremd.PlanId = id;
    const TIntTrio eigene = controller->Save_Plan(fremd);
    EXPECT_NE(eigene, id);
    ASSERT_TRUE(Laden(id, gelesen));
    EXPECT_EQ(gelesen.JobText, QStringLiteral("Mandorel;PLON;MONATSLISTE"));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(7, 0));
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());

    // Deleting a Mandorel removes its plans and their timers, no other.
    TPlanSatz zweiter = Geplant();
    const TIntTrio eigene2 = controller->Save_Plan(zweiter);
    FSystemctl.Take();
    controller->DeleteSelectedReport();
    EXPECT_EQ(TPlanManiDM().PlanIds(), QList<TIntTrio>{id});
    const QStringList systemctl = FSystemctl.Take();
    for (const TIntTrio& weg : {eigene, eigene2}) {
        EXPECT_TRUE(
            systemctl.contains(QStringLiteral("disable --now quandrix-plan-%1.timer").arg(weg.I1)))
            << systemctl.join(QLatin1Char('|')).toStdString();
    }
}

TEST_F(ControllerPlanTest, ANewMandorelThatCannotBeBookedWritesNoPlan) {
    auto controller = NewController();
    controller->CreateNewReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("monatsliste"));
    controller->SelectedReport_SetProgramm(QStringLiteral("plon"));
    TPlanSatz satz = Geplant();
    try {
        (void)controller->Save_Plan(satz);
        FAIL() << "the plan of a duplicate was saved";
    } catch (const EVKO_Error& AFehler) {
        EXPECT_EQ(AFehler.Koord(), MD_Koord(1001));
    }
    EXPECT_TRUE(TPlanManiDM().PlanIds().isEmpty());
    EXPECT_TRUE(FSystemctl.Take().isEmpty());

    // Nor for a program that is not in the directory: its code would become words of the
    // timer's command line.
    controller->SelectedReport_SetName(QStringLiteral("Neu"));
    controller->SelectedReport_SetProgramm(QStringLiteral("PLON -REPORT:MONATSLISTE"));
    try {
        (void)controller->Save_Plan(satz);
        FAIL() << "the plan of a program outside the directory was saved";
    } catch (const EVKO_Error& AFehler) {
        EXPECT_EQ(AFehler.Koord(), MD_Koord(1041));
    }
    EXPECT_TRUE(TPlanManiDM().PlanIds().isEmpty());
    EXPECT_TRUE(FSystemctl.Take().isEmpty());
}

TEST_F(ControllerPlanTest, WithoutAServiceManagerThePlanIsSavedAndTheUserToldOnce) {
    FSystemctl.Entfernen();
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    TPlanSatz ungeplant;
    EXPECT_TRUE(controller->Save_Plan(ungeplant).Defined());
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());  // nothing planned, nothing to say

    TPlanSatz satz = Geplant();
    const TIntTrio id = controller->Save_Plan(satz);
    (void)controller->Save_Plan(satz);
    ASSERT_EQ(FPresenter->Meldungen.size(), 1);
    EXPECT_EQ(FPresenter->Meldungen[0].Koord, MD_Koord(1016));
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("nicht aktiv")));
    TPlanSatz gelesen;
    EXPECT_TRUE(Laden(id, gelesen));
    EXPECT_TRUE(gelesen.Aktiv);
}

// A plan that lists its dates runs dry unless someone renews them: every run does, touching
// only its own timer, and no trouble with the scheduler changes how the run went.
TEST_F(ControllerPlanTest, EveryRunRenewsItsListedDatesAndNeverFailsForIt) {
    Store(Mandorel(QStringLiteral("Jahresliste")));
    TPlanSatz alle3 = Geplant();
    alle3.AlleNTage = 3;
    alle3.ErsterTag = QDate(2025, 1, 16);
    TPlanSatz alle2 = alle3;
    alle2.AlleNTage = 2;
    TPlanSatz montags = Geplant();
    montags.Art = TPlanArt::Woechentlich;
    montags.Wochentage = 1;
    {
        auto controller = NewController();
        controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
        controller->Save_Plan(alle3);
        controller->Select_Mandorel(QStringLiteral("WOCHENLISTE"), QStringLiteral("PLON"));
        controller->Save_Plan(alle2);
        controller->Select_Mandorel(QStringLiteral("JAHRESLISTE"), QStringLiteral("PLON"));
        controller->Save_Plan(montags);
    }
    const QString ordner = TVKO_SystemdTimer().UnitOrdner() + QLatin1Char('/');
    const QString eigener =
        ordner + TVKO_SystemdTimer::UnitName(alle3.PlanId) + QStringLiteral(".timer");
    const QString fremder =
        ordner + TVKO_SystemdTimer::UnitName(alle2.PlanId) + QStringLiteral(".timer");
    const QString fremderText = Lesen(fremder);
    FSystemctl.Take();

    const auto laufen = [this](const char* AName) {
        TZEP_MD_GUI_Controller_Impl controller(
            NewPlayer(), QStringList{QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                                     QStringLiteral("-REPORT:") + QString::fromUtf8(AName)});
        controller.Mandorel_AutoExecute();
        return controller.AutoExecuteErgebnis();
    };
    // Years later, with no window opened since, the listing has run dry; the run renews it
    // with the dates from now on (their elapses are checked against the service manager's
    // own calendar by the host tests).
    const QDateTime spaeter(QDate(2029, 6, 1), QTime(12, 0));
    TFixedClock uhr(spaeter);
    const QString neu = QStringLiteral("OnCalendar=") + VKO_OnCalendar(alle3, spaeter).value(0);
    ASSERT_FALSE(Lesen(eigener).contains(neu));
    EXPECT_EQ(laufen("Monatsliste"), TZEP_MD_AutoExecuteErgebnis::Gespielt);
    EXPECT_TRUE(Lesen(eigener).contains(neu + QLatin1Char('\n'))) << Lesen(eigener).toStdString();
    EXPECT_EQ(FSystemctl.Take(),
              (QStringList{QStringLiteral("show-environment"), QStringLiteral("daemon-reload"),
                           QStringLiteral("restart ") + TVKO_SystemdTimer::UnitName(alle3.PlanId) +
                               QStringLiteral(".timer")}));
    EXPECT_EQ(Lesen(fremder), fremderText);
    // A pattern has nothing to renew and leaves the service manager alone.
    EXPECT_EQ(laufen("Jahresliste"), TZEP_MD_AutoExecuteErgebnis::Gespielt);
    EXPECT_TRUE(FSystemctl.Take().isEmpty());

    // Without a service manager, or with a timer that cannot be written, the run still
    // counts as played; each costs one log line.
    const auto zeilen = [this] { return FHome.ReadLog().count(QLatin1Char('\n')); };
    qsizetype vorher = zeilen();
    {
        TRecordingSystemctl fehlt;
        fehlt.Entfernen();
        uhr.Set(spaeter.addDays(10));
        EXPECT_EQ(laufen("Monatsliste"), TZEP_MD_AutoExecuteErgebnis::Gespielt);
        EXPECT_EQ(zeilen(), vorher + 1);
        EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("nicht verlängert")));
    }
    vorher = zeilen();
    ASSERT_TRUE(QFile::remove(eigener));
    ASSERT_TRUE(QDir().mkdir(eigener));
    EXPECT_EQ(laufen("Monatsliste"), TZEP_MD_AutoExecuteErgebnis::Gespielt);
    EXPECT_EQ(zeilen(), vorher + 1);
}
