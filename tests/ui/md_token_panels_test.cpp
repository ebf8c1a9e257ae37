#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "md_gui_token_panel.h"
#include "md_main_fixture.h"
#include "md_processor.h"
#include "zep_layout_dialog_frame.h"

namespace {

const char* const CKatalog =
    "[TEMPLATES]\nT_START\nT_ZWEI\n"
    "[T_START]\nNAME=Start\nSTARTS_PROGRAM=PLON\n"
    "SEQUENCE=START; TYPE \"#VON#\"; TYPE \"#KENNWORT#\"; TYPE \"#VON#\"\nNEXT_TEMPLATES=T_ZWEI\n"
    "[T_ZWEI]\nNAME=Zwei\n"
    "SEQUENCE=TYPE \"#VON#\"; TYPE \"#GRUPPE#\"; TYPE \"#LAYOUT#\"; TYPE \"#LANG#\"\n"
    "[TOKENNAMES]\n#VON#=Von\n#KENNWORT#M=Kennwort\n#GRUPPE#=Gruppe\n#LAYOUT#=Layout\n"
    "#LANG#=Ein sehr langer Anzeigename, der nicht in eine halbe Zeile passt und darum umbricht, "
    "so lang wie kein anderer im Katalog\n";

const char* const CWertevorrat =
    "[EDITOREN]\n#LAYOUT#=TZEP_LayoutDialogFrame\n"
    "[WERTELISTEN]\n#GRUPPE#=Großkunden;Fachhandel\n";

class TokenPanelTest : public MainWindowTest {
protected:
    TokenPanelTest() {
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), CKatalog);
        FHome.WriteSetting(QStringLiteral("MD_Wertevorrat.ini"), CWertevorrat);
    }

    // A stored Mandorel "Liste" with both steps and these token values, opened for editing.
    void OpenForEdit(const TZEP_MD_TokenValues& AWerte) {
        {
            TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
            store.Load_Reports();
            auto mandorel =
                TZEP_MD_Mandorel::CreateNew(QStringLiteral("Liste"), QStringLiteral("PLON"));
            mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Beschreibung"));
            mandorel->SetAuswertungs_Grund(QStringLiteral("Grund"));
            for (const char* step : {"T_START", "T_ZWEI"}) {
                mandorel->Sequence().Append(
                    {TZEP_GA_ActionKind::Template, QString::fromLatin1(step)});
            }
            mandorel->TokenValues() = AWerte;
            ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr));
            store.Save_Reports();
        }
        Open();
        FWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
        SelectInList(QStringLiteral("Liste"));
        Click(QStringLiteral("btnEdit"));
    }

    QList<TZEP_MD_Token_Panel*> ShowStep(int ARow) {
        ClickCell(ARow, 2);
        return FWindow->findChildren<TZEP_MD_Token_Panel*>();
    }

    QList<TZEP_MD_Token_Panel*> Panels(const QString& AToken) const {
        QList<TZEP_MD_Token_Panel*> panels;
        for (TZEP_MD_Token_Panel* panel : FWindow->findChildren<TZEP_MD_Token_Panel*>()) {
            if (panel->TokenName() == AToken) {
                panels.append(panel);
            }
        }
        return panels;
    }

    // Focuses the input, types, and leaves it for the step list.
    void Enter(QWidget* AInput, const QString& AText = {}) {
        AInput->setFocus();
        if (!AText.isEmpty()) {
            QTest::keyClicks(AInput, AText);
        }
        Find<QTreeWidget>(QStringLiteral("vtReportSequence"))->setFocus();
    }

    QString Wert(const QString& AToken) const {
        return FController->Selected_Mandorel()->TokenValues().value(AToken);
    }

    // A double click on the row, or with AImage a click on its take-over image.
    void TakeOver(const QString& APlatzhalter, bool AImage = false) {
        auto* liste = Find<QTreeWidget>(QStringLiteral("vtDynTokens"));
        const QList<QTreeWidgetItem*> rows = liste->findItems(APlatzhalter, Qt::MatchExactly, 1);
        ASSERT_EQ(rows.size(), 1);
        liste->scrollTo(liste->indexFromItem(rows.first(), AImage ? 2 : 0));
        // The row is chosen first; clicks in quick succession would be one triple click.
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                          liste->visualItemRect(rows.first()).center());
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        if (AImage) {
            const QRect image = liste->visualRect(liste->indexFromItem(rows.first(), 2));
            QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, image.center());
        } else {
            const QRect cell = liste->visualItemRect(rows.first());
            QTest::mouseDClick(liste->viewport(), Qt::LeftButton, {}, cell.center());
        }
    }
};

}  // namespace

TEST_F(TokenPanelTest, TwoStepsShareATokenTheLastLeftWinsAndAMaskedValueIsStoredPlain) {
    OpenForEdit({});
    QList<TZEP_MD_Token_Panel*> panels = ShowStep(0);
    ASSERT_EQ(panels.size(), 3);
    ASSERT_EQ(Panels(QStringLiteral("#VON#")).size(), 2);

    Enter(Panels(QStringLiteral("#VON#")).at(0)->InputComp(), QStringLiteral("01.01.2026"));
    EXPECT_EQ(Wert(QStringLiteral("#VON#")), QStringLiteral("01.01.2026"));
    Enter(Panels(QStringLiteral("#VON#")).at(1)->InputComp(), QStringLiteral("02.02.2026"));
    EXPECT_EQ(Wert(QStringLiteral("#VON#")), QStringLiteral("02.02.2026"));

    auto* kennwort =
        qobject_cast<QLineEdit*>(Panels(QStringLiteral("#KENNWORT#")).at(0)->InputComp());
    ASSERT_NE(kennwort, nullptr);
    Enter(kennwort, QStringLiteral("geheim"));
    EXPECT_EQ(kennwort->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Wert(QStringLiteral("#KENNWORT#")), QStringLiteral("geheim"));

    // The second step shows the value typed in the first; a new step forgets the old panels.
    ShowStep(1);
    ASSERT_EQ(Panels(QStringLiteral("#VON#")).size(), 1);
    EXPECT_EQ(qobject_cast<QLineEdit*>(Panels(QStringLiteral("#VON#")).at(0)->InputComp())->text(),
              QStringLiteral("02.02.2026"));
    EXPECT_TRUE(Panels(QStringLiteral("#KENNWORT#")).isEmpty());

    Click(QStringLiteral("btnBuchen"));
    TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
    store.Load_Reports();
    TZEP_MD_Mandorel* gebucht = nullptr;
    store.Enum_Mandorele([&](TZEP_MD_Mandorel& AMandorel) { gebucht = &AMandorel; });
    ASSERT_NE(gebucht, nullptr);
    EXPECT_EQ(gebucht->TokenValues().value(QStringLiteral("#VON#")), QStringLiteral("02.02.2026"));
    EXPECT_EQ(gebucht->TokenValues().value(QStringLiteral("#KENNWORT#")), QStringLiteral("geheim"));
}

TEST_F(TokenPanelTest,
       PassingThroughKeepsAValueMissingFromItsListAndALayoutValueTillAFileIsChosen) {
    const QString layout = QStringLiteral("QUER \"RAND 5\" bericht.pdf");
    OpenForEdit({{QStringLiteral("#GRUPPE#"), QStringLiteral("Altkunden")},
                 {QStringLiteral("#LAYOUT#"), layout}});
    ShowStep(1);

    auto* gruppe = qobject_cast<QComboBox*>(Panels(QStringLiteral("#GRUPPE#")).at(0)->InputComp());
    ASSERT_NE(gruppe, nullptr);
    EXPECT_EQ(gruppe->currentText(), QStringLiteral("Altkunden (nicht in der Liste)"));
    Enter(gruppe);
    EXPECT_EQ(Wert(QStringLiteral("#GRUPPE#")), QStringLiteral("Altkunden"));
    gruppe->setCurrentIndex(gruppe->findText(QStringLiteral("Fachhandel")));
    Enter(gruppe);
    EXPECT_EQ(Wert(QStringLiteral("#GRUPPE#")), QStringLiteral("Fachhandel"));

    auto* frame = qobject_cast<TZEP_LayoutDialogFrame*>(
        Panels(QStringLiteral("#LAYOUT#")).at(0)->InputComp());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Edit()->text(), QStringLiteral("bericht.pdf"));
    EXPECT_EQ(frame->LayoutEinstellungen(), QByteArray("QUER\nRAND 5\n"));
    Enter(frame->Edit());
    EXPECT_EQ(Wert(QStringLiteral("#LAYOUT#")), layout);

    // The editors open the window's dialogs.
    FDateien->Dateien = {QStringLiteral("/srv/layouts/neu.lay")};
    QTest::mouseClick(frame->findChild<QToolButton*>(QStringLiteral("btnLayoutDatei")),
                      Qt::LeftButton);
    Enter(frame->Edit());
    EXPECT_EQ(Wert(QStringLiteral("#LAYOUT#")),
              QStringLiteral("QUER \"RAND 5\" /srv/layouts/neu.lay"));
}

TEST_F(TokenPanelTest, ALongDisplayNameWrapsAndEveryLabelTakesTheSameWidthAtMostHalfThePanel) {
    OpenForEdit({});
    const QList<TZEP_MD_Token_Panel*> panels = ShowStep(1);
    ASSERT_EQ(panels.size(), 4);
    const int breite = panels.first()->findChild<QLabel*>(QStringLiteral("lblToken"))->width();
    EXPECT_LE(breite, panels.first()->width() / 2);
    for (TZEP_MD_Token_Panel* panel : panels) {
        auto* label = panel->findChild<QLabel*>(QStringLiteral("lblToken"));
        EXPECT_EQ(label->width(), breite);
        EXPECT_GE(panel->height(), label->height() + 14);
        EXPECT_LE(label->geometry().bottom(), panel->height());
        EXPECT_LE(panel->InputComp()->geometry().right(), panel->width());
    }
    TZEP_MD_Token_Panel* lang = Panels(QStringLiteral("#LANG#")).at(0);
    auto* label = lang->findChild<QLabel*>(QStringLiteral("lblToken"));
    EXPECT_GT(label->height(), 2 * label->fontMetrics().height());
    EXPECT_EQ(lang->height(), label->height() + 14);
}

TEST_F(TokenPanelTest, APlaceholderIsAppendedToTheLastPlainEditAndOnlyInEditMode) {
    OpenForEdit({{QStringLiteral("#VON#"), QStringLiteral("ab ")}});
    auto* liste = Find<QTreeWidget>(QStringLiteral("vtDynTokens"));
    QStringList namen;
    for (int i = 0; i < liste->topLevelItemCount(); ++i) {
        namen.append(liste->topLevelItem(i)->text(0));
        EXPECT_FALSE(liste->topLevelItem(i)->icon(2).isNull()) << namen.last().toStdString();
    }
    QStringList sortiert = namen;
    std::sort(sortiert.begin(), sortiert.end(),
              [](const QString& A, const QString& B) { return A.localeAwareCompare(B) < 0; });
    EXPECT_GT(namen.size(), 20);
    EXPECT_EQ(namen, sortiert);

    ShowStep(1);
    // No input focused since the step was chosen: nothing to append to.
    TakeOver(QStringLiteral("#HEUTE#"));
    EXPECT_EQ(Wert(QStringLiteral("#VON#")), QStringLiteral("ab "));

    auto* von = qobject_cast<QLineEdit*>(Panels(QStringLiteral("#VON#")).at(0)->InputComp());
    Enter(von);
    Enter(Panels(QStringLiteral("#GRUPPE#")).at(0)->InputComp());
    TakeOver(QStringLiteral("#MONAT_NAECHSTER_ANFANG#"));
    TakeOver(QStringLiteral("#MONAT_NAECHSTER_ANFANG#"), true);
    liste->setFocus();
    QTest::keyClick(liste, Qt::Key_Return);
    const QString erwartet = QStringLiteral(
        "ab #MONAT_NAECHSTER_ANFANG##MONAT_NAECHSTER_ANFANG##MONAT_NAECHSTER_ANFANG#");
    EXPECT_EQ(von->text(), erwartet);
    EXPECT_EQ(Wert(QStringLiteral("#VON#")), erwartet);

    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(QStringLiteral("btnAbort"));
    EXPECT_FALSE(liste->isEnabled());
    SelectInList(QStringLiteral("Liste"));
    ShowStep(1);
    Enter(Panels(QStringLiteral("#VON#")).at(0)->InputComp());
    TakeOver(QStringLiteral("#HEUTE#"));
    EXPECT_EQ(Wert(QStringLiteral("#VON#")), QStringLiteral("ab "));
}

TEST_F(TokenPanelTest, ADamagedValueSetFileNamesFileAndLineAndItsTokensGetPlainEdits) {
    FHome.WriteSetting(QStringLiteral("MD_Wertevorrat.ini"),
                       "[EDITOREN]\n#LAYOUT#=TZEP_Gibtsnicht\n#GRUPPE#\n"
                       "[WERTELISTEN]\n#GRUPPE#=Großkunden;Fachhandel\n");
    OpenForEdit({{QStringLiteral("#LAYOUT#"), QStringLiteral("bleibt")}});
    ASSERT_EQ(Meldungen(), (QList<int>{1017, 1017}));
    const QString datei = FHome.SettingsFolder() + QStringLiteral("/MD_Wertevorrat.ini");
    const QString erste = FPresenter->Meldungen.at(0).Text;
    EXPECT_TRUE(erste.contains(datei + QStringLiteral(" ist in Zeile 2 ")) &&
                erste.contains(QStringLiteral("TZEP_Gibtsnicht")))
        << erste.toStdString();
    EXPECT_TRUE(FPresenter->Meldungen.at(1).Text.contains(QStringLiteral("Zeile 3 ")));

    ShowStep(1);
    auto* layout = qobject_cast<QLineEdit*>(Panels(QStringLiteral("#LAYOUT#")).at(0)->InputComp());
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->text(), QStringLiteral("bleibt"));
    Enter(layout);
    EXPECT_EQ(Wert(QStringLiteral("#LAYOUT#")), QStringLiteral("bleibt"));
    EXPECT_NE(qobject_cast<QComboBox*>(Panels(QStringLiteral("#GRUPPE#")).at(0)->InputComp()),
              nullptr);
}

TEST_F(TokenPanelTest, AValueSetFileOthersMayChangeIsNotUsedAndSaysWhy) {
    const QString datei = FHome.SettingsFolder() + QStringLiteral("/MD_Wertevorrat.ini");
    QFile::setPermissions(datei, QFile::ReadOwner | QFile::WriteOwner | QFile::WriteOther);
    OpenForEdit({{QStringLiteral("#GRUPPE#"), QStringLiteral("Altkunden")}});
    ASSERT_EQ(Meldungen(), QList<int>{1018});
    EXPECT_TRUE(FPresenter->Meldungen.at(0).Text.contains(datei))
        << FPresenter->Meldungen.at(0).Text.toStdString();
    ShowStep(1);
    auto* gruppe = qobject_cast<QLineEdit*>(Panels(QStringLiteral("#GRUPPE#")).at(0)->InputComp());
    ASSERT_NE(gruppe, nullptr);
    EXPECT_EQ(gruppe->text(), QStringLiteral("Altkunden"));
}
