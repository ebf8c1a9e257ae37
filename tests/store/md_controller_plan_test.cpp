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

    // One "Buchen" of the open edit or create with the schedule ASatz, as the window does it:
    // the schedule view hands its record over, then the commit. Answers the first plan id the
    // stored Mandorel lists.
    static TIntTrio Buchen(TZEP_MD_GUI_Controller_Impl& AController, TPlanSatz& ASatz) {
        (void)AController.Save_Plan(ASatz);
        AController.ReportChanges_Commit();
        const TZEP_MD_Mandorel* mandorel = AController.Selected_Mandorel();
        return mandorel != nullptr ? mandorel->PlanIds().value(0) : TIntTrio{};
    }

    // Edits the stored Mandorel ANameKey and books ASatz under the id the view would show.
    static TIntTrio Bearbeiten(TZEP_MD_GUI_Controller_Impl& AController, const QString& ANameKey,
                               TPlanSatz ASatz) {
        AController.Select_Mandorel(ANameKey, QStringLiteral("PLON"));
        AController.EditSelectedReport_Start();
        ASatz.PlanId = AController.Selected_Mandorel()->PlanIds().value(0);
        return Buchen(AController, ASatz);
    }

    static QString Lesen(const QString& APfad) {
        QFile datei(APfad);
        return datei.open(QIODevice::ReadOnly) ? QString::fromUtf8(datei.readAll()) : QString();
    }

    TZEP_PfadKommandoArgumenteList FKommandos;
    TScriptedPresenterScope FPresenter;
    TRecordingSystemctl FSystemctl;
};

TEST_F(ControllerPlanTest, APlanIsStoredWithTheCommitThatBooksItAndKeepsItsId) {
    auto controller = NewController();
    TPlanSatz satz = Geplant();
    EXPECT_FALSE(controller->Save_Plan(satz).Defined());  // nothing selected

    // Handed over, but no commit follows: nothing is stored or planned.
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    controller->EditSelectedReport_Start();
    EXPECT_FALSE(controller->Save_Plan(satz).Defined());
    EXPECT_TRUE(TPlanManiDM().PlanIds().isEmpty());
    EXPECT_TRUE(FSystemctl.Take().isEmpty());
    controller->ReportChanges_Commit();
    const TIntTrio id = controller->Selected_Mandorel()->PlanIds().value(0);
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
    EXPECT_TRUE(FSystemctl.Take().contains(
        QStringLiteral("enable --now quandrix-plan-%1.timer").arg(id.I1)));
    // The stored record lists the id as well: another window shows the same schedule.
    {
        auto anderer = NewController();
        anderer->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
        EXPECT_EQ(anderer->Selected_Mandorel()->PlanIds(), QList<TIntTrio>{id});
    }

    // Booking again in the same window updates that record; no second one is written.
    satz.Uhrzeit = QTime(7, 0);
    EXPECT_EQ(Bearbeiten(*controller, QStringLiteral("MONATSLISTE"), satz), id);
    EXPECT_EQ(TPlanManiDM().PlanIds(), QList<TIntTrio>{id});
    ASSERT_TRUE(Laden(id, gelesen));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(7, 0));

    int rufe = 0;
    const auto zaehlen = [&rufe](const TPlanSatz&) { ++rufe; };
    controller->Load_Plan(id, zaehlen);
    controller->Load_Plan(TIntTrio{4711, 0, 0}, zaehlen);
    EXPECT_EQ(rufe, 1);

    // An id of another Mandorel's record, as an import brings it: that record is neither shown
    // nor overwritten; this Mandorel gets its own in place of the foreign id.
    controller->Select_Mandorel(QStringLiteral("WOCHENLISTE"), QStringLiteral("PLON"));
    controller->Load_Plan(id, zaehlen);
    EXPECT_EQ(rufe, 1);
    controller->EditSelectedReport_Start();
    controller->Selected_Mandorel()->PlanIds().append(id);
    TPlanSatz fremd = Geplant();
    fremd.PlanId = id;
    const TIntTrio eigene = Buchen(*controller, fremd);
    EXPECT_NE(eigene, id);
    EXPECT_EQ(controller->Selected_Mandorel()->PlanIds(), QList<TIntTrio>{eigene});
    ASSERT_TRUE(Laden(id, gelesen));
    EXPECT_EQ(gelesen.JobText, QStringLiteral("Mandorel;PLON;MONATSLISTE"));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(7, 0));
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());

    // Deleting a Mandorel removes its plans and their timers, no other.
    FSystemctl.Take();
    controller->DeleteSelectedReport();
    EXPECT_EQ(TPlanManiDM().PlanIds(), QList<TIntTrio>{id});
    const QStringList systemctl = FSystemctl.Take();
    EXPECT_TRUE(
        systemctl.contains(QStringLiteral("disable --now quandrix-plan-%1.timer").arg(eigene.I1)))
        << systemctl.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(QFile::exists(TVKO_SystemdTimer().UnitOrdner() +
                               QStringLiteral("/quandrix-plan-%1.timer").arg(eigene.I1)));
}

// Every way a commit is refused: the plan store and the unit folder stay exactly as they were.
TEST_F(ControllerPlanTest, ARefusedCommitLeavesThePlanStoreAndTheUnitsAsTheyWere) {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"),
                       QByteArray(CTestCatalogue) +
                           "[PLON_MIT_KENNWORT]\nSEQUENCE=START \"-p #KENNWORT#\"; WAIT \"PLON\"\n"
                           "[TEMPLATES]\nPLON_MIT_KENNWORT\n");
    auto erster = NewController();
    auto zweiter = NewController();
    const TIntTrio id = Bearbeiten(*erster, QStringLiteral("MONATSLISTE"), Geplant());
    ASSERT_TRUE(id.Defined());
    const QString ordner = TVKO_SystemdTimer().UnitOrdner();
    const QString timer = ordner + QStringLiteral("/quandrix-plan-%1.timer").arg(id.I1);
    const QString timerText = Lesen(timer);
    ASSERT_TRUE(timerText.contains(QStringLiteral("06:30")));
    FSystemctl.Take();
    const auto unveraendert = [&](const char* AFall) {
        TPlanSatz gelesen;
        EXPECT_EQ(TPlanManiDM().PlanIds(), QList<TIntTrio>{id}) << AFall;
        EXPECT_TRUE(Laden(id, gelesen)) << AFall;
        EXPECT_EQ(gelesen.Uhrzeit, QTime(6, 30)) << AFall;
        EXPECT_EQ(Lesen(timer), timerText) << AFall;
        EXPECT_EQ(QDir(ordner).entryList(QDir::Files | QDir::Hidden).size(), 3) << AFall;
        EXPECT_TRUE(FSystemctl.Take().isEmpty()) << AFall;
    };
    const auto abgelehnt = [](TZEP_MD_GUI_Controller_Impl& AController, TPlanSatz ASatz) {
        try {
            Buchen(AController, ASatz);
        } catch (const EVKO_Error& AFehler) {
            return AFehler;
        }
        return EVKO_Error(QStringLiteral("angenommen"));
    };
    TPlanSatz anders = Geplant();
    anders.Uhrzeit = QTime(9, 15);

    // A second window edited the same Mandorel: refused by the record file inside the
    // transaction that had written the plan already.
    zweiter->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    zweiter->EditSelectedReport_Start();
    anders.PlanId = id;
    EXPECT_EQ(abgelehnt(*zweiter, anders).Koord(), MD_Koord(1015));
    unveraendert("1015");
    zweiter->ReportChanges_Abort();

    // Two windows create the same name: the second one's plan would run the first's Mandorel.
    anders.PlanId.Clear();
    erster->CreateNewReport_Start();
    zweiter->CreateNewReport_Start();
    for (auto* controller : {erster.get(), zweiter.get()}) {
        controller->SelectedReport_SetName(QStringLiteral("Neu"));
        controller->SelectedReport_SetProgramm(QStringLiteral("PLON"));
        controller->Selected_Mandorel()->Sequence().Append(
            TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    }
    const TIntTrio neu = Buchen(*erster, anders);
    ASSERT_TRUE(neu.Defined());
    FSystemctl.Take();
    EXPECT_EQ(abgelehnt(*zweiter, Geplant()).Koord(), MD_Koord(1001));
    EXPECT_EQ(TPlanManiDM().PlanIds(), (QList<TIntTrio>{id, neu}));
    TPlanSatz gelesen;
    ASSERT_TRUE(Laden(neu, gelesen));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(9, 15));
    EXPECT_TRUE(FSystemctl.Take().isEmpty());
    zweiter->ReportChanges_Abort();
    erster->Select_Mandorel(QStringLiteral("NEU"), QStringLiteral("PLON"));
    erster->DeleteSelectedReport();
    FSystemctl.Take();
    unveraendert("Löschen");

    // A masked value in a program start vetoes the commit before anything is written, and an
    // aborted create leaves nothing behind.
    zweiter->CreateNewReport_Start();
    zweiter->SelectedReport_SetName(QStringLiteral("Mit Kennwort"));
    zweiter->SelectedReport_SetProgramm(QStringLiteral("PLON"));
    zweiter->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_MIT_KENNWORT")});
    EXPECT_TRUE(abgelehnt(*zweiter, Geplant()).Text().startsWith(QStringLiteral("Schritt 1")));
    unveraendert("Kennwort");
    TPlanSatz abgebrochen = Geplant();
    (void)zweiter->Save_Plan(abgebrochen);
    zweiter->ReportChanges_Abort();
    unveraendert("Abbrechen");
}

TEST_F(ControllerPlanTest, WithoutAServiceManagerThePlanIsSavedAndTheUserToldOnce) {
    FSystemctl.Entfernen();
    auto controller = NewController();
    EXPECT_TRUE(Bearbeiten(*controller, QStringLiteral("MONATSLISTE"), TPlanSatz{}).Defined());
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());  // nothing planned, nothing to say

    const TIntTrio id = Bearbeiten(*controller, QStringLiteral("MONATSLISTE"), Geplant());
    (void)Bearbeiten(*controller, QStringLiteral("MONATSLISTE"), Geplant());
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
        alle3.PlanId = Bearbeiten(*controller, QStringLiteral("MONATSLISTE"), alle3);
        alle2.PlanId = Bearbeiten(*controller, QStringLiteral("WOCHENLISTE"), alle2);
        montags.PlanId = Bearbeiten(*controller, QStringLiteral("JAHRESLISTE"), montags);
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

    // Without a service manager, or with something else in place of its timer, the run still
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
