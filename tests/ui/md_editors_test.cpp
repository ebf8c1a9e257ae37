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

    TZEP_MD_Token_Panel& Panel(const QString& AToken, const QString& AValue,
                               IZEP_MD_FileDialog* ADialoge = nullptr) {
        FPanel = std::make_unique<TZEP_MD_Token_Panel>(
            &FParent, FRegistry, ADialoge,
            TZEP_MD_Token_Panel::TToken{AToken, AToken, false, false, AValue},
            [this](const QString& AKennung, const QString& AWert) {
                FGeschrieben.append(AKennung + QLatin1Char('=') + AWert);
            },
            nullptr);
        return *FPanel;
    }

    // The panel with the scripted dialogs, shown in an active window so that keys reach it.
    TZEP_MD_Token_Panel& ShownPanel(const QString& AToken, const QString& AValue,
                                    bool AMitDialogen = true) {
        Panel(AToken, AValue, AMitDialogen ? &FDialog : nullptr);
        FParent.resize(640, 200);
        FPanel->resize(FParent.width(), FPanel->height());
        FPanel->SetHintLabel_Width(FPanel->HintLabel_NaturalWidth());
        FParent.show();
        FPanel->show();
        FParent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&FParent));
        return *FPanel;
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
        TZEP_MD_Token_Panel& panel = Panel(token, wert);
        EXPECT_EQ(panel.TokenValue_Get(), wert) << token.toStdString();
        FGeschrieben.clear();
        panel.Exit();
        EXPECT_EQ(FGeschrieben, QStringList{token + QLatin1Char('=') + wert});
    }
    auto* konto =
        qobject_cast<TZEP_Farnel_Account_Info_Frame*>(Panel(u"#KONTO#"_s, u"1"_s).InputComp());
    EXPECT_EQ(konto->Modus(), 11);
    auto* mandanten =
        qobject_cast<TZEP_MandantenCheckCombo*>(Panel(u"#MANDANTEN#"_s, u""_s).InputComp());
    mandanten->Toggle(2);
    mandanten->Toggle(0);
    EXPECT_EQ(mandanten->SelectedText_Get(), QStringLiteral("100;300"));
}

TEST_F(EditorTest, BadInputIsRefusedWithAHintAndNothingIsStored) {
    auto* saison =
        qobject_cast<TVKOSaisonButtonEdit*>(Panel(u"#SAISON#"_s, u"FS 2027"_s).InputComp());
    EXPECT_TRUE(TypeAndLeave(saison->SaisonEdit(), QStringLiteral("XY")).isEmpty());
    EXPECT_TRUE(saison->SaisonEdit()->text().isEmpty());
    EXPECT_TRUE(HintShown());
    EXPECT_TRUE(TypeAndLeave(saison->SaisonEdit(), QStringLiteral("fs 20")).isEmpty());
    EXPECT_EQ(TypeAndLeave(saison->SaisonEdit(), QStringLiteral("fs 2028")),
              QStringList{u"#SAISON#=FS 2028"_s});
    EXPECT_FALSE(HintShown());

    auto* empfaenger =
        qobject_cast<TZEP_EMail_Mult_Empfaenger*>(Panel(u"#EMPFAENGER#"_s, u""_s).InputComp());
    EXPECT_TRUE(
        TypeAndLeave(empfaenger->Edit(), QStringLiteral("a@firma.de; kein-at.de")).isEmpty());
    EXPECT_TRUE(HintShown());

    auto* konto =
        qobject_cast<TZEP_Farnel_Account_Info_Frame*>(Panel(u"#KONTO#"_s, u""_s).InputComp());
    EXPECT_EQ(TypeAndLeave(konto->Edit(), QStringLiteral("12a")), QStringList{u"#KONTO#=12"_s});
    EXPECT_TRUE(HintShown());

    // A stored text that is no account number stays as it is: passing through writes nothing.
    TZEP_MD_Token_Panel& alt = Panel(u"#KONTO#"_s, u"K-17"_s);
    EXPECT_TRUE(HintShown());
    FGeschrieben.clear();
    alt.Exit();
    EXPECT_TRUE(FGeschrieben.isEmpty());
}

TEST_F(EditorTest, EveryPathButtonPutsTheChosenPathIntoTheValueAndCancelKeepsIt) {
    struct TFall {
        QString Token;
        QString Button;
        QString Vorher;
        QString Start;
        QString Gewaehlt;
        QString Nachher;
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
        TZEP_MD_Token_Panel& panel = ShownPanel(fall.Token, fall.Vorher);
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
        EXPECT_FALSE(Button(fall.Button)->accessibleName().isEmpty());
    }
    // The folder frame asks for a folder, the others for a file.
    EXPECT_EQ(FDialoge->Titel.at(0), u"Ordner wählen"_s);
    EXPECT_EQ(FDialoge->Titel.at(2), u"Datei wählen"_s);
}

TEST_F(EditorTest, TheLayoutSettingsButtonEditsTheLinesAndCancelKeepsThem) {
    TZEP_MD_Token_Panel& panel = ShownPanel(u"#LAYOUT#"_s, u"QUER \"RAND 5\" alt.lay"_s);
    FDialoge->Zeilen = {std::nullopt, QStringList{u"HOCH"_s, u"KOPF \"Plan\""_s}};
    QTest::mouseClick(Button(u"btnEinstellungen"_s), Qt::LeftButton);
    EXPECT_EQ(panel.TokenValue_Get(), u"QUER \"RAND 5\" alt.lay"_s);
    EXPECT_EQ(FDialoge->Vorgabe, QStringList{u"QUER\nRAND 5"_s});

    // Tab passes the file button on the way.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    TabAndPress(u"btnEinstellungen"_s);
    EXPECT_EQ(panel.TokenValue_Get(), u"HOCH \"KOPF \"\"Plan\"\"\" alt.lay"_s);
    EXPECT_FALSE(Button(u"btnEinstellungen"_s)->accessibleName().isEmpty());
    EXPECT_EQ(Button(u"btnEinstellungen"_s)->accessibleDescription(), u"HOCH\nKOPF \"Plan\""_s);
}

TEST_F(EditorTest, TheSeasonButtonOffersTheSeasonsAroundTodayAndEscapeKeepsTheValue) {
    TFixedClock heute(2027, 3, 1);
    TZEP_MD_Token_Panel& panel = ShownPanel(u"#SAISON#"_s, u"FS 2027"_s);
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
    EXPECT_FALSE(Button(u"btnSaison"_s)->accessibleName().isEmpty());
}

TEST_F(EditorTest, ADialogThatFailsOrIsMissingIsReportedAndChangesNoValue) {
    TScriptedPresenterScope presenter;
    FDialoge->FailWith = u"Dialog nicht verfügbar"_s;
    const QList<std::pair<QString, QString>> knoepfe{
        {u"#ORDNER#"_s, u"btnWaehlen"_s},
        {u"#DATEI#"_s, u"btnWaehlen"_s},
        {u"#LAYOUT#"_s, u"btnLayoutDatei"_s},
        {u"#LAYOUT#"_s, u"btnEinstellungen"_s},
    };
    for (const auto& [token, knopf] : knoepfe) {
        SCOPED_TRACE(knopf.toStdString());
        const QString wert = token == u"#LAYOUT#"_s ? u"QUER alt.lay"_s : u"/srv/alt"_s;
        ShownPanel(token, wert);
        presenter->Fehler.clear();
        QTest::mouseClick(Button(knopf), Qt::LeftButton);
        EXPECT_EQ(FPanel->TokenValue_Get(), wert);
        ASSERT_EQ(presenter->Fehler.size(), 1);
        EXPECT_TRUE(presenter->Fehler.constFirst().Text.contains(FDialoge->FailWith));

        // Without dialogs the buttons change nothing either.
        ShownPanel(token, wert, false);
        QTest::mouseClick(Button(knopf), Qt::LeftButton);
        EXPECT_EQ(FPanel->TokenValue_Get(), wert);
        EXPECT_EQ(presenter->Fehler.size(), 1);
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
