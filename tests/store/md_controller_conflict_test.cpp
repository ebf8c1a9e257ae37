// Commits and deletes that fail, or meet the change of another window, through the controller
// on a real database: nothing is lost, resurrected or left pending.
#include <QStringList>

#include "md_gui_controller.h"
#include "md_store_fixture.h"
#include "vko_database.h"
#include "vko_info.h"
#include "zep_dbfile.h"

namespace {

// Another program's connection in the middle of a long write: it holds the write lock.
struct TWriteLock {
    TVKO_Database FDatabase{TVKO_Database::DefaultPath()};
    TVKO_Transaction FTransaction{FDatabase};
};

class TViewLog : public IZEP_MD_ReportListeChanged, public IZEP_MD_SelectedReportChanged {
public:
    void Notification_ReportListeChanged() override { Log.append(QStringLiteral("Liste")); }
    void Notification_ReportChanged() override { Log.append(QStringLiteral("Report")); }
    QStringList Log;
};

// The error text of AAction; fails the test when it raises none.
template <typename TAction>
EVKO_Error Failure(TAction&& AAction) {
    try {
        AAction();
    } catch (const EVKO_Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return EVKO_Error(QString());
}

}  // namespace

class ControllerConflictTest : public TStoreTest {
protected:
    ControllerConflictTest() : FOldTimeout(TZEP_DBFile::SetBusyTimeoutOfNewFiles(200)) {
        Store(Mandorel(QStringLiteral("Monatsliste")));
        Store(Mandorel(QStringLiteral("Jahresliste")));
    }
    ~ControllerConflictTest() override { TZEP_DBFile::SetBusyTimeoutOfNewFiles(FOldTimeout); }

    std::unique_ptr<TZEP_MD_GUI_Controller_Impl> NewController() {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(NewPlayer(), QStringList());
        controller->Listeners().Register_ReportListeChanged_Listener(&FViews);
        controller->Listeners().Register_ReportChanged_Listener(&FViews);
        controller->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        return controller;
    }

    // The stored Mandorele with their reasons ("Name: Grund"), as a fresh store reads them.
    QStringList Stored() {
        auto processor = NewProcessor();
        processor->Load_Reports();
        QStringList stored;
        processor->Enum_Mandorele([&stored](TZEP_MD_Mandorel& AMandorel) {
            stored.append(AMandorel.Name_Anzeige() + QStringLiteral(": ") +
                          AMandorel.Auswertungs_Grund());
        });
        stored.sort();
        return stored;
    }

    static void Edit(TZEP_MD_GUI_Controller& AController, const QString& AName,
                     const QString& AGrund) {
        AController.Select_Mandorel(AName, QStringLiteral("PLON"));
        AController.EditSelectedReport_Start();
        AController.Selected_Mandorel()->SetAuswertungs_Grund(AGrund);
    }

    const int FOldTimeout;
    TViewLog FViews;
};

TEST_F(ControllerConflictTest, AFailedCommitOrDeleteKeepsTheEditOpenAndAbortReallyDropsIt) {
    auto controller = NewController();
    Edit(*controller, QStringLiteral("Monatsliste"), QStringLiteral("erst gesperrt"));
    TZEP_MD_Mandorel* copy = controller->Selected_Mandorel();
    {
        TWriteLock lock;
        FViews.Log.clear();
        EXPECT_TRUE(Failure([&] { controller->ReportChanges_Commit(); })
                        .Text()
                        .contains(QStringLiteral("gesperrt")));
        EXPECT_TRUE(FViews.Log.isEmpty());
        EXPECT_EQ(controller->Selected_Mandorel(), copy);
    }
    // "Buchen" again goes through once the lock is gone.
    controller->ReportChanges_Commit();

    Edit(*controller, QStringLiteral("Monatsliste"), QStringLiteral("verworfen"));
    {
        TWriteLock lock;
        Failure([&] { controller->ReportChanges_Commit(); });
    }
    controller->ReportChanges_Abort();
    controller->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    EXPECT_EQ(controller->Selected_Mandorel()->Auswertungs_Grund(),
              QStringLiteral("erst gesperrt"));

    // A failed delete leaves selection and views as they were.
    controller->Select_Mandorel(QStringLiteral("Jahresliste"), QStringLiteral("PLON"));
    TZEP_MD_Mandorel* selected = controller->Selected_Mandorel();
    {
        TWriteLock lock;
        FViews.Log.clear();
        Failure([&] { controller->DeleteSelectedReport(); });
    }
    EXPECT_EQ(controller->Selected_Mandorel(), selected);
    EXPECT_TRUE(FViews.Log.isEmpty());
    // An unrelated save writes neither of the dropped changes.
    controller->DeleteSelectedReport();
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("Monatsliste: erst gesperrt")});
}

TEST_F(ControllerConflictTest, TwoWindowsOnOneMandorelNeverOverwriteEachOther) {
    auto first = NewController();
    auto second = NewController();
    Edit(*first, QStringLiteral("Monatsliste"), QStringLiteral("vom ersten"));
    Edit(*second, QStringLiteral("Monatsliste"), QStringLiteral("vom zweiten"));
    second->ReportChanges_Commit();

    TZEP_MD_Mandorel* copy = first->Selected_Mandorel();
    const EVKO_Error refused = Failure([&] { first->ReportChanges_Commit(); });
    EXPECT_EQ(refused.Koord(), MD_Koord(1015));
    EXPECT_TRUE(refused.Text().contains(QStringLiteral("„Monatsliste“"))) << refused.what();
    EXPECT_EQ(first->Selected_Mandorel(), copy);
    EXPECT_EQ(copy->Auswertungs_Grund(), QStringLiteral("vom ersten"));

    // "Abbrechen" shows what the other window stored; an edit from there commits.
    first->ReportChanges_Abort();
    EXPECT_EQ(first->Selected_Mandorel()->Auswertungs_Grund(), QStringLiteral("vom zweiten"));
    Edit(*first, QStringLiteral("Monatsliste"), QStringLiteral("beides"));
    first->ReportChanges_Commit();

    // A record deleted elsewhere is written again, with a log line.
    Edit(*first, QStringLiteral("Jahresliste"), QStringLiteral("wieder da"));
    second->Select_Mandorel(QStringLiteral("Jahresliste"), QStringLiteral("PLON"));
    second->DeleteSelectedReport();
    first->ReportChanges_Commit();
    EXPECT_EQ(Stored(), (QStringList{QStringLiteral("Jahresliste: wieder da"),
                                     QStringLiteral("Monatsliste: beides")}));
    EXPECT_TRUE(FHome.ReadLog().contains(QStringLiteral("neu angelegt")));

    // Unless the list view reloaded meanwhile and lost it: then the commit is refused.
    Edit(*first, QStringLiteral("Monatsliste"), QStringLiteral("ins Leere"));
    copy = first->Selected_Mandorel();
    second->Select_Mandorel(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    second->DeleteSelectedReport();
    first->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
    FViews.Log.clear();
    EXPECT_EQ(Failure([&] { first->ReportChanges_Commit(); }).Koord(), MD_Koord(1015));
    EXPECT_EQ(first->Selected_Mandorel(), copy);
    EXPECT_TRUE(FViews.Log.isEmpty());
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("Jahresliste: wieder da")});
}
