#include <algorithm>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "md_gui_ausfuehrungen.h"
#include "md_gui_dyntokenauswahl.h"
#include "md_gui_planer.h"
#include "md_gui_reportdetails.h"
#include "md_gui_reportliste.h"
#include "md_gui_templatedetails.h"
#include "md_main_fixture.h"
#include "md_processor.h"
#include "vko_database.h"
#include "vko_simplemask.h"

namespace {

// The docks in the order of their views' registration.
QList<QDockWidget*> Docks(const QMainWindow& AWindow) {
    QList<QDockWidget*> docks;
    for (const QUuid& key :
         {TZEP_MD_Reportliste_Frm::Docking_Key(), TZEP_MD_ReportDetail_Frm::Docking_Key(),
          TZEP_MD_TemplateDetails_Frm::Docking_Key(), TZEP_MD_DynToken_Auswahl_Frm::Docking_Key(),
          TZEP_MD_Planer_Frm::Docking_Key(), TZEP_MD_Ausfuehrungen_Frm::Docking_Key()}) {
        docks.append(AWindow.findChild<QDockWidget*>(key.toString().toUpper()));
    }
    return docks;
}

// A view behind another's tab is moved out of sight, not hidden.
bool InSight(QDockWidget* ADock) {
    QApplication::processEvents();
    return ADock->isVisible() && !ADock->visibleRegion().isEmpty();
}

// Every view is in sight, or waits behind the tab of one that is.
bool Reachable(const QMainWindow& AWindow, QDockWidget* ADock) {
    const QList<QDockWidget*> tabs = AWindow.tabifiedDockWidgets(ADock);
    return InSight(ADock) || std::any_of(tabs.begin(), tabs.end(), InSight);
}

TSimpleMask LayoutStore() {
    return TSimpleMask(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                       QStringLiteral("MASKCFG"), VKOInfo().VKOInfoTerminalID());
}

}  // namespace

TEST_F(MainWindowTest, FirstStartShowsEveryViewLockedInBrowseMode) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Store(QStringLiteral("Wochenliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Store(QStringLiteral("Kunden"), QStringLiteral("KUDRE"), {QStringLiteral("KUDRE_START")});
    Store(QStringLiteral("Fremd"), QStringLiteral("ZZZ"), {QStringLiteral("ZZZ_START")});
    Open();

    ASSERT_EQ(FWindow->findChildren<QDockWidget*>().size(), 6);
    const QList<QDockWidget*> docks = Docks(*FWindow);
    ASSERT_FALSE(docks.contains(nullptr));
    EXPECT_EQ(docks.at(0)->windowTitle(), TZEP_MD_Reportliste_Frm::View_Caption());
    EXPECT_EQ(docks.at(1)->windowTitle(), TZEP_MD_ReportDetail_Frm::View_Caption());
    EXPECT_EQ(docks.at(2)->windowTitle(), TZEP_MD_TemplateDetails_Frm::View_Caption());
    EXPECT_EQ(docks.at(3)->windowTitle(), TZEP_MD_DynToken_Auswahl_Frm::View_Caption());
    EXPECT_EQ(docks.at(4)->windowTitle(), TZEP_MD_Planer_Frm::View_Caption());
    EXPECT_EQ(docks.at(5)->windowTitle(), QStringLiteral("Ausführungen"));
    // The history waits behind the schedule's tab; every other view is shown.
    for (QDockWidget* dock : docks) {
        EXPECT_EQ(InSight(dock), dock != docks.at(5)) << dock->windowTitle().toStdString();
        EXPECT_EQ(dock->features(), QDockWidget::NoDockWidgetFeatures);
    }
    EXPECT_EQ(FWindow->tabifiedDockWidgets(docks.at(4)), QList<QDockWidget*>{docks.at(5)});

    // F6 walks from view to view, fronting a view behind a tab; Shift+F6 walks back.
    QTest::keyClick(FWindow.get(), Qt::Key_F6);
    EXPECT_TRUE(docks.at(0)->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(FWindow.get(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(docks.at(5)->isAncestorOf(QApplication::focusWidget()));
    EXPECT_TRUE(InSight(docks.at(5)));
    EXPECT_FALSE(InSight(docks.at(4)));
    QTest::keyClick(FWindow.get(), Qt::Key_F6);
    EXPECT_TRUE(docks.at(0)->isAncestorOf(QApplication::focusWidget()));
    // While browsing the schedule and the placeholders have no field to go to, nor the step
    // parameters without a step.
    QTest::keyClick(FWindow.get(), Qt::Key_F6, Qt::ShiftModifier);
    QTest::keyClick(FWindow.get(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(docks.at(1)->isAncestorOf(QApplication::focusWidget()));
    EXPECT_TRUE(FWindow->Locked());
    EXPECT_TRUE(Shown(QStringLiteral("btnNew")) && Shown(QStringLiteral("btnEdit")) &&
                Shown(QStringLiteral("btnDelete")));
    EXPECT_FALSE(Shown(QStringLiteral("btnBuchen")) || Shown(QStringLiteral("btnAbort")) ||
                 Shown(QStringLiteral("btnClone")));

    // Every control is reached by the keyboard and named for screen readers.
    QList<QWidget*> controls;
    for (QWidget* w : FWindow->findChildren<QWidget*>()) {
        if (w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                               qobject_cast<QComboBox*>(w) || qobject_cast<QTreeView*>(w))) {
            controls.append(w);
        }
    }
    EXPECT_GE(controls.size(), 12);
    for (QWidget* w : controls) {
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
            << w->objectName().toStdString();
        EXPECT_TRUE((w->focusPolicy() & Qt::TabFocus) != 0) << w->objectName().toStdString();
    }

    // Groups by the program directory's name, or the code it does not know.
    EXPECT_EQ(ListRows(),
              (QStringList{QStringLiteral("Personaleinsatzplanung"),
                           QStringLiteral("  Monatsliste"), QStringLiteral("  Wochenliste"),
                           QStringLiteral("KUDRE"), QStringLiteral("  Kunden"),
                           QStringLiteral("ZZZ"), QStringLiteral("  Fremd")}));

    // "Bearbeiten" without a selection does nothing; a group row selects nothing.
    Click(QStringLiteral("btnEdit"));
    EXPECT_TRUE(Shown(QStringLiteral("btnNew")));
    SelectInList(QStringLiteral("Monatsliste"));
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(),
              QStringLiteral("Monatsliste"));
    SelectInList(QStringLiteral("KUDRE"));
    EXPECT_EQ(FController->Selected_Mandorel()->Name_Anzeige(), QStringLiteral("Monatsliste"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("pnlHeader"))->text(),
              QStringLiteral("Mandorel - Monatsliste"));

    // Read-only: the images do nothing, yet a row still names its template.
    ClickCell(0, 0);
    EXPECT_TRUE(Meldungen().isEmpty());
    EXPECT_FALSE(Find<QLineEdit>(QStringLiteral("edtReportGrund"))->isEnabled());
}

TEST_F(MainWindowTest, ANewMandorelIsBuiltStepByStepAndBooked) {
    Open();
    Click(QStringLiteral("btnNew"));
    EXPECT_TRUE(Shown(QStringLiteral("btnBuchen")));
    EXPECT_FALSE(Find<QTreeView>(QStringLiteral("vrMandorele"))->isEnabled());
    Type(QStringLiteral("edtReportName"), QStringLiteral("Monatsliste der Einsaetze"));
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text().size(), 20);
    Type(QStringLiteral("edtReportBeschreibung"), QString(300, QLatin1Char('b')));
    Type(QStringLiteral("edtReportGrund"), QStringLiteral("Abrechnung"));

    // Buchen without a step is refused, and says so.
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(Meldungen(), QList<int>{1005});
    EXPECT_TRUE(FPresenter->Meldungen.last().Text.contains(QStringLiteral("kein Schritt")));
    EXPECT_TRUE(Shown(QStringLiteral("btnBuchen")));

    // The first step of a blank program sets the program.
    ChooseStep(0, QStringLiteral("PLON starten"));
    EXPECT_EQ(Find<QComboBox>(QStringLiteral("cmbReportProgramm"))->currentText(),
              QStringLiteral("Personaleinsatzplanung"));
    ChooseStep(1, QStringLiteral("Zeitraum eingeben"));
    ChooseStep(2, QStringLiteral("Bericht erstellen und beenden"));
    EXPECT_EQ(StepRows(),
              (QStringList{QStringLiteral("PLON_START"), QStringLiteral("PLON_ZEITRAUM"),
                           QStringLiteral("PLON_BERICHT"), QStringLiteral("+")}));
    const QTreeWidget* steps = Find<QTreeWidget>(QStringLiteral("vtReportSequence"));
    EXPECT_EQ(steps->topLevelItem(0)->data(0, Qt::AccessibleTextRole),
              QStringLiteral("Schritt löschen"));
    EXPECT_EQ(steps->topLevelItem(0)->data(1, Qt::AccessibleTextRole),
              QStringLiteral("Schritt ändern"));
    EXPECT_EQ(steps->topLevelItem(3)->data(0, Qt::AccessibleTextRole),
              QStringLiteral("Schritt hinzufügen"));
    // The same step again asks nothing; another one for step 2 asks 1007 and drops step 3.
    ChooseStep(1, QStringLiteral("Zeitraum eingeben"));
    EXPECT_EQ(Meldungen(), QList<int>{1005});
    FPresenter->Answers = {CVKO_Antwort_Ja};
    ChooseStep(1, QStringLiteral("Abteilung wählen"));
    EXPECT_EQ(StepRows(), (QStringList{QStringLiteral("PLON_START"),
                                       QStringLiteral("PLON_ABTEILUNG"), QStringLiteral("+")}));
    ChooseStep(2, QStringLiteral("Bericht erstellen und beenden"));

    Click(QStringLiteral("btnBuchen"));
    EXPECT_TRUE(Shown(QStringLiteral("btnNew")));
    EXPECT_EQ(ListRows(), (QStringList{QStringLiteral("Personaleinsatzplanung"),
                                       QStringLiteral("  Monatsliste der Eins")}));
    EXPECT_EQ(StoredNames(), QStringList{QStringLiteral(
                                 "Monatsliste der Eins: PLON_START,PLON_ABTEILUNG,PLON_BERICHT")});
    EXPECT_EQ(FController->Selected_Mandorel()->Auswertungs_Beschreibung().size(), 300);
    EXPECT_EQ(StepRows().size(), 3);
}

TEST_F(MainWindowTest, EditKeepsForeignActionsAndUnknownStepsAbortChangesNothing) {
    TZEP_GA_SingleAction pause{TZEP_GA_ActionKind::Pause, QString()};
    pause.Millisekunden = 700;
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("GIBT_ES_NICHT"),
           QStringLiteral("PLON_SUMMEN")},
          {pause});
    Open();
    SelectInList(QStringLiteral("Monatsliste"));
    EXPECT_EQ(StepRows().size(), 4);
    const QTreeWidgetItem* unbekannt =
        Find<QTreeWidget>(QStringLiteral("vtReportSequence"))->topLevelItem(1);
    EXPECT_EQ(unbekannt->text(2), QStringLiteral("unbekannte Vorlage GIBT_ES_NICHT"));
    EXPECT_FALSE(unbekannt->icon(2).isNull());

    // Edit, delete from step 2 on, then abort: nothing changes.
    Click(QStringLiteral("btnEdit"));
    EXPECT_FALSE(Find<QLineEdit>(QStringLiteral("edtReportName"))->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(QStringLiteral("edtReportGrund"))->isEnabled());
    FPresenter->Answers = {CVKO_Antwort_Ja};
    ClickCell(1, 0);
    EXPECT_EQ(StepRows(), (QStringList{QStringLiteral("PLON_START"), QStringLiteral("+")}));
    Click(QStringLiteral("btnAbort"));
    EXPECT_TRUE(Shown(QStringLiteral("btnBuchen")));  // answered No
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnAbort"));
    EXPECT_TRUE(Shown(QStringLiteral("btnNew")));
    EXPECT_EQ(StepRows().size(), 4);
    EXPECT_EQ(Meldungen(), (QList<int>{1009, 1006, 1006}));

    // Booked unchanged: the unknown step and the pause stay as they were.
    Click(QStringLiteral("btnEdit"));
    Type(QStringLiteral("edtReportGrund"), QStringLiteral("Neuer Grund"));
    Click(QStringLiteral("btnBuchen"));
    TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
    store.Load_Reports();
    const TZEP_MD_Mandorel* stored =
        store.Mandorel_ByName(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->Auswertungs_Grund(), QStringLiteral("Neuer Grund"));
    const QList<TZEP_GA_SingleAction> actions = stored->Sequence().Actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions.at(1).Text, QStringLiteral("GIBT_ES_NICHT"));
    EXPECT_EQ(actions.at(2).Text, QStringLiteral("PLON_SUMMEN"));
    EXPECT_EQ(actions.at(3), pause);
}

TEST_F(MainWindowTest, DeleteAsksTestRunReportsWhyItDidNotPlay) {
    Store(QStringLiteral("Kaputt"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("GIBT_ES_NICHT")});
    Store(QStringLiteral("Gut"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Open();
    Click(QStringLiteral("btnTestlauf"));
    Click(QStringLiteral("btnDelete"));
    EXPECT_EQ(Meldungen(), (QList<int>{1014, 1027}));

    SelectInList(QStringLiteral("Kaputt"));
    Click(QStringLiteral("btnTestlauf"));
    ASSERT_EQ(Meldungen().size(), 3);
    EXPECT_EQ(FPresenter->Meldungen.last().Koord.Nummer, 1010);
    EXPECT_TRUE(FPresenter->Meldungen.last().Text.contains(QStringLiteral("GIBT_ES_NICHT")));
    EXPECT_TRUE(FPlayed->Played.empty());

    SelectInList(QStringLiteral("Gut"));
    Click(QStringLiteral("btnTestlauf"));
    EXPECT_EQ(FPlayed->Played.size(), 1u);
    FPlayed->FailWith = QStringLiteral("Fenster nicht gefunden");
    Click(QStringLiteral("btnTestlauf"));
    EXPECT_TRUE(
        FPresenter->Meldungen.last().Text.contains(QStringLiteral("Fenster nicht gefunden")));
    EXPECT_TRUE(FPresenter->Fehler.isEmpty());

    Click(QStringLiteral("btnDelete"));  // answered No
    EXPECT_EQ(StoredNames().size(), 2);
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnDelete"));
    EXPECT_EQ(ListRows(),
              (QStringList{QStringLiteral("Personaleinsatzplanung"), QStringLiteral("  Kaputt")}));
    EXPECT_EQ(FController->Selected_Mandorel(), nullptr);
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(), QString());
}

TEST_F(MainWindowTest, LockTwiceAndLayoutsThatCannotBeRestored) {
    Open();
    auto* lock = Find<QPushButton>(QStringLiteral("btnSetLocked"));
    EXPECT_EQ(lock->text(), QStringLiteral("Entsperren"));
    EXPECT_EQ(lock->property("glyph").toString(), QStringLiteral("UNLOCK"));
    Click(QStringLiteral("btnSetLocked"));
    EXPECT_FALSE(FWindow->Locked());
    EXPECT_EQ(lock->toolTip(), QStringLiteral("Sperren"));
    EXPECT_EQ(lock->property("glyph").toString(), QStringLiteral("LOCK"));
    for (QDockWidget* dock : FWindow->findChildren<QDockWidget*>()) {
        EXPECT_EQ(dock->features(),
                  QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    }
    QTest::keyClick(FWindow.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(FWindow->Locked());
    EXPECT_EQ(lock->text(), QStringLiteral("Entsperren"));

    // A locked window eats the mouse on the splitter between the docks.
    const QList<QDockWidget*> docks = Docks(*FWindow);
    const int between = (docks.at(0)->geometry().right() + docks.at(1)->geometry().left()) / 2;
    const QPoint splitter(between, docks.at(0)->geometry().center().y());
    ASSERT_TRUE(FWindow->isSeparator(splitter));
    const int width = docks.at(0)->width();
    QTest::mousePress(FWindow.get(), Qt::LeftButton, {}, splitter);
    QTest::mouseMove(FWindow.get(), splitter + QPoint(80, 0));
    QTest::mouseRelease(FWindow.get(), Qt::LeftButton, {}, splitter + QPoint(80, 0));
    EXPECT_EQ(docks.at(0)->width(), width);

    // The layout is saved on closing; garbage, a cut-off value and the layout of a window
    // with other views all give the default layout with every view shown.
    Close();
    const QString saved = LayoutStore().ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QString());
    ASSERT_FALSE(saved.isEmpty());
    QMainWindow other;
    auto* fremd = new QDockWidget(QStringLiteral("Fremd"), &other);
    fremd->setObjectName(QStringLiteral("{00000000-0000-0000-0000-000000000001}"));
    other.addDockWidget(Qt::LeftDockWidgetArea, fremd);
    const QString fremdesLayout = QString::fromLatin1(other.saveState(1).toBase64());
    for (const QString& wert : {QStringLiteral("%%%kein Base64"), saved.left(saved.size() / 2),
                                QStringLiteral("AAAA") + saved, fremdesLayout}) {
        LayoutStore().WriteLocal(QStringLiteral("DOCKINGLAYOUT"), wert);
        Open();
        for (QDockWidget* dock : FWindow->findChildren<QDockWidget*>()) {
            EXPECT_TRUE(Reachable(*FWindow, dock)) << wert.left(20).toStdString();
            EXPECT_FALSE(dock->isFloating());
        }
        Close();
    }
    EXPECT_TRUE(FPresenter->Fehler.isEmpty());
}

TEST_F(MainWindowTest, ClosingInEditModeAsksAndNoKeepsTheEdit) {
    Open();
    FWindow->close();
    EXPECT_TRUE(Meldungen().isEmpty());
    Open();
    Click(QStringLiteral("btnNew"));
    Type(QStringLiteral("edtReportName"), QStringLiteral("Halb fertig"));
    Click(QStringLiteral("btnZurueck"));
    EXPECT_EQ(Meldungen(), QList<int>{1008});
    EXPECT_TRUE(FWindow->isVisible());
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(),
              QStringLiteral("Halb fertig"));
    FPresenter->Answers = {CVKO_Antwort_Ja};
    EXPECT_TRUE(FWindow->close());
    EXPECT_TRUE(StoredNames().isEmpty());
}

TEST_F(MainWindowTest, ExportImportRoundTripAndFilesThatAreNoMandorel) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_BERICHT")});
    Open();
    const QString datei = FHome.Path() + QStringLiteral("/monat.mdex");

    Click(QStringLiteral("btnExport"));
    EXPECT_EQ(Meldungen(), QList<int>{1011});
    SelectInList(QStringLiteral("Monatsliste"));
    // A failed export leaves an earlier export as it was.
    FDateien->Dateien = {datei, FHome.Path() + QStringLiteral("/fehlt/x.mdex")};
    Click(QStringLiteral("btnExport"));
    const QByteArray exportiert = [&] {
        QFile f(datei);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(exportiert.isEmpty());
    Click(QStringLiteral("btnExport"));
    ASSERT_EQ(FPresenter->Fehler.size(), 1);
    EXPECT_TRUE(
        FPresenter->Fehler.first().Chain.contains(QStringLiteral("TZEP_MD_Main.btnExportClick")));
    EXPECT_FALSE(QFile::exists(FHome.Path() + QStringLiteral("/fehlt/x.mdex")));

    // Import in edit mode answered No: the edit stays, nothing is read.
    Click(QStringLiteral("btnNew"));
    Type(QStringLiteral("edtReportName"), QStringLiteral("Bleibt"));
    FDateien->Dateien = {datei};
    Click(QStringLiteral("btnImport"));
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(), QStringLiteral("Bleibt"));
    EXPECT_EQ(FDateien->Titel.size(), 2);

    // A file that is not a whole Mandorel: a message naming it, the new Mandorel stays empty.
    const QString kaputt = FHome.Path() + QStringLiteral("/kaputt.mdex");
    QFile k(kaputt);
    ASSERT_TRUE(k.open(QIODevice::WriteOnly));
    k.write(exportiert.left(exportiert.size() - 7));
    k.close();
    FPresenter->Answers = {CVKO_Antwort_Ja};
    FDateien->Dateien = {kaputt};
    Click(QStringLiteral("btnImport"));
    ASSERT_EQ(FPresenter->Fehler.size(), 2);
    EXPECT_TRUE(FPresenter->Fehler.last().Text.contains(QStringLiteral("kaputt.mdex")));
    EXPECT_TRUE(FController->SelectedReport_IsNew());
    EXPECT_TRUE(FController->Selected_Mandorel()->Sequence().Actions().isEmpty());
    FDateien->Dateien = {FHome.Path() + QStringLiteral("/gibtsnicht.mdex")};
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnImport"));
    EXPECT_EQ(Meldungen().last(), 1013);

    // Delete the original, import the write-protected export and book it again.
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnAbort"));
    SelectInList(QStringLiteral("Monatsliste"));
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnDelete"));
    QFile::setPermissions(datei, QFile::ReadOwner);
    FDateien->Dateien = {datei};
    Click(QStringLiteral("btnImport"));
    EXPECT_EQ(StepRows(),
              (QStringList{QStringLiteral("PLON_START"), QStringLiteral("PLON_BERICHT")}));
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(StoredNames(), QStringList{QStringLiteral("Monatsliste: PLON_START,PLON_BERICHT")});
    EXPECT_EQ(FDateien->Titel.first(), QStringLiteral("Exportdatei wählen"));
    EXPECT_EQ(FDateien->Titel.last(), QStringLiteral("Datei für den Import wählen"));
}

TEST_F(MainWindowTest, AStoreThatCannotBeWrittenShowsAMessageAndKeepsTheWindow) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Open();
    SelectInList(QStringLiteral("Monatsliste"));
    {
        // Another process holds the database's write lock longer than a write waits.
        TVKO_Database sperre(TVKO_Database::DefaultPath());
        sperre.Execute("BEGIN EXCLUSIVE", QStringLiteral("Sperren"));
        FPresenter->Answers = {CVKO_Antwort_Ja};
        Click(QStringLiteral("btnDelete"));
        sperre.Execute("ROLLBACK", QStringLiteral("Freigeben"));
    }
    ASSERT_EQ(FPresenter->Fehler.size(), 1);
    EXPECT_TRUE(
        FPresenter->Fehler.first().Chain.contains(QStringLiteral("TZEP_MD_Main.btnDeleteClick")));
    EXPECT_TRUE(FWindow->isVisible());
    EXPECT_TRUE(Shown(QStringLiteral("btnNew")));
    EXPECT_EQ(StoredNames(), QStringList{QStringLiteral("Monatsliste: PLON_START")});
}

TEST_F(MainWindowTest, CommitsOfOtherWindowsReachTheBrowsedListButNeverAnOpenEdit) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    Open();
    EXPECT_TRUE(FWindow->windowTitle().contains(QStringLiteral("quandrix.db")))
        << FWindow->windowTitle().toStdString();
    SelectInList(QStringLiteral("Monatsliste"));
    auto* pruefen = Find<QTimer>(QStringLiteral("tmrListePruefen"));
    ASSERT_TRUE(pruefen->isActive());
    EXPECT_LE(pruefen->interval(), 2000);

    Store(QStringLiteral("Jahresliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    QMetaObject::invokeMethod(pruefen, "timeout");
    EXPECT_EQ(ListRows().size(), 3) << ListRows().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(),
              QStringLiteral("Monatsliste"));

    // During an edit the list stays as it is; the commit after it brings everything in.
    Click(QStringLiteral("btnEdit"));
    Store(QStringLiteral("Wochenliste"), QStringLiteral("PLON"), {QStringLiteral("PLON_START")});
    QMetaObject::invokeMethod(pruefen, "timeout");
    EXPECT_EQ(ListRows().size(), 3);
    Type(QStringLiteral("edtReportGrund"), QStringLiteral("Neuer Grund"));
    Click(QStringLiteral("btnBuchen"));
    EXPECT_EQ(ListRows().size(), 4);
    EXPECT_EQ(Find<QLineEdit>(QStringLiteral("edtReportName"))->text(),
              QStringLiteral("Monatsliste"));
}
