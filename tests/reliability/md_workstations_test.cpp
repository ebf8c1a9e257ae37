// Two workstations on one shared database: each sees the other's Mandorele, times only its own
// plans, leaves the other's plans as they are and never overwrites the other's commit.
#include <QDir>
#include <QFile>

#include "md_gui_controller.h"
#include "md_process_fixture.h"
#include "md_recording_systemctl.h"
#include "md_versioned_mandorel.h"
#include "vko_planmani.h"
#include "vko_systemd_timer.h"
#include "zep_run_history.h"

namespace {

const QString CPlon = QStringLiteral("PLON");

class WorkstationsTest : public TProcessTest {
protected:
    void SetUp() override {
        UseSharedDatabase(QStringLiteral("PC-A"));
        FEnvironment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        FDort = OtherWorkstation(QStringLiteral("PC-B"));
    }

    // The window of the workstation AEnvironment starts commits ANeu new Mandorele, each
    // booked with a daily plan.
    void Buchen(const QProcessEnvironment& AEnvironment, int AErsteVersion, int ANeu) const {
        QProcess probe;
        StartProcess(
            probe, QStringLiteral(MD_COMMIT_PROBE),
            {QString::number(AErsteVersion), QString::number(ANeu), QStringLiteral("--fenster"),
             QStringLiteral("--neu"), QStringLiteral("--planen")},
            AEnvironment);
        const TProcessResult result = FinishProcess(probe);
        EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    }

    static QStringList Units(const QProcessEnvironment& AEnvironment) {
        return QDir(ConfigFolder(AEnvironment) + QStringLiteral("/../systemd/user"))
            .entryList({QStringLiteral("quandrix-plan-*")}, QDir::Files, QDir::Name);
    }

    // The units the plan store asks of workstation AArbeitsplatz, as the folder lists them.
    QStringList UnitsOfPlans(const QString& AArbeitsplatz) const {
        TPlanManiDM plaene(DatabasePath());
        QStringList units;
        for (const TIntTrio& id : plaene.PlanIds()) {
            TPlanSatz satz;
            TZEP_PfadKommandoArgumenteList kommandos;
            if (plaene.PlanLaden(id, satz, kommandos) &&
                satz.PlanerId == QStringLiteral("MANDOREL@") + AArbeitsplatz) {
                units << TVKO_SystemdTimer::UnitName(id) + QStringLiteral(".service")
                      << TVKO_SystemdTimer::UnitName(id) + QStringLiteral(".timer");
            }
        }
        units.sort();
        return units;
    }

    static QStringList Gespeichert() {
        QStringList keys;
        TZEP_MD_GUI_Controller_Impl(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()),
            QStringList{})
            .Enum_Mandorele(
                [&keys](TZEP_MD_Mandorel& AMandorel) { keys.append(AMandorel.Name_Key()); });
        return keys;
    }

    // A window's controller with the list loaded.
    static std::unique_ptr<TZEP_MD_GUI_Controller_Impl> Window() {
        auto controller = std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()),
            QStringList{});
        controller->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        return controller;
    }

    TRecordingSystemctl FSystemctl;
    QProcessEnvironment FDort;
};

EVKO_Error Failure(const std::function<void()>& AAction) {
    try {
        AAction();
    } catch (const EVKO_Error& error) {
        VKOInfo().ResetErrorSpezNoWrite();
        return error;
    }
    ADD_FAILURE() << "no error";
    return EVKO_Error(QString());
}

}  // namespace

TEST_F(WorkstationsTest, EachSeesTheOthersMandoreleAndTimesOnlyItsOwnPlans) {
    Buchen(Environment(), 100, 2);
    // B's synchronisations meet A's plans; A's last one meets B's.
    Buchen(FDort, 200, 2);
    Buchen(Environment(), 300, 1);
    EXPECT_EQ(Gespeichert().size(), 5);
    EXPECT_EQ(UnitsOfPlans(QStringLiteral("PC-A")).size(), 6);
    EXPECT_EQ(Units(Environment()), UnitsOfPlans(QStringLiteral("PC-A")));
    EXPECT_EQ(UnitsOfPlans(QStringLiteral("PC-B")).size(), 4);
    EXPECT_EQ(Units(FDort), UnitsOfPlans(QStringLiteral("PC-B")));

    // B runs a Mandorel A planned: it plays, B times nothing of A's, the history names B.
    QProcess lauf;
    StartProcess(
        lauf, QStringLiteral(MD_STARTUP_PROBE),
        {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"), QStringLiteral("-REPORT:NEU_100")},
        FDort);
    const TProcessResult result = FinishProcess(lauf);
    EXPECT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    EXPECT_EQ(Units(FDort), UnitsOfPlans(QStringLiteral("PC-B")));
    const QList<TZEP_RunEntry> laeufe =
        TZEP_RunHistory(DatabasePath()).Entries(CPlon, QStringLiteral("NEU_100"));
    ASSERT_EQ(laeufe.size(), 1);
    EXPECT_EQ(laeufe[0].Arbeitsplatz, QStringLiteral("PC-B"));
}

TEST_F(WorkstationsTest, ACommitOverTheOtherWorkstationsChangeIsRefusedAndItsPlanStays) {
    StoreVersioned({QStringLiteral("Monatsliste")}, 1);
    auto fenster = Window();
    fenster->Select_Mandorel(QStringLiteral("Monatsliste"), CPlon);
    fenster->EditSelectedReport_Start();
    // B commits while A edits.
    QProcess probe;
    StartProcess(probe, QStringLiteral(MD_COMMIT_PROBE),
                 {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("--fenster"),
                  QStringLiteral("--aendern")},
                 FDort);
    const TProcessResult result = FinishProcess(probe);
    ASSERT_EQ(result.ExitCode, 0) << result.StandardError.toStdString();
    MD_SetVersion(*fenster->Selected_Mandorel(), 3);
    EXPECT_EQ(Failure([&] { fenster->ReportChanges_Commit(); }).Koord(), MD_Koord(1015));
    EXPECT_EQ(ReadStand(), (TStand{{QStringLiteral("MONATSLISTE"), 2}}));
    fenster->ReportChanges_Abort();

    TPlanSatz plan;
    plan.Aktiv = true;
    plan.Art = TPlanArt::Taeglich;
    plan.Uhrzeit = QTime(6, 30);
    fenster->EditSelectedReport_Start();
    static_cast<void>(fenster->Save_Plan(plan));
    fenster->ReportChanges_Commit();
    const TIntTrio id = fenster->Selected_Mandorel()->PlanIds().constLast();

    // B's window keeps A's plan as A booked it, whatever B's schedule view hands over.
    FHome.WriteSetting(QStringLiteral("MD_Datenbank.ini"), "DIENST=team\nARBEITSPLATZ=PC-B\n");
    auto dort = Window();
    dort->Select_Mandorel(QStringLiteral("Monatsliste"), CPlon);
    EXPECT_EQ(dort->Gemeinsamer_Arbeitsplatz(), QStringLiteral("PC-B"));
    dort->EditSelectedReport_Start();
    TPlanSatz anders = plan;
    anders.PlanId = id;
    anders.Uhrzeit = QTime(22, 0);
    static_cast<void>(dort->Save_Plan(anders));
    dort->Selected_Mandorel()->SetAuswertungs_Grund(QStringLiteral("von B"));
    dort->ReportChanges_Commit();
    EXPECT_EQ(dort->Selected_Mandorel()->Auswertungs_Grund(), QStringLiteral("von B"));
    EXPECT_TRUE(dort->Selected_Mandorel()->PlanIds().contains(id));
    TPlanSatz gespeichert;
    TZEP_PfadKommandoArgumenteList kommandos;
    ASSERT_TRUE(TPlanManiDM(DatabasePath()).PlanLaden(id, gespeichert, kommandos));
    EXPECT_EQ(gespeichert.PlanerId, QStringLiteral("MANDOREL@PC-A"));
    EXPECT_EQ(gespeichert.Uhrzeit, QTime(6, 30));
    EXPECT_EQ(TPlanManiDM(DatabasePath()).PlanIds().size(), 1);
}
