#include <QBuffer>
#include <QDateEdit>
#include <QDialog>
#include <QDockWidget>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "md_gui_ausfuehrungen.h"
#include "md_main_fixture.h"
#include "md_process_support.h"
#include "md_processor.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_simplemask.h"
#include "zep_run_history.h"

namespace {

const QString CKennwort = QStringLiteral("Geh31m!");

class HistoryViewTest : public MainWindowTest {
protected:
    HistoryViewTest() {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Kundenliste"), QStringLiteral("KUDRE"));
        for (const char* step : {"KUDRE_START", "KUDRE_ANMELDUNG", "KUDRE_STICHTAG"}) {
            mandorel->Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(step)});
        }
        mandorel->TokenValues().insert(QStringLiteral("#KENNWORT#"), CKennwort);
        mandorel->TokenValues().insert(QStringLiteral("#STICHTAG#"),
                                       QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
        EXPECT_TRUE(store.Add_Mandorel(mandorel, nullptr));
        store.Save_Reports();
    }

    QStringList HistoryRows() const {
        QStringList rows;
        auto* list = Find<QTreeWidget>(QStringLiteral("vrAusfuehrungen"));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            rows << list->topLevelItem(i)->text(2) + QLatin1Char('/') +
                        list->topLevelItem(i)->text(5);
        }
        return rows;
    }
};

}  // namespace

TEST_F(HistoryViewTest, TestRunsAppearNewestFirstWithDetailsPictureAndRunsOfOtherProcesses) {
    Open();
    EXPECT_TRUE(HistoryRows().isEmpty());
    SelectInList(QStringLiteral("Kundenliste"));
    Click(QStringLiteral("btnTestlauf"));
    FPlayed->FailWith = QStringLiteral("Das Fenster „KUDRE“ erschien nicht.");
    FPlayed->FailAtStep = 2;
    Click(QStringLiteral("btnTestlauf"));
    EXPECT_EQ(Meldungen(), QList<int>{1010});
    EXPECT_EQ(HistoryRows(),
              (QStringList{QStringLiteral("fehlgeschlagen/"), QStringLiteral("gespielt/")}));

    auto* list = Find<QTreeWidget>(QStringLiteral("vrAusfuehrungen"));
    auto* details = Find<QPlainTextEdit>(QStringLiteral("memDetails"));
    // A database of its own names no workstation.
    EXPECT_TRUE(list->isColumnHidden(6));
    list->setCurrentItem(list->topLevelItem(0));
    const QString text = details->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("erschien nicht"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("#KENNWORT# = ***"))) << text.toStdString();
    EXPECT_FALSE(text.contains(CKennwort));

    // The picture of the failed run opens from its row.
    TZEP_RunHistory history(DatabaseIn(FHome));
    const qint64 id = history.Entries(QStringLiteral("KUDRE"), QStringLiteral("KUNDENLISTE"))[0].Id;
    QImage bildschirm(64, 48, QImage::Format_RGB32);
    bildschirm.fill(Qt::darkBlue);
    QByteArray png;
    QBuffer puffer(&png);
    ASSERT_TRUE(puffer.open(QIODevice::WriteOnly) && bildschirm.save(&puffer, "PNG"));
    history.SetBild(id, png);
    auto* frm = static_cast<TZEP_MD_Ausfuehrungen_Frm*>(
        Find<QWidget>(QStringLiteral("TZEP_MD_Ausfuehrungen_Frm")));
    frm->LoadAusfuehrungen();
    EXPECT_EQ(HistoryRows().first(), QStringLiteral("fehlgeschlagen/öffnen"));
    Q_EMIT list->itemActivated(list->topLevelItem(0), 0);
    auto* fenster = FWindow->findChild<QDialog*>(QStringLiteral("dlgBild"));
    ASSERT_NE(fenster, nullptr);
    EXPECT_EQ(fenster->findChild<QLabel*>(QStringLiteral("lblBild"))->pixmap().size(),
              QSize(64, 48));
    fenster->close();

    // Runs of other processes (a planned run) appear while the chosen run stays chosen.
    auto* pruefen = Find<QTimer>(QStringLiteral("tmrPruefen"));
    QWidget* dock = frm;
    while (dock != nullptr && qobject_cast<QDockWidget*>(dock) == nullptr) {
        dock = dock->parentWidget();
    }
    ASSERT_NE(dock, nullptr);
    dock->raise();
    ASSERT_TRUE(pruefen->isActive());
    list->setCurrentItem(list->topLevelItem(1));
    const QString gewaehlteDetails = details->toPlainText();
    TZEP_RunEntry lauf;
    lauf.Programm = QStringLiteral("KUDRE");
    lauf.NameKey = QStringLiteral("KUNDENLISTE");
    lauf.Start = lauf.Ende = QDateTime::currentDateTime();
    lauf.Ergebnis = TZEP_RunErgebnis::Fehlgeschlagen;
    history.Add(lauf);
    QMetaObject::invokeMethod(pruefen, "timeout");
    EXPECT_EQ(HistoryRows(),
              (QStringList{QStringLiteral("fehlgeschlagen/"),
                           QStringLiteral("fehlgeschlagen/öffnen"), QStringLiteral("gespielt/")}));
    EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 2);
    EXPECT_EQ(details->toPlainText(), gewaehlteDetails);
    // Nothing changed since: the list is not rebuilt.
    QTreeWidgetItem* gewaehlt = list->currentItem();
    QMetaObject::invokeMethod(pruefen, "timeout");
    EXPECT_EQ(list->currentItem(), gewaehlt);

    // Hidden, the view does not look; shown again, it looks at once.
    dock->hide();
    EXPECT_FALSE(pruefen->isActive());
    history.Add(lauf);
    dock->show();
    EXPECT_TRUE(pruefen->isActive());
    EXPECT_EQ(HistoryRows().size(), 4);

    // A history that can no longer be read says so in the view instead of in a message box.
    TVKO_Database(DatabaseIn(FHome)).Execute("DROP TABLE ZEP_AUSFUEHRUNG", QStringLiteral("Test"));
    QMetaObject::invokeMethod(pruefen, "timeout");
    EXPECT_TRUE(HistoryRows().isEmpty());
    EXPECT_TRUE(details->toPlainText().contains(QStringLiteral("ZEP_AUSFUEHRUNG")))
        << details->toPlainText().toStdString();
    EXPECT_TRUE(FPresenter->Fehler.isEmpty());
}

TEST_F(HistoryViewTest, ThePreviewShowsTheRunOfTheChosenDateAndPlaysNothing) {
    Open();
    Click(QStringLiteral("btnVorschau"));
    EXPECT_EQ(Meldungen(), QList<int>{1028});
    SelectInList(QStringLiteral("Kundenliste"));
    Click(QStringLiteral("btnVorschau"));
    auto* vorschau = FWindow->findChild<QDialog*>(QStringLiteral("dlgVorschau"));
    ASSERT_NE(vorschau, nullptr);
    EXPECT_TRUE(vorschau->isVisible());
    EXPECT_EQ(vorschau->findChild<QDateEdit*>(QStringLiteral("edDatum"))->date(),
              QDate::currentDate());
    vorschau->findChild<QDateEdit*>(QStringLiteral("edDatum"))->setDate(QDate(2024, 2, 29));
    auto* zeilen = vorschau->findChild<QTreeWidget*>(QStringLiteral("vrVorschau"));
    QStringList aktionen;
    for (int i = 0; i < zeilen->topLevelItemCount(); ++i) {
        aktionen << zeilen->topLevelItem(i)->text(1);
    }
    EXPECT_TRUE(aktionen.contains(QStringLiteral("Text eingeben: „***“")));
    EXPECT_TRUE(aktionen.contains(QStringLiteral("Text eingeben: „01.03.2024“")));
    EXPECT_FALSE(aktionen.join(QString()).contains(CKennwort));
    EXPECT_TRUE(FPlayed->Played.empty());
    EXPECT_TRUE(TZEP_RunHistory(DatabaseIn(FHome))
                    .Entries(QStringLiteral("KUDRE"), QStringLiteral("KUNDENLISTE"))
                    .isEmpty());
}
