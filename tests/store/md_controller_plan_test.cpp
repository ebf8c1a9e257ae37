#include <QTime>

#include "md_gui_controller.h"
#include "md_recording_systemctl.h"
#include "md_store_fixture.h"
#include "vko_info.h"
#include "vko_planmani.h"

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
    bool Laden(const TIntTrio& AId, TPlanSatz& ASatz, TZEP_PfadKommandoArgumenteList& AKommandos) {
        return TPlanManiDM().PlanLaden(AId, ASatz, AKommandos);
    }

    TScriptedPresenterScope FPresenter;
    TRecordingSystemctl FSystemctl;
};

TEST_F(ControllerPlanTest, SavesTheProgramCallAndLoadsOnlyThisMandorelsRecords) {
    auto controller = NewController();
    TPlanSatz satz = Geplant();
    EXPECT_FALSE(controller->Save_Plan(satz).Defined());  // nothing selected
    EXPECT_TRUE(TPlanManiDM().PlanIds().isEmpty());

    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    const TIntTrio id = controller->Save_Plan(satz);
    ASSERT_TRUE(id.Defined());
    TPlanSatz gelesen;
    TZEP_PfadKommandoArgumenteList kommandos;
    ASSERT_TRUE(Laden(id, gelesen, kommandos));
    EXPECT_EQ(gelesen.JobText, QStringLiteral("Mandorel;PLON;MONATSLISTE"));
    const QChar flags[] = {gelesen.Flag1, gelesen.Flag2, gelesen.Flag3, gelesen.Flag4,
                           gelesen.Flag5};
    EXPECT_EQ(QString(flags, 5), QStringLiteral("NJNNN"));
    EXPECT_EQ(gelesen.PlanerId, VKOInfo().VKOInfoPlanerID());
    ASSERT_EQ(kommandos.size(), 1);
    EXPECT_EQ(kommandos[0].Art, 1);
    EXPECT_EQ(kommandos[0].Programm, QStringLiteral("quandrix.exe"));
    EXPECT_EQ(kommandos[0].Argumente, QStringLiteral("-RUN -PROG:PLON -REPORT:MONATSLISTE"));
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
    ASSERT_TRUE(Laden(id, gelesen, kommandos));
    EXPECT_EQ(gelesen.JobText, QStringLiteral("Mandorel;PLON;MONATSLISTE"));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(7, 0));
    EXPECT_TRUE(FPresenter->Meldungen.isEmpty());
}

TEST_F(ControllerPlanTest, ANewMandorelWithStoredKeysWritesNoPlan) {
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
}

TEST_F(ControllerPlanTest, DeletingAMandorelRemovesItsPlansAndTimers) {
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("WOCHENLISTE"), QStringLiteral("PLON"));
    TPlanSatz andere = Geplant();
    const TIntTrio bleibt = controller->Save_Plan(andere);
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    TPlanSatz erste = Geplant();
    TPlanSatz zweite = Geplant();
    const TIntTrio weg1 = controller->Save_Plan(erste);
    const TIntTrio weg2 = controller->Save_Plan(zweite);
    FSystemctl.Take();

    controller->DeleteSelectedReport();
    EXPECT_EQ(TPlanManiDM().PlanIds(), QList<TIntTrio>{bleibt});
    const QStringList rufe = FSystemctl.Take();
    for (const TIntTrio& id : {weg1, weg2}) {
        EXPECT_TRUE(
            rufe.contains(QStringLiteral("disable --now quandrix-plan-%1.timer").arg(id.I1)))
            << rufe.join(QLatin1Char('|')).toStdString();
    }
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
    TZEP_PfadKommandoArgumenteList kommandos;
    EXPECT_TRUE(Laden(id, gelesen, kommandos));
    EXPECT_TRUE(gelesen.Aktiv);
}
