#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "md_file_dialog.h"
#include "md_gui_token_panel.h"
#include "md_scripted_file_dialog.h"
#include "md_test_support.h"
#include "vko_saison_edit.h"
#include "zep_email_empfaenger.h"
#include "zep_farnel_account_frame.h"
#include "zep_layout_dialog_frame.h"
#include "zep_mandanten_checkcombo.h"
#include "zep_mandanten_combobox.h"
#include "zep_path_frames.h"
#include "zep_wertevorrat_registry.h"

using namespace Qt::StringLiterals;

namespace {

// Every editor kind for a token of its own, and three clients.
const char* const CWertevorrat =
    "[EDITOREN]\n"
    "#MANDANTEN#=TZEP_MandantenCheckCombo\n#MANDANT#=tzep_mandantencombobox\n"
    "#ORDNER#=TZEP_OpenDialogFrame\n#DATEI#=TZEP_FileOpenDialogFrame\n"
    "#SAISON#=TVKOSaisonButtonEdit\n#EMPFAENGER#=TZEP_EMail_Mult_Empfaenger\n"
    "#LAYOUT#=TZEP_LayoutDialogFrame\n#KONTO#=TZEP_Farnel_Account_Info_Frame\n"
    "[MANDANTEN]\n100=Zentrale\n200=Nord\n300=Süd\n";

class EditorTest : public ::testing::Test {
protected:
    EditorTest() { FRegistry.LoadFromBytes(CWertevorrat, QStringLiteral("MD_Wertevorrat.ini")); }

    // With AShown in an active window so that keys reach it.
    TZEP_MD_Token_Panel& Panel(const QString& AToken, const QString& AValue, bool AShown = false,
                               bool AMitDialogen = true) {
        FPanel = std::make_unique<TZEP_MD_Token_Panel>(
            &FParent, FRegistry, AMitDialogen ? &FDialog : nullptr,
            TZEP_MD_Token_Panel::TToken{AToken, AToken, false, false, AValue},
            [this](const QString& AKennung, const QString& AWert) {
                FGeschrieben.append(AKennung + u'=' + AWert);
            },
            nullptr);
        if (AShown) {
            FParent.resize(640, 200);
            FPanel->resize(FParent.width(), FPanel->height());
            FPanel->SetHintLabel_Width(FPanel->HintLabel_NaturalWidth());
            FParent.show();
            FPanel->show();
            FParent.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&FParent));
        }
        return *FPanel;
    }

    template <typename T>
    T* Editor(const QString& AToken, const QString& AValue) {
        return qobject_cast<T*>(Panel(AToken, AValue).InputComp());
    }

    // What leaving the panel writes, if anything.
    QStringList Leave() {
        FGeschrieben.clear();
        FPanel->Exit();
        return FGeschrieben;
    }

    QToolButton* Button(const QString& AName) const {
        auto* button = FPanel->findChild<QToolButton*>(AName);
        EXPECT_NE(button, nullptr) << AName.toStdString();
        return button;
    }

    // Tabs from where the focus is to the button and presses Space on it.
    void TabAndPress(const QString& AButton) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Button(AButton));
        QTest::keyClick(Button(AButton), Qt::Key_Space);
    }

    // Types into the editor's edit and leaves it; what was written, if anything.
    QStringList TypeAndLeave(QLineEdit* AEdit, const QString& AText) {
        FGeschrieben.clear();
        AEdit->clear();
        QTest::keyClicks(AEdit, AText);
        QTest::keyClick(AEdit, Qt::Key_Return);
        return FGeschrieben;
    }

    bool HintShown() const {
        const QLabel* hint = FPanel->findChild<QLabel*>(QStringLiteral("lblHinweis"));
        return hint != nullptr && hint->isVisibleTo(FPanel.get()) && !hint->text().isEmpty();
    }

    std::shared_ptr<TScriptedFileDialog::TShared> FDialoge =
        std::make_shared<TScriptedFileDialog::TShared>();
    TScriptedFileDialog FDialog{FDialoge};
    TZEP_MD_Wertevorrat_Registry FRegistry;
    QWidget FParent;
    std::unique_ptr<TZEP_MD_Token_Panel> FPanel;
    QStringList FGeschrieben;
};

}  // namespace

TEST_F(EditorTest, EveryEditorGivesBackTheValueItWasSet) {
    ASSERT_TRUE(FRegistry.Fehler().isEmpty());
    const QList<std::pair<QString, QString>> werte{
        {u"#MANDANTEN#"_s, u"100;300"_s},
        {u"#MANDANT#"_s, u"200"_s},
        {u"#ORDNER#"_s, u"/srv/berichte"_s},
        {u"#DATEI#"_s, u"/srv/berichte/plon.txt"_s},
        {u"#SAISON#"_s, u"HW 2026"_s},
        {u"#EMPFAENGER#"_s, u"a.b@firma.de; c@firma.de"_s},
        {u"#LAYOUT#"_s, u"QUER \"RAND 5\" \"mit \"\"Kopf\"\"\" \"\""_s},
        {u"#KONTO#"_s, u"4711"_s},
        {u"#MANDANT#"_s, u"999"_s},
        {u"#MANDANTEN#"_s, u"200;999"_s},
    };
    for (const auto& [token, wert] : werte) {
        EXPECT_EQ(Panel(token, wert).TokenValue_Get(), wert) << token.toStdString();
        EXPECT_EQ(Leave(), QStringList{token + u'=' + wert});
    }
    auto* mandanten = Editor<TZEP_MandantenCheckCombo>(u"#MANDANTEN#"_s, u""_s);
    mandanten->Toggle(2);
    mandanten->Toggle(0);
    EXPECT_EQ(mandanten->SelectedText_Get(), u"100;300"_s);
}

TEST_F(EditorTest, BadInputIsRefusedWithAHintAndNothingIsStored) {
    QLineEdit* saison = Editor<TVKOSaisonButtonEdit>(u"#SAISON#"_s, u"FS 2027"_s)->SaisonEdit();
    EXPECT_TRUE(TypeAndLeave(saison, u"XY"_s).isEmpty());
    EXPECT_TRUE(saison->text().isEmpty());
    EXPECT_TRUE(HintShown());
    EXPECT_TRUE(TypeAndLeave(saison, u"fs 20"_s).isEmpty());
    EXPECT_EQ(TypeAndLeave(saison, u"fs 2028"_s), QStringList{u"#SAISON#=FS 2028"_s});
    EXPECT_FALSE(HintShown());

    auto* empfaenger = Editor<TZEP_EMail_Mult_Empfaenger>(u"#EMPFAENGER#"_s, u""_s);
    EXPECT_TRUE(TypeAndLeave(empfaenger->Edit(), u"a@firma.de; kein-at.de"_s).isEmpty());
    EXPECT_TRUE(HintShown());

    auto* konto = Editor<TZEP_Farnel_Account_Info_Frame>(u"#KONTO#"_s, u""_s);
    EXPECT_EQ(TypeAndLeave(konto->Edit(), u"12a"_s), QStringList{u"#KONTO#=12"_s});
    EXPECT_TRUE(HintShown());

    // A stored text that is no account number stays as it is: passing through writes nothing.
    Panel(u"#KONTO#"_s, u"K-17"_s);
    EXPECT_TRUE(HintShown());
    EXPECT_TRUE(Leave().isEmpty());
}

TEST_F(EditorTest, EveryPathAndSettingsButtonChangesTheValueAndCancelKeepsIt) {
    struct TFall {
        QString Token, Button, Vorher, Start, Gewaehlt, Nachher;
    };
    const QList<TFall> faelle{
        {u"#ORDNER#"_s, u"btnWaehlen"_s, u"/srv/alt"_s, u"/srv/alt"_s, u"/srv/neu"_s,
         u"/srv/neu"_s},
        {u"#DATEI#"_s, u"btnWaehlen"_s, u"/srv/alt.txt"_s, u"/srv/alt.txt"_s, u"/srv/neu.txt"_s,
         u"/srv/neu.txt"_s},
        // A chosen file with a blank is quoted; the settings stay as they were.
        {u"#LAYOUT#"_s, u"btnLayoutDatei"_s, u"QUER \"RAND 5\" alt.lay"_s, u"alt.lay"_s,
         u"/srv/mein layout.lay"_s, u"QUER \"RAND 5\" \"/srv/mein layout.lay\""_s},
    };
    for (const TFall& fall : faelle) {
        SCOPED_TRACE(fall.Token.toStdString());
        TZEP_MD_Token_Panel& panel = Panel(fall.Token, fall.Vorher, true);
        FDialoge->Dateien = {QString(), fall.Gewaehlt};
        FDialoge->Vorgabe.clear();
        QTest::mouseClick(Button(fall.Button), Qt::LeftButton);
        EXPECT_EQ(panel.TokenValue_Get(), fall.Vorher);
        ASSERT_EQ(QApplication::focusWidget(), FPanel->findChild<QLineEdit*>());

        TabAndPress(fall.Button);
        EXPECT_EQ(panel.TokenValue_Get(), fall.Nachher);
        EXPECT_EQ(FDialoge->Vorgabe, QStringList({fall.Start, fall.Start}));
        // The focus is back in the edit: leaving it writes the chosen path.
        FGeschrieben.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(FGeschrieben, QStringList{fall.Token + u'=' + fall.Nachher});
    }
    // The folder frame asks for a folder, the others for a file.
    EXPECT_EQ(FDialoge->Titel.at(0), u"Ordner wählen"_s);
    EXPECT_EQ(FDialoge->Titel.at(2), u"Datei wählen"_s);

    // The layout settings button edits the lines; Tab passes the file button on the way.
    FDialoge->Zeilen = {std::nullopt, QStringList{u"HOCH"_s, u"KOPF \"Plan\""_s}};
    FDialoge->Vorgabe.clear();
    QTest::mouseClick(Button(u"btnEinstellungen"_s), Qt::LeftButton);
    EXPECT_EQ(FPanel->TokenValue_Get(), faelle.last().Nachher);
    EXPECT_EQ(FDialoge->Vorgabe, QStringList{u"QUER\nRAND 5"_s});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    TabAndPress(u"btnEinstellungen"_s);
    EXPECT_EQ(FPanel->TokenValue_Get(), u"HOCH \"KOPF \"\"Plan\"\"\" \"/srv/mein layout.lay\""_s);
    EXPECT_EQ(Button(u"btnEinstellungen"_s)->accessibleDescription(), u"HOCH\nKOPF \"Plan\""_s);
}

TEST_F(EditorTest, TheSeasonButtonOffersTheSeasonsAroundTodayAndEscapeKeepsTheValue) {
    TFixedClock heute(2027, 3, 1);
    TZEP_MD_Token_Panel& panel = Panel(u"#SAISON#"_s, u"FS 2027"_s, true);
    QStringList angeboten;
    // The list is a popup with a loop of its own: the answer is given from inside that loop.
    const auto waehlen = [this, &angeboten](const QString& ASaison) {
        QTimer::singleShot(0, &FParent, [&angeboten, ASaison] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions()) {
                angeboten.append(action->text());
                if (action->text() == ASaison) {
                    menu->setActiveAction(action);
                }
            }
            QTest::keyClick(menu, ASaison.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
    };
    FPanel->findChild<QLineEdit*>()->setFocus();
    waehlen(u"HW 2028"_s);
    TabAndPress(u"btnSaison"_s);
    EXPECT_EQ(panel.TokenValue_Get(), u"HW 2028"_s);
    EXPECT_EQ(angeboten.constFirst(), u"FS 2026"_s);
    EXPECT_EQ(angeboten.constLast(), u"HW 2029"_s);
    // The focus is back in the edit; offscreen, the closed popup keeps the activation.
    ASSERT_EQ(FParent.focusWidget(), FPanel->findChild<QLineEdit*>());
    FGeschrieben.clear();
    QTest::keyClick(FParent.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(FGeschrieben, QStringList{u"#SAISON#=HW 2028"_s});

    waehlen(QString());
    QTest::mouseClick(Button(u"btnSaison"_s), Qt::LeftButton);
    EXPECT_EQ(panel.TokenValue_Get(), u"HW 2028"_s);
}

TEST_F(EditorTest, ADialogThatFailsOrIsMissingIsReportedAndChangesNoValue) {
    TScriptedPresenterScope presenter;
    FDialoge->FailWith = u"Dialog nicht verfügbar"_s;
    // The file frame shares the folder frame's button.
    const QList<std::pair<QString, QString>> knoepfe{
        {u"#ORDNER#"_s, u"btnWaehlen"_s},
        {u"#LAYOUT#"_s, u"btnLayoutDatei"_s},
        {u"#LAYOUT#"_s, u"btnEinstellungen"_s},
    };
    for (const auto& [token, knopf] : knoepfe) {
        const QString wert = token == u"#LAYOUT#"_s ? u"QUER alt.lay"_s : u"/srv/alt"_s;
        // Without dialogs the buttons change nothing either, and report nothing.
        for (const bool mitDialogen : {true, false}) {
            SCOPED_TRACE(knopf.toStdString() + (mitDialogen ? "" : " ohne Dialoge"));
            presenter->Fehler.clear();
            Panel(token, wert, true, mitDialogen);
            QTest::mouseClick(Button(knopf), Qt::LeftButton);
            EXPECT_EQ(FPanel->TokenValue_Get(), wert);
            ASSERT_EQ(presenter->Fehler.size(), mitDialogen ? 1 : 0);
            EXPECT_TRUE(!mitDialogen ||
                        presenter->Fehler.constFirst().Text.contains(FDialoge->FailWith));
        }
    }
}

TEST(FileDialogTest, TheLinesDialogGivesBackTheEditedLinesAndNothingForCancel) {
    TZEP_MD_QFileDialog dialoge;
    QString gezeigt;
    // The dialog runs a loop of its own: it is answered from inside that loop.
    const auto antworten = [&gezeigt](const QString& AText, bool AOk = true) {
        QTimer::singleShot(0, qApp, [&gezeigt, AText, AOk] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("memZeilen"));
            gezeigt = text->toPlainText();
            text->setPlainText(AText);
            auto* knoepfe = dialog->findChild<QDialogButtonBox*>();
            QTest::mouseClick(
                knoepfe->button(AOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                Qt::LeftButton);
        });
    };
    antworten(u"HOCH\n\nKOPF \"Plan\"\n"_s);
    EXPECT_EQ(dialoge.EditLines(u"Layouteinstellungen"_s, {u"QUER"_s, u"RAND 5"_s}),
              QStringList({u"HOCH"_s, QString(), u"KOPF \"Plan\""_s}));
    EXPECT_EQ(gezeigt, u"QUER\nRAND 5"_s);
    antworten(u"HOCH"_s, false);
    EXPECT_EQ(dialoge.EditLines(u"Layouteinstellungen"_s, {u"QUER"_s}), std::nullopt);
    antworten(QString());
    EXPECT_EQ(dialoge.EditLines(u"Layouteinstellungen"_s, {u"QUER"_s}), QStringList());
}
