#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "md_gui_planer.h"
#include "md_main_fixture.h"
#include "md_postgres_cluster.h"
#include "md_processor.h"
#include "md_recording_systemctl.h"
#include "vko_planmani.h"
#include "zep_run_history.h"

namespace {

// The stored plan ids of a Mandorel, read by a store of its own.
QList<TIntTrio> PlanIdsOf(const QString& ANameKey) {
    auto processor = std::make_unique<TZEP_MD_Processor>(nullptr);
    processor->Load_Reports();
    const TZEP_MD_Mandorel* mandorel = processor->Mandorel_ByName(ANameKey, QStringLiteral("PLON"));
    return mandorel ? mandorel->PlanIds() : QList<TIntTrio>{};
}

TPlanSatz Gelesen(const TIntTrio& AId) {
    TPlanSatz satz;
    TZEP_PfadKommandoArgumenteList kommandos;
    EXPECT_TRUE(TPlanManiDM().PlanLaden(AId, satz, kommandos));
    return satz;
}

}  // namespace

class PlanerViewTest : public MainWindowTest {
protected:
    void Check(const QString& ABox, bool AChecked) {
        QCheckBox* box = Find<QCheckBox>(ABox);
        if (box->isChecked() != AChecked) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        }
    }
    QString Naechste() const { return Find<QLabel>(QStringLiteral("lblNaechste"))->text(); }

    TFixedClock FClock{QDateTime(QDate(2027, 1, 28), QTime(12, 0))};
    TRecordingSystemctl FSystemctl;
};

TEST_F(PlanerViewTest, BookingPlansKeepsTheIdsAndAnUnknownIdClearsTheForm) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Store(QStringLiteral("Wochenliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    const TIntTrio unbekannt{999, 0, 0};
    {
        // Wochenliste comes with a plan id this plan store does not know.
        auto processor = std::make_unique<TZEP_MD_Processor>(nullptr);
        processor->Load_Reports();
        processor->Modify_Mandorel_Start(QStringLiteral("WOCHENLISTE"), QStringLiteral("PLON"))
            ->PlanIds()
            .append(unbekannt);
        ASSERT_TRUE(processor->Modify_Mandorel_Commit());
        processor->Save_Reports();
    }
    Open();
    SelectInList(QStringLiteral("Monatsliste"));
    // A never planned Mandorel: nothing planned, and no control usable while browsing.
    EXPECT_FALSE(Find<QCheckBox>(QStringLiteral("chkAktiv"))->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(QStringLiteral("chkAktiv"))->isEnabled());
    EXPECT_FALSE(Find<QSpinBox>(QStringLiteral("spnAlleNTage"))->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(QStringLiteral("chkEigenerBildschirm"))->isChecked());
    EXPECT_EQ(Naechste(), QStringLiteral("Nächste Ausführung: keine"));

    // Booked untouched: a record that plans nothing, no timer.
    Click(QStringLiteral("btnEdit"));
    Click(QStringLiteral("btnBuchen"));
    const QList<TIntTrio> ids = PlanIdsOf(QStringLiteral("MONATSLISTE"));
    ASSERT_EQ(ids.size(), 1);
    EXPECT_FALSE(Plansatz_Geplant(Gelesen(ids[0])));
    EXPECT_FALSE(FSystemctl.Take().join(QLatin1Char('|')).contains(QStringLiteral("enable")));

    // Planned weekly on Mondays at 06:30, booked again under the same id.
    Click(QStringLiteral("btnEdit"));
    Check(QStringLiteral("chkAktiv"), true);
    Find<QTabWidget>(QStringLiteral("pgcPlanArt"))->setCurrentIndex(1);
    Check(QStringLiteral("chkWochentag1"), true);
    EXPECT_EQ(Naechste(), QStringLiteral("Nächste Ausführung: Mo 01.02.2027 06:00"));
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(PlanIdsOf(QStringLiteral("MONATSLISTE")), ids);
    const TPlanSatz satz = Gelesen(ids[0]);
    EXPECT_TRUE(satz.Aktiv);
    EXPECT_EQ(satz.Art, TPlanArt::Woechentlich);
    EXPECT_EQ(satz.Wochentage, 1);
    EXPECT_TRUE(FSystemctl.Take().contains(
        QStringLiteral("enable --now quandrix-plan-%1.timer").arg(ids[0].I1)));
    SelectInList(QStringLiteral("Monatsliste"));
    EXPECT_TRUE(Find<QCheckBox>(QStringLiteral("chkWochentag1"))->isChecked());
    EXPECT_TRUE(Meldungen().isEmpty());

    // A second id stays untouched; the first is shown and saved.
    Click(QStringLiteral("btnEdit"));
    const TIntTrio zweite{4711, 0, 0};
    FController->Selected_Mandorel()->PlanIds().append(zweite);
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(PlanIdsOf(QStringLiteral("MONATSLISTE")), (QList<TIntTrio>{ids[0], zweite}));
    EXPECT_TRUE(Find<QCheckBox>(QStringLiteral("chkAktiv"))->isChecked());

    // The unknown first id clears the form instead of keeping Monatsliste's timetable.
    SelectInList(QStringLiteral("Wochenliste"));
    EXPECT_FALSE(Find<QCheckBox>(QStringLiteral("chkAktiv"))->isChecked());
    const auto* planer = dynamic_cast<const TZEP_MD_Planer_Frm*>(
        FWindow->findChild<QWidget*>(QStringLiteral("TZEP_MD_Planer_Frm")));
    ASSERT_NE(planer, nullptr);
    EXPECT_EQ(planer->PlanId(), unbekannt);
    Click(QStringLiteral("btnEdit"));
    Click(QStringLiteral("btnBuchen"));
    const QList<TIntTrio> wochenIds = PlanIdsOf(QStringLiteral("WOCHENLISTE"));
    ASSERT_EQ(wochenIds.size(), 1);  // the record saved for it took the unknown id's place
    EXPECT_NE(wochenIds[0], unbekannt);
    EXPECT_FALSE(Gelesen(wochenIds[0]).Aktiv);
    EXPECT_TRUE(Gelesen(ids[0]).Aktiv);

    // A new Mandorel's form shows the daily page itself, not the weekly one behind its tab.
    // The detail view refuses it while incomplete: no plan record is written.
    const qsizetype vorher = TPlanManiDM().PlanIds().size();
    SelectInList(QStringLiteral("Monatsliste"));
    Click(QStringLiteral("btnNew"));
    EXPECT_TRUE(Find<QSpinBox>(QStringLiteral("spnAlleNTage"))
                    ->isVisibleTo(Find<QTabWidget>(QStringLiteral("pgcPlanArt"))));
    Type(QStringLiteral("edtReportName"), QStringLiteral("Neu"));
    Check(QStringLiteral("chkAktiv"), true);
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(Meldungen(), QList<int>{1005});
    EXPECT_EQ(TPlanManiDM().PlanIds().size(), vorher);

    // Completed, its first step starts the program: its new plan runs on a screen of its own.
    Type(QStringLiteral("edtReportBeschreibung"), QStringLiteral("b"));
    Type(QStringLiteral("edtReportGrund"), QStringLiteral("g"));
    ChooseStep(0, QStringLiteral("PLON starten"));
    Click(QStringLiteral("btnBuchen"));
    const QList<TIntTrio> neuIds = PlanIdsOf(QStringLiteral("NEU"));
    ASSERT_EQ(neuIds.size(), 1);
    EXPECT_TRUE(Gelesen(neuIds[0]).EigenerBildschirm);
    EXPECT_TRUE(Gelesen(neuIds[0]).Aktiv);
}

// On a database other workstations share, the views say which workstation runs a plan and
// holds a picture; another workstation's plan stays read-only and is kept at "Buchen".
TEST_F(PlanerViewTest, AnotherWorkstationsPlanIsReadOnlyAndItsPictureIsNamedWhereItLies) {
    qputenv("PGSERVICEFILE", TPostgresCluster::Instance()
                                 .DienstDatei(FHome.Path(), QStringLiteral("team"),
                                              TPostgresCluster::Instance().NewDatabase())
                                 .toUtf8());
    const auto arbeitsplatz = [this](const char* AName) {
        FHome.WriteSetting(QStringLiteral("MD_Datenbank.ini"),
                           QByteArray("DIENST=team\nARBEITSPLATZ=") + AName + "\n");
    };
    arbeitsplatz("PC-B");
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    TPlanSatz fremd;
    fremd.Aktiv = true;
    fremd.Art = TPlanArt::Taeglich;
    fremd.Uhrzeit = QTime(5, 45);
    fremd.PlanerId = QStringLiteral("MANDOREL@PC-B");
    fremd.JobText = QStringLiteral("Mandorel;PLON;MONATSLISTE");
    ASSERT_TRUE(TPlanManiDM().PlanSpeichern(fremd, {}, false, false));
    {
        auto processor = std::make_unique<TZEP_MD_Processor>(nullptr);
        processor->Load_Reports();
        processor->Modify_Mandorel_Start(QStringLiteral("MONATSLISTE"), QStringLiteral("PLON"))
            ->PlanIds() = {fremd.PlanId};
        ASSERT_TRUE(processor->Modify_Mandorel_Commit());
        processor->Save_Reports();
        TZEP_RunEntry lauf;
        lauf.Programm = QStringLiteral("PLON");
        lauf.NameKey = QStringLiteral("MONATSLISTE");
        lauf.Start = QDateTime(QDate(2027, 1, 27), QTime(5, 45));
        lauf.Ende = lauf.Start.addSecs(4);
        lauf.Ergebnis = TZEP_RunErgebnis::Fehlgeschlagen;
        TZEP_RunHistory history;
        const qint64 id = history.Add(lauf);
        history.SetBild(id, QByteArray("png"));
    }
    arbeitsplatz("PC-A");
    Open();
    SelectInList(QStringLiteral("Monatsliste"));
    const QString text = Find<QLabel>(QStringLiteral("lblArbeitsplatz"))->text();
    EXPECT_TRUE(text.contains(QStringLiteral("Arbeitsplatz „PC-B“"))) << text.toStdString();

    Click(QStringLiteral("btnEdit"));
    EXPECT_FALSE(Find<QCheckBox>(QStringLiteral("chkAktiv"))->isEnabled());
    Click(QStringLiteral("btnBuchen"));
    const TPlanSatz gelesen = Gelesen(fremd.PlanId);
    EXPECT_EQ(gelesen.PlanerId, QStringLiteral("MANDOREL@PC-B"));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(5, 45));
    EXPECT_EQ(PlanIdsOf(QStringLiteral("MONATSLISTE")), QList<TIntTrio>{fremd.PlanId});
    EXPECT_FALSE(FSystemctl.Take().join(QLatin1Char('|')).contains(QStringLiteral("enable")));

    // The run of PC-B: its row names it, and its picture is not looked for here.
    auto* laeufe = Find<QTreeWidget>(QStringLiteral("vrAusfuehrungen"));
    ASSERT_EQ(laeufe->topLevelItemCount(), 1);
    EXPECT_FALSE(laeufe->isColumnHidden(6));
    EXPECT_EQ(laeufe->topLevelItem(0)->text(6), QStringLiteral("PC-B"));
    EXPECT_EQ(laeufe->topLevelItem(0)->text(5), QStringLiteral("auf „PC-B“"));
    Q_EMIT laeufe->itemActivated(laeufe->topLevelItem(0), 5);
    EXPECT_EQ(Meldungen(), QList<int>{1060});
    EXPECT_EQ(FWindow->findChild<QDialog*>(QStringLiteral("dlgBild")), nullptr);

    // A Mandorel of its own gets a plan of this workstation.
    Click(QStringLiteral("btnNew"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("lblArbeitsplatz"))->text(),
              QStringLiteral("Ausgeführt auf diesem Arbeitsplatz „PC-A“."));
    qunsetenv("PGSERVICEFILE");
}
