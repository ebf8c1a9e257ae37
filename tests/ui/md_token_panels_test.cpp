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

using namespace Qt::StringLiterals;

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
        FHome.WriteSetting(u"MD_Templates.ini"_s, CKatalog);
        FHome.WriteSetting(u"MD_Wertevorrat.ini"_s, CWertevorrat);
    }

    // A stored Mandorel "Liste" with both steps and these token values, opened for editing.
    void OpenForEdit(const TZEP_MD_TokenValues& AWerte) {
        {
            TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
            store.Load_Reports();
            auto mandorel = TZEP_MD_Mandorel::CreateNew(u"Liste"_s, u"PLON"_s);
            mandorel->SetAuswertungs_Beschreibung(u"Beschreibung"_s);
            mandorel->SetAuswertungs_Grund(u"Grund"_s);
            for (const QString& step : {u"T_START"_s, u"T_ZWEI"_s}) {
                mandorel->Sequence().Append({TZEP_GA_ActionKind::Template, step});
            }
            mandorel->TokenValues() = AWerte;
            ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr));
            store.Save_Reports();
        }
        Open();
        FWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
        SelectInList(u"Liste"_s);
        Click(u"btnEdit"_s);
    }

    QList<TZEP_MD_Token_Panel*> ShowStep(int ARow) {
        ClickCell(ARow, 2);
        return FWindow->findChildren<TZEP_MD_Token_Panel*>();
    }

    QList<TZEP_MD_Token_Panel*> Panels(const QString& AToken) const {
        QList<TZEP_MD_Token_Panel*> panels = FWindow->findChildren<TZEP_MD_Token_Panel*>();
        panels.removeIf([&](TZEP_MD_Token_Panel* APanel) { return APanel->TokenName() != AToken; });
        return panels;
    }

    template <typename T = QWidget>
    T* Input(const QString& AToken, int AIndex = 0) const {
        TZEP_MD_Token_Panel* panel = Panels(AToken).value(AIndex);
        auto* input = panel != nullptr ? qobject_cast<T*>(panel->InputComp()) : nullptr;
        EXPECT_NE(input, nullptr) << AToken.toStdString();
        return input;
    }

    // Focuses the input, types, and leaves it for the step list.
    void Enter(QWidget* AInput, const QString& AText = {}) {
        AInput->setFocus();
        if (!AText.isEmpty()) {
            QTest::keyClicks(AInput, AText);
        }
        Find<QTreeWidget>(u"vtReportSequence"_s)->setFocus();
    }

    QString Wert(const QString& AToken) const {
        return FController->Selected_Mandorel()->TokenValues().value(AToken);
    }

    // A double click on the row, or with AImage a click on its take-over image.
    void TakeOver(const QString& APlatzhalter, bool AImage = false) {
        auto* liste = Find<QTreeWidget>(u"vtDynTokens"_s);
        const QList<QTreeWidgetItem*> rows = liste->findItems(APlatzhalter, Qt::MatchExactly, 1);
        ASSERT_EQ(rows.size(), 1);
        const QModelIndex ziel = liste->indexFromItem(rows.first(), AImage ? 2 : 0);
        liste->scrollTo(ziel);
        const QPoint zeile = liste->visualItemRect(rows.first()).center();
        // The row is chosen first; clicks in quick succession would be one triple click.
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, zeile);
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        if (AImage) {
            QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                              liste->visualRect(ziel).center());
        } else {
            QTest::mouseDClick(liste->viewport(), Qt::LeftButton, {}, zeile);
        }
    }
};

}  // namespace

TEST_F(TokenPanelTest, TwoStepsShareATokenTheLastLeftWinsAndAMaskedValueIsKeptPlain) {
    OpenForEdit({});
    ASSERT_EQ(ShowStep(0).size(), 3);
    ASSERT_EQ(Panels(u"#VON#"_s).size(), 2);
    Enter(Input(u"#VON#"_s, 0), u"01.01.2026"_s);
    EXPECT_EQ(Wert(u"#VON#"_s), u"01.01.2026"_s);
    Enter(Input(u"#VON#"_s, 1), u"02.02.2026"_s);
    EXPECT_EQ(Wert(u"#VON#"_s), u"02.02.2026"_s);
    auto* kennwort = Input<QLineEdit>(u"#KENNWORT#"_s);
    Enter(kennwort, u"geheim"_s);
    EXPECT_EQ(kennwort->echoMode(), QLineEdit::Password);

    // The second step shows the value typed in the first; a new step forgets the old panels.
    ShowStep(1);
    ASSERT_EQ(Panels(u"#VON#"_s).size(), 1);
    EXPECT_EQ(Input<QLineEdit>(u"#VON#"_s)->text(), u"02.02.2026"_s);
    EXPECT_TRUE(Panels(u"#KENNWORT#"_s).isEmpty());
    EXPECT_EQ(Wert(u"#KENNWORT#"_s), u"geheim"_s);
}

TEST_F(TokenPanelTest, LabelsAlignAndAValueMissingFromItsListOrALayoutValueIsKeptTillChanged) {
    const QString layout = u"QUER \"RAND 5\" bericht.pdf"_s;
    OpenForEdit({{u"#GRUPPE#"_s, u"Altkunden"_s}, {u"#LAYOUT#"_s, layout}});
    // A long display name wraps; every label takes the same width, at most half the panel.
    const QList<TZEP_MD_Token_Panel*> panels = ShowStep(1);
    const int breite = panels.first()->findChild<QLabel*>(u"lblToken"_s)->width();
    EXPECT_LE(breite, panels.first()->width() / 2);
    for (TZEP_MD_Token_Panel* panel : panels) {
        auto* label = panel->findChild<QLabel*>(u"lblToken"_s);
        EXPECT_EQ(label->width(), breite);
        EXPECT_GE(panel->height(), label->height());
    }
    auto* lang = Panels(u"#LANG#"_s).at(0)->findChild<QLabel*>(u"lblToken"_s);
    EXPECT_GT(lang->height(), 2 * lang->fontMetrics().height());

    auto* gruppe = Input<QComboBox>(u"#GRUPPE#"_s);
    EXPECT_EQ(gruppe->currentText(), u"Altkunden (nicht in der Liste)"_s);
    Enter(gruppe);
    EXPECT_EQ(Wert(u"#GRUPPE#"_s), u"Altkunden"_s);
    gruppe->setCurrentIndex(gruppe->findText(u"Fachhandel"_s));
    Enter(gruppe);
    EXPECT_EQ(Wert(u"#GRUPPE#"_s), u"Fachhandel"_s);

    auto* frame = Input<TZEP_LayoutDialogFrame>(u"#LAYOUT#"_s);
    Enter(frame->Edit());
    EXPECT_EQ(Wert(u"#LAYOUT#"_s), layout);
    // The editors open the window's dialogs.
    FDateien->Dateien = {u"/srv/layouts/neu.lay"_s};
    QTest::mouseClick(frame->findChild<QToolButton*>(u"btnLayoutDatei"_s), Qt::LeftButton);
    Enter(frame->Edit());
    EXPECT_EQ(Wert(u"#LAYOUT#"_s), u"QUER \"RAND 5\" /srv/layouts/neu.lay"_s);
}

TEST_F(TokenPanelTest, APlaceholderIsAppendedToTheLastPlainEditAndOnlyInEditMode) {
    OpenForEdit({{u"#VON#"_s, u"ab "_s}});
    // Every placeholder has its take-over image.
    auto* liste = Find<QTreeWidget>(u"vtDynTokens"_s);
    QStringList namen;
    for (int i = 0; i < liste->topLevelItemCount(); ++i) {
        namen.append(liste->topLevelItem(i)->text(0));
        EXPECT_FALSE(liste->topLevelItem(i)->icon(2).isNull()) << namen.last().toStdString();
    }
    EXPECT_GT(namen.size(), 20);
    ShowStep(1);
    // No input focused since the step was chosen: nothing to append to.
    TakeOver(u"#HEUTE#"_s);
    EXPECT_EQ(Wert(u"#VON#"_s), u"ab "_s);

    auto* von = Input<QLineEdit>(u"#VON#"_s);
    Enter(von);
    Enter(Input(u"#GRUPPE#"_s));
    TakeOver(u"#MONAT_NAECHSTER_ANFANG#"_s);
    TakeOver(u"#MONAT_NAECHSTER_ANFANG#"_s, true);
    liste->setFocus();
    QTest::keyClick(liste, Qt::Key_Return);
    EXPECT_EQ(Wert(u"#VON#"_s), u"ab "_s + u"#MONAT_NAECHSTER_ANFANG#"_s.repeated(3));

    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(u"btnAbort"_s);
    EXPECT_FALSE(liste->isEnabled());
    SelectInList(u"Liste"_s);
    ShowStep(1);
    Enter(Input(u"#VON#"_s));
    TakeOver(u"#HEUTE#"_s);
    EXPECT_EQ(Wert(u"#VON#"_s), u"ab "_s);
}

TEST_F(TokenPanelTest, ADamagedValueSetFileNamesFileAndLineAndItsTokensGetPlainEdits) {
    FHome.WriteSetting(u"MD_Wertevorrat.ini"_s,
                       "[EDITOREN]\n#LAYOUT#=TZEP_Gibtsnicht\n#GRUPPE#\n"
                       "[WERTELISTEN]\n#GRUPPE#=Großkunden;Fachhandel\n");
    OpenForEdit({{u"#LAYOUT#"_s, u"bleibt"_s}});
    ASSERT_EQ(Meldungen(), (QList<int>{1017, 1017}));
    const QString erste = FPresenter->Meldungen.at(0).Text;
    EXPECT_TRUE(erste.contains(FHome.SettingsFolder() + u"/MD_Wertevorrat.ini ist in Zeile 2 "_s) &&
                erste.contains(u"TZEP_Gibtsnicht"_s))
        << erste.toStdString();
    EXPECT_TRUE(FPresenter->Meldungen.at(1).Text.contains(u"Zeile 3 "_s));

    ShowStep(1);
    auto* layout = Input<QLineEdit>(u"#LAYOUT#"_s);
    EXPECT_EQ(layout->text(), u"bleibt"_s);
    Enter(layout);
    EXPECT_EQ(Wert(u"#LAYOUT#"_s), u"bleibt"_s);
    Input<QComboBox>(u"#GRUPPE#"_s);
}

TEST_F(TokenPanelTest, AValueSetFileOthersMayChangeIsNotUsedAndSaysWhy) {
    const QString datei = FHome.SettingsFolder() + u"/MD_Wertevorrat.ini"_s;
    QFile::setPermissions(datei, QFile::ReadOwner | QFile::WriteOwner | QFile::WriteOther);
    OpenForEdit({{u"#GRUPPE#"_s, u"Altkunden"_s}});
    ASSERT_EQ(Meldungen(), QList<int>{1018});
    EXPECT_TRUE(FPresenter->Meldungen.at(0).Text.contains(datei));
    ShowStep(1);
    EXPECT_EQ(Input<QLineEdit>(u"#GRUPPE#"_s)->text(), u"Altkunden"_s);
}
