#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "md_gui_token_panel.h"
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

    TZEP_MD_Token_Panel& Panel(const QString& AToken, const QString& AValue) {
        FPanel = std::make_unique<TZEP_MD_Token_Panel>(
            &FParent, FRegistry, TZEP_MD_Token_Panel::TToken{AToken, AToken, false, false, AValue},
            [this](const QString& AKennung, const QString& AWert) {
                FGeschrieben.append(AKennung + QLatin1Char('=') + AWert);
            },
            nullptr);
        return *FPanel;
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
