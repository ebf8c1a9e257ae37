#include <QStringList>

#include "md_gui_controller.h"
#include "md_store_fixture.h"
#include "vko_info.h"

namespace {

// Records the order of the notifications the views would receive.
class TNotificationLog : public IZEP_MD_ReportListeChanged, public IZEP_MD_SelectedReportChanged {
public:
    void Notification_ReportListeChanged() override { Log.append(QStringLiteral("Liste")); }
    void Notification_ReportChanged() override { Log.append(QStringLiteral("Report")); }
    QStringList Log;
};

}  // namespace

class ControllerTest : public TStoreTest {
protected:
    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> NewController(const QStringList& AArguments = {}) {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(NewPlayer(), AArguments);
        controller->Listeners().Register_ReportListeChanged_Listener(&FViews);
        controller->Listeners().Register_ReportChanged_Listener(&FViews);
        // As the list view does when it is first shown.
        controller->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        return controller;
    }

    QStringList Names(TZEP_MD_GUI_Controller& AController) {
        QStringList names;
        AController.Enum_Mandorele(
            [&names](TZEP_MD_Mandorel& AMandorel) { names.append(AMandorel.Name_Anzeige()); });
        return names;
    }

    TNotificationLog FViews;
};

TEST_F(ControllerTest, ANewMandorelIsStoredOnCommitAndSelectedAgain) {
    auto controller = NewController();
    controller->CreateNewReport_Start();
    EXPECT_TRUE(controller->SelectedReport_IsNew());
    controller->SelectedReport_SetName(QStringLiteral("Monatsliste Süd"));
    controller->SelectedReport_SetProgramm(QStringLiteral("plon"));
    TZEP_MD_Mandorel* created = controller->Selected_Mandorel();
    EXPECT_EQ(created->Programm(), QStringLiteral("PLON"));
    EXPECT_EQ(created->Sequence().TargetProgramFile(), QStringLiteral("PLON.EXE"));
    created->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});

    FViews.Log.clear();
    controller->ReportChanges_Commit();
    EXPECT_EQ(FViews.Log, (QStringList{QStringLiteral("Liste"), QStringLiteral("Report")}));
    ASSERT_NE(controller->Selected_Mandorel(), nullptr);
    EXPECT_EQ(controller->Selected_Mandorel()->Name_Key(), QStringLiteral("MONATSLISTE_SUED"));
    EXPECT_FALSE(controller->SelectedReport_IsNew());
    EXPECT_EQ(Names(*NewController()), QStringList{QStringLiteral("Monatsliste Süd")});
}

TEST_F(ControllerTest, CommittingANewMandorelWithAStoredNameKeepsTheCreateOpen) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->CreateNewReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("monatsliste"));
    controller->SelectedReport_SetProgramm(QStringLiteral("PLON"));
    TZEP_MD_Mandorel* created = controller->Selected_Mandorel();
    try {
        controller->ReportChanges_Commit();
        ADD_FAILURE() << "the clash went unnoticed";
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(error.Koord(), MD_Koord(1001));
        EXPECT_TRUE(error.Text().contains(QStringLiteral("monatsliste")));
    }
    EXPECT_EQ(controller->Selected_Mandorel(), created);
    EXPECT_TRUE(controller->SelectedReport_IsNew());
    EXPECT_EQ(Names(*NewController()), QStringList{QStringLiteral("Monatsliste")});

    // Another name then commits.
    controller->SelectedReport_SetName(QStringLiteral("Monatsliste 2"));
    controller->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    controller->ReportChanges_Commit();
    EXPECT_EQ(Names(*NewController()).size(), 2);
}

TEST_F(ControllerTest, NameAndProgramChangeOnlyForANewMandorel) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    controller->SelectedReport_SetName(QStringLiteral("Anders"));
    controller->SelectedReport_SetProgramm(QStringLiteral("KUDRE"));
    EXPECT_EQ(controller->Selected_Mandorel()->Name_Anzeige(), QStringLiteral("Monatsliste"));
    controller->EditSelectedReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("Anders"));
    EXPECT_EQ(controller->Selected_Mandorel()->Name_Anzeige(), QStringLiteral("Monatsliste"));
    EXPECT_EQ(controller->Selected_Mandorel()->Sequence().Count(), 1);
}

TEST_F(ControllerTest, SetProgrammTakesTheFileNameOfAWindowsPath) {
    auto controller = NewController();
    controller->CreateNewReport_Start();
    controller->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    controller->SelectedReport_SetProgramm(QStringLiteral("c:\\prog\\kudre.exe"));
    EXPECT_EQ(controller->Selected_Mandorel()->Programm(), QStringLiteral("KUDRE"));
    EXPECT_EQ(controller->Selected_Mandorel()->Sequence().Count(), 0);
    EXPECT_EQ(controller->Selected_Mandorel()->Sequence().TargetProgramFile(),
              QStringLiteral("C:\\PROG\\KUDRE.EXE"));
}

TEST_F(ControllerTest, AnEditIsCommittedIntoTheStoreAndReselected) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"));
    TZEP_MD_Mandorel* stored = controller->Selected_Mandorel();
    controller->EditSelectedReport_Start();
    ASSERT_NE(controller->Selected_Mandorel(), stored);
    controller->Selected_Mandorel()->SetAuswertungs_Beschreibung(QStringLiteral("neu"));
    try {
        controller->EditSelectedReport_Start();
        ADD_FAILURE() << "a second edit was opened";
    } catch (const EVKO_Error& error) {
        EXPECT_EQ(error.Koord(), MD_Koord(1003));
    }
    FViews.Log.clear();
    controller->ReportChanges_Commit();
    EXPECT_EQ(FViews.Log, QStringList{QStringLiteral("Report")});
    EXPECT_EQ(controller->Selected_Mandorel()->Auswertungs_Beschreibung(), QStringLiteral("neu"));
}

TEST_F(ControllerTest, AbortReselectsTheStoredMandorelOrNothingAfterACreate) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    controller->EditSelectedReport_Start();
    controller->Selected_Mandorel()->SetAuswertungs_Grund(QStringLiteral("verworfen"));
    controller->ReportChanges_Abort();
    ASSERT_NE(controller->Selected_Mandorel(), nullptr);
    EXPECT_TRUE(controller->Selected_Mandorel()->Auswertungs_Grund().isEmpty());

    controller->CreateNewReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("Entwurf"));
    FViews.Log.clear();
    controller->ReportChanges_Abort();
    EXPECT_EQ(controller->Selected_Mandorel(), nullptr);
    EXPECT_EQ(FViews.Log, QStringList{QStringLiteral("Report")});
}

TEST_F(ControllerTest, DeleteRemovesTheSelectedMandorelEverywhere) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    Store(Mandorel(QStringLiteral("Jahresliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    FViews.Log.clear();
    controller->DeleteSelectedReport();
    EXPECT_EQ(controller->Selected_Mandorel(), nullptr);
    EXPECT_EQ(FViews.Log, (QStringList{QStringLiteral("Liste"), QStringLiteral("Report")}));
    EXPECT_EQ(Names(*controller), QStringList{QStringLiteral("Jahresliste")});
}

TEST_F(ControllerTest, OperationsThatNeedASelectionDoNothingWithoutOne) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->DeleteSelectedReport();
    controller->EditSelectedReport_Start();
    controller->ReportChanges_Commit();
    controller->ExecuteSelectedReport();
    QList<TZEP_MD_TokenInfo> tokens;
    EXPECT_FALSE(controller->Tokens4Template(QStringLiteral("PLON_ZEITRAUM"), tokens));
    EXPECT_EQ(Names(*controller).size(), 1);
    EXPECT_TRUE(FPlayed->Played.empty());
}

TEST_F(ControllerTest, EnumerationReloadsAndKeepsTheSelectionValid) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    Names(*controller);
    ASSERT_NE(controller->Selected_Mandorel(), nullptr);
    EXPECT_EQ(controller->Selected_Mandorel()->Name_Anzeige(), QStringLiteral("Monatsliste"));
}

TEST_F(ControllerTest, Tokens4TemplateListsEachTokenActionWithItsValue) {
    Store(Mandorel(QStringLiteral("Monatsliste")));
    auto controller = NewController();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    QList<TZEP_MD_TokenInfo> tokens{TZEP_MD_TokenInfo{QStringLiteral("#ALT#"), {}, {}, false}};
    EXPECT_FALSE(controller->Tokens4Template(QStringLiteral("FEHLT"), tokens));
    EXPECT_EQ(tokens.size(), 1);
    EXPECT_TRUE(controller->Tokens4Template(QStringLiteral("PLON_ZEITRAUM"), tokens));
    ASSERT_EQ(tokens.size(), 3);
    EXPECT_EQ(tokens[1].Kennung, QStringLiteral("#VON#"));
    EXPECT_EQ(tokens[1].AnzeigeName, QStringLiteral("Von"));
    EXPECT_EQ(tokens[1].Wert, QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
    EXPECT_EQ(tokens[2].Kennung, QStringLiteral("#BIS#"));
    EXPECT_TRUE(tokens[2].Wert.isEmpty());
    EXPECT_TRUE(controller->Tokens4Template(QStringLiteral("PLON_ANMELDUNG"), tokens));
    EXPECT_TRUE(tokens.constLast().WertMasked);
}

TEST_F(ControllerTest, CatalogueAndPlaceholdersReachTheViews) {
    auto controller = NewController();
    QStringList initial;
    controller->Enum_Templates(
        [&initial](const TZEP_MD_Template& ATemplate) { initial.append(ATemplate.Kennung()); },
        true, QString());
    EXPECT_EQ(initial, QStringList{QStringLiteral("PLON_START")});
    QStringList folge;
    controller->Enum_FolgeTemplates(
        [&folge](const TZEP_MD_Template& ATemplate) { folge.append(ATemplate.Kennung()); },
        QStringLiteral("PLON_START"));
    EXPECT_EQ(folge,
              (QStringList{QStringLiteral("PLON_ZEITRAUM"), QStringLiteral("PLON_ANMELDUNG")}));
    QStringList dynamisch;
    controller->Enum_DynTokens(
        [&dynamisch](const QString& AToken, const QString&) { dynamisch.append(AToken); });
    EXPECT_TRUE(dynamisch.contains(QStringLiteral("#MONAT_NAECHSTER_ANFANG#")));
    const TZEP_MD_Template* vorlage = nullptr;
    EXPECT_TRUE(controller->Template_ByKennung(QStringLiteral("PLON_START"), vorlage));
    EXPECT_EQ(vorlage->AnzeigeName(), QStringLiteral("PLON starten"));
}

TEST_F(ControllerTest, BuchenRefusesAMaskedTokenInAProgramStartAndStoresNothing) {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"),
                       QByteArray(CTestCatalogue) +
                           "[PLON_MIT_KENNWORT]\nSEQUENCE=START \"-p #KENNWORT#\"; WAIT \"PLON\"\n"
                           "[TEMPLATES]\nPLON_MIT_KENNWORT\n");
    auto controller = NewController();
    controller->CreateNewReport_Start();
    controller->SelectedReport_SetName(QStringLiteral("Mit Kennwort"));
    controller->SelectedReport_SetProgramm(QStringLiteral("PLON"));
    controller->Selected_Mandorel()->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_MIT_KENNWORT")});
    QString fehler;
    try {
        controller->ReportChanges_Commit();
    } catch (const EVKO_Error& error) {
        fehler = error.Text();
    }
    // The refusal itself is the token list's; the commit names the step.
    EXPECT_TRUE(fehler.startsWith(QStringLiteral("Schritt 1 (Vorlage „PLON_MIT_KENNWORT“)")))
        << fehler.toStdString();
    EXPECT_TRUE(controller->SelectedReport_IsNew());
    EXPECT_TRUE(Names(*NewController()).isEmpty());
}
