// The window's size, its saved layout and the room its columns give their texts.
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QSysInfo>
#include <QTest>
#include <QTranslator>

#include "md_main_fixture.h"
#include "md_qt_deutsch.h"
#include "vko_info.h"
#include "vko_simplemask.h"

namespace {

QList<QSize> DockSizes(const QMainWindow& AWindow) {
    QApplication::processEvents();
    QList<QSize> sizes;
    for (QDockWidget* dock : AWindow.findChildren<QDockWidget*>()) {
        sizes.append(dock->size());
    }
    return sizes;
}

QStringList Column(const QTreeWidget& ATree, int AColumn) {
    QStringList texts;
    for (int i = 0; i < ATree.topLevelItemCount(); ++i) {
        texts.append(ATree.topLevelItem(i)->text(AColumn));
    }
    return texts;
}

}  // namespace

TEST(MainWindowStart, TheFirstWindowTakesEightyPercentOfARoomyScreenAndNeverLessThanItsSize) {
    const struct {
        QSize Verfuegbar;
        QSize Erwartet;
    } faelle[] = {
        {QSize(800, 600), QSize(767, 765)},    {QSize(767, 765), QSize(767, 765)},
        {QSize(1280, 1024), QSize(1024, 819)}, {QSize(1920, 1080), QSize(1536, 864)},
        {QSize(2560, 900), QSize(2048, 765)},  {QSize(0, 0), QSize(767, 765)},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(TZEP_MD_Main::StartGroesse(fall.Verfuegbar), fall.Erwartet)
            << fall.Verfuegbar.width() << "x" << fall.Verfuegbar.height();
    }
}

TEST(QtTexte, TheToolkitsDialogButtonsReadGerman) {
    QTranslator texte;
    ASSERT_TRUE(MD_QtTexteDeutsch(texte));
    QMessageBox frage(QMessageBox::Question, QStringLiteral("Frage"), QStringLiteral("Wirklich?"),
                      QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(frage.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')),
              QStringLiteral("Ja"));
    EXPECT_EQ(frage.button(QMessageBox::No)->text().remove(QLatin1Char('&')),
              QStringLiteral("Nein"));
}

TEST_F(MainWindowTest, BeendenAndStartingAgainKeepsWindowAndDockSizes) {
    Open();
    Click(QStringLiteral("btnSetLocked"));
    const QList<QSize> anfangs = DockSizes(*FWindow);
    FWindow->resize(1000, 800);
    QApplication::processEvents();
    QList<QDockWidget*> docks = FWindow->findChildren<QDockWidget*>();
    FWindow->resizeDocks({docks.at(0)}, {420}, Qt::Horizontal);
    FWindow->resizeDocks({docks.at(1), docks.at(2)}, {330, 200}, Qt::Vertical);
    const QList<QSize> gesetzt = DockSizes(*FWindow);
    ASSERT_NE(gesetzt, anfangs);
    ASSERT_GT(docks.at(0)->width(), 400);
    Click(QStringLiteral("btnZurueck"));

    for (int start = 1; start <= 2; ++start) {
        Open();
        EXPECT_EQ(FWindow->size(), QSize(1000, 800)) << "start " << start;
        EXPECT_EQ(DockSizes(*FWindow), gesetzt) << "start " << start;
        Click(QStringLiteral("btnZurueck"));
    }

    // Earlier builds kept the layout under the host name: the first start reads it there. A
    // machine without a machine id still goes by its host name.
    if (VKOInfo().VKOInfoTerminalID() == QSysInfo::machineHostName().toUpper()) {
        return;
    }
    const auto maske = [](const QString& AArbeitsplatz) {
        return std::make_unique<TSimpleMask>(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                                             QStringLiteral("MASKCFG"), AArbeitsplatz);
    };
    auto hier = maske(VKOInfo().VKOInfoTerminalID());
    auto frueher = maske(QSysInfo::machineHostName());
    for (const QString& key : {QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("FENSTERGROESSE")}) {
        frueher->WriteLocal(key, hier->ReadLocalDef(key, QString()));
    }
    hier->DeleteLocal();
    Open();
    EXPECT_EQ(FWindow->size(), QSize(1000, 800));
    EXPECT_EQ(DockSizes(*FWindow), gesetzt);
}

TEST_F(MainWindowTest, ASavedSizeThatIsNoSizeLeavesTheStartSize) {
    Open();
    const QSize start = FWindow->size();
    Click(QStringLiteral("btnZurueck"));
    TSimpleMask maske(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                      QStringLiteral("MASKCFG"), VKOInfo().VKOInfoTerminalID());
    for (const char* wert : {"garbage", "99999999x5", "-5x-5", "0x900", "900x", "1x2x3"}) {
        maske.WriteLocal(QStringLiteral("FENSTERGROESSE"), QString::fromLatin1(wert));
        Open();
        EXPECT_EQ(FWindow->size(), start) << wert;
        Close();
    }
    // A size below what the views need gives way to their needs.
    maske.WriteLocal(QStringLiteral("FENSTERGROESSE"), QStringLiteral("10x10"));
    Open();
    EXPECT_GE(FWindow->width(), FWindow->minimumSizeHint().width());
    EXPECT_GE(FWindow->height(), FWindow->minimumSizeHint().height());
    EXPECT_TRUE(FPresenter->Fehler.isEmpty());
}

TEST_F(MainWindowTest, ColumnsShowTheirTextsWholeAndThePickerSortsLikeADictionary) {
    Store(QStringLiteral("Monatsliste"), QStringLiteral("PLON"),
          {QStringLiteral("PLON_START"), QStringLiteral("PLON_ZEITRAUM"),
           QStringLiteral("PLON_BERICHT")});
    Open();
    // The first window on a screen of 1280x1024.
    FWindow->resize(TZEP_MD_Main::StartGroesse(QSize(1280, 1024)));
    SelectInList(QStringLiteral("Monatsliste"));
    QApplication::processEvents();

    auto* steps = Find<QTreeWidget>(QStringLiteral("vtReportSequence"));
    EXPECT_GE(
        steps->header()->sectionSize(2),
        steps->fontMetrics().horizontalAdvance(QStringLiteral("Bericht erstellen und beenden")));
    auto* programm = Find<QComboBox>(QStringLiteral("cmbReportProgramm"));
    EXPECT_GE(programm->width(), programm->sizeHint().width());
    auto* picker = Find<QTreeWidget>(QStringLiteral("vtDynTokens"));
    EXPECT_GE(
        picker->header()->sectionSize(1),
        picker->fontMetrics().horizontalAdvance(QStringLiteral("#MONAT_UEBERNAECHSTER_ANFANG#")));

    // Dictionary order: lower and upper case mixed, "ü" beside "u".
    const QStringList namen = Column(*picker, 0);
    const QStringList folge{QStringLiteral("Folgejahr, Anfang"),
                            QStringLiteral("gestern"),
                            QStringLiteral("heute"),
                            QStringLiteral("laufende Woche, Ende (Sonntag)"),
                            QStringLiteral("morgen"),
                            QStringLiteral("übernächster Monat, Anfang"),
                            QStringLiteral("Vorjahr, Anfang")};
    for (qsizetype i = 1; i < folge.size(); ++i) {
        EXPECT_LT(namen.indexOf(folge.at(i - 1)), namen.indexOf(folge.at(i)))
            << folge.at(i).toStdString();
    }
    EXPECT_FALSE(namen.contains(QString()));

    // A click on a take-over image that the view half hides does not slide the list.
    Click(QStringLiteral("btnNew"));
    FWindow->resizeDocks({FWindow->findChildren<QDockWidget*>().at(3)}, {200}, Qt::Horizontal);
    QApplication::processEvents();
    QScrollBar* seitlich = picker->horizontalScrollBar();
    ASSERT_GT(seitlich->maximum(), 8);
    seitlich->setValue(8);
    // The image leads the row, in sight however narrow the view.
    EXPECT_EQ(picker->header()->visualIndex(2), 0);
    const QRect bild =
        picker->visualRect(picker->model()->index(0, 2)) & picker->viewport()->rect();
    ASSERT_FALSE(bild.isEmpty());
    QTest::mouseClick(picker->viewport(), Qt::LeftButton, {}, bild.center());
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_EQ(seitlich->value(), 8);
    // Typing still finds a placeholder by its name while the image is current.
    ASSERT_EQ(picker->currentIndex().column(), 2);
    QTest::keyClicks(picker, QStringLiteral("Vormonat, A"));
    EXPECT_EQ(picker->currentItem()->text(0), QStringLiteral("Vormonat, Anfang"));
}
