#include "md_main_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "md_processor.h"

MainWindowTest::MainWindowTest() {
    QFile katalog(QStringLiteral(MD_SAMPLE_SETTINGS_DIR "/MD_Templates.ini"));
    EXPECT_TRUE(katalog.open(QIODevice::ReadOnly));
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), katalog.readAll());
    FHome.WriteSetting(QStringLiteral("MD_Programme.ini"),
                       "[PLON.EXE]\nNAME=Personaleinsatzplanung\nCOMMAND=/bin/true\n");
}

MainWindowTest::~MainWindowTest() {
    Close();
}

void MainWindowTest::Store(const QString& AName, const QString& AProgramm,
                           const QStringList& ASteps, const QList<TZEP_GA_SingleAction>& AOther) {
    TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
    store.Load_Reports();
    std::unique_ptr<TZEP_MD_Mandorel> mandorel = TZEP_MD_Mandorel::CreateNew(AName, AProgramm);
    mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Beschreibung"));
    mandorel->SetAuswertungs_Grund(QStringLiteral("Grund"));
    for (const QString& step : ASteps) {
        mandorel->Sequence().Append(TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, step});
    }
    for (const TZEP_GA_SingleAction& action : AOther) {
        mandorel->Sequence().Append(action);
    }
    ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr));
    store.Save_Reports();
}

void MainWindowTest::Open() {
    Close();
    FController = std::make_unique<TZEP_MD_GUI_Controller_Impl>(
        std::make_unique<TRecordingPlayer>(FPlayed), QStringList());
    FController->SetFileDialog(std::make_unique<TScriptedFileDialog>(FDateien));
    FWindow = std::make_unique<TZEP_MD_Main>();
    FWindow->SetController(*FController);
    FWindow->Initialize();
    FWindow->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FWindow.get()));
}

void MainWindowTest::Close() {
    if (FWindow && FWindow->isVisible()) {
        FWindow->close();
    }
    FWindow.reset();
    FController.reset();
}

void MainWindowTest::Click(const QString& AButton) {
    QTest::mouseClick(Find<QPushButton>(AButton), Qt::LeftButton);
}

bool MainWindowTest::Shown(const QString& AButton) const {
    return Find<QPushButton>(AButton)->isVisibleTo(FWindow.get());
}

void MainWindowTest::Type(const QString& AEdit, const QString& AText) {
    auto* edit = Find<QLineEdit>(AEdit);
    edit->clear();
    QTest::keyClicks(edit, AText);
    QTest::keyClick(edit, Qt::Key_Return);
}

void MainWindowTest::SelectInList(const QString& AName) {
    auto* list = Find<QTreeView>(QStringLiteral("vrMandorele"));
    const QModelIndexList rows =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, AName, 1,
                             Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(rows.isEmpty()) << AName.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(rows.first()).center());
}

QStringList MainWindowTest::ListRows() const {
    QStringList rows;
    const QAbstractItemModel* model = Find<QTreeView>(QStringLiteral("vrMandorele"))->model();
    for (int g = 0; g < model->rowCount(); ++g) {
        const QModelIndex gruppe = model->index(g, 0);
        rows.append(gruppe.data().toString());
        for (int c = 0; c < model->rowCount(gruppe); ++c) {
            rows.append(QStringLiteral("  ") + model->index(c, 0, gruppe).data().toString());
        }
    }
    return rows;
}

void MainWindowTest::ClickCell(int ARow, int AColumn) {
    auto* steps = Find<QTreeWidget>(QStringLiteral("vtReportSequence"));
    // Five stacked views leave the step list little room: the row is brought into sight first.
    steps->scrollTo(steps->model()->index(ARow, AColumn));
    const QRect cell = steps->visualRect(steps->model()->index(ARow, AColumn));
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, cell.center());
}

void MainWindowTest::ChooseStep(int ARow, const QString& AAnzeigeName) {
    auto* steps = Find<QTreeWidget>(QStringLiteral("vtReportSequence"));
    const bool addRow = steps->topLevelItem(ARow)->text(3).isEmpty();
    ClickCell(ARow, addRow ? 0 : 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* chooser = FWindow->findChild<QComboBox*>(QStringLiteral("cmbSequenceStep"));
    ASSERT_NE(chooser, nullptr);
    chooser->hidePopup();
    const int entry = chooser->findText(AAnzeigeName);
    ASSERT_GT(entry, 0) << AAnzeigeName.toStdString();
    chooser->setCurrentIndex(entry - 1);
    QTest::keyClick(chooser, Qt::Key_Down);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList MainWindowTest::StepRows() const {
    QStringList rows;
    auto* steps = Find<QTreeWidget>(QStringLiteral("vtReportSequence"));
    for (int i = 0; i < steps->topLevelItemCount(); ++i) {
        rows.append(steps->topLevelItem(i)->text(3).isEmpty() ? QStringLiteral("+")
                                                              : steps->topLevelItem(i)->text(3));
    }
    return rows;
}

QList<int> MainWindowTest::Meldungen() {
    QList<int> nummern;
    for (const TVKO_Meldung& meldung : FPresenter->Meldungen) {
        nummern.append(meldung.Koord.Nummer);
    }
    return nummern;
}

QStringList MainWindowTest::StoredNames() const {
    TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
    store.Load_Reports();
    QStringList names;
    store.Enum_Mandorele([&names](TZEP_MD_Mandorel& AMandorel) {
        QStringList steps;
        for (const TZEP_GA_SingleAction& action : AMandorel.Sequence().Actions()) {
            steps.append(action.Text);
        }
        names.append(AMandorel.Name_Anzeige() + QStringLiteral(": ") +
                     steps.join(QLatin1Char(',')));
    });
    return names;
}
