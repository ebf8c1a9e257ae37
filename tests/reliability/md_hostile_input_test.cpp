// Hostile inputs, grouped by the door they come through. Each case asserts what must not
// happen and that a clear message names the cause.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "md_gui_token_panel.h"
#include "md_main_fixture.h"
#include "md_processor.h"

// ---- Door: value-set file (MD_Wertevorrat.ini) ----------------------------------------------

namespace {

const char* const CGeheimKatalog =
    "[TEMPLATES]\nG_START\n"
    "[G_START]\nNAME=Anmelden\nSTARTS_PROGRAM=PLON\nSEQUENCE=TYPE \"#KENNWORT#\"; TYPE \"#VON#\"\n"
    "[TOKENNAMES]\n#KENNWORT#M=Kennwort\n#VON#=Von\n";

const QString CGeheim = QStringLiteral("Sesam-4711");

// Every text a user can see in the window, list entries and tips included.
QStringList SichtbareTexte(const QWidget& AWindow) {
    QStringList texte;
    for (const QWidget* w : AWindow.findChildren<QWidget*>()) {
        texte.append(w->toolTip());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w);
            edit != nullptr && edit->echoMode() == QLineEdit::Normal) {
            texte.append(edit->text());
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            texte.append(label->text());
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            texte.append(button->text());
        }
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                texte.append(combo->itemText(i));
            }
        }
    }
    return texte;
}

class ValueSetFileDoor : public MainWindowTest {
protected:
    ValueSetFileDoor() { FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), CGeheimKatalog); }

    QString StoredKennwort() const {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        QString wert;
        store.Enum_Mandorele([&wert](TZEP_MD_Mandorel& AMandorel) {
            wert = AMandorel.TokenValues().value(QStringLiteral("#KENNWORT#"));
        });
        return wert;
    }
};

}  // namespace

TEST_F(ValueSetFileDoor, AChoiceOrDialogForAMaskedTokenIsIgnoredAndReported) {
    {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        auto mandorel =
            TZEP_MD_Mandorel::CreateNew(QStringLiteral("Geheim"), QStringLiteral("PLON"));
        mandorel->SetAuswertungs_Beschreibung(QStringLiteral("Beschreibung"));
        mandorel->SetAuswertungs_Grund(QStringLiteral("Grund"));
        mandorel->Sequence().Append({TZEP_GA_ActionKind::Template, QStringLiteral("G_START")});
        mandorel->TokenValues() = {{QStringLiteral("#KENNWORT#"), CGeheim},
                                   {QStringLiteral("#VON#"), QStringLiteral("01.01.2025")}};
        ASSERT_TRUE(store.Add_Mandorel(mandorel, nullptr));
        store.Save_Reports();
    }
    const QList<QByteArray> eintraege{
        "[EDITOREN]\n#KENNWORT#=TZEP_MandantenCombobox\n[MANDANTEN]\nSesam-4711=Geheim\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_MandantenCheckCombo\n[MANDANTEN]\nSesam-4711=Geheim\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_OpenDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_FileOpenDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TVKOSaisonButtonEdit\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_EMail_Mult_Empfaenger\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_LayoutDialogFrame\n",
        "[EDITOREN]\n#KENNWORT#=TZEP_Farnel_Account_Info_Frame\n",
        "[WERTELISTEN]\n#KENNWORT#=Sesam-4711;Andere\n",
    };
    for (const QByteArray& eintrag : eintraege) {
        SCOPED_TRACE(eintrag.toStdString());
        FHome.WriteSetting(QStringLiteral("MD_Wertevorrat.ini"), eintrag);
        Open();
        SelectInList(QStringLiteral("Geheim"));
        Click(QStringLiteral("btnEdit"));
        ClickCell(0, 2);
        ClickCell(0, 2);

        TZEP_MD_Token_Panel* kennwort = nullptr;
        for (TZEP_MD_Token_Panel* panel : FWindow->findChildren<TZEP_MD_Token_Panel*>()) {
            if (panel->TokenName() == QStringLiteral("#KENNWORT#")) {
                kennwort = panel;
            }
        }
        ASSERT_NE(kennwort, nullptr);
        const auto* edit = qobject_cast<QLineEdit*>(kennwort->InputComp());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        for (const QString& text : SichtbareTexte(*FWindow)) {
            EXPECT_FALSE(text.contains(CGeheim)) << text.toStdString();
        }
        // Reported once per window, naming file, line and token.
        ASSERT_EQ(FPresenter->Meldungen.size(), 1);
        EXPECT_EQ(FPresenter->Meldungen.at(0).Koord.Nummer, 1017);
        const QString text = FPresenter->Meldungen.at(0).Text;
        EXPECT_TRUE(text.contains(QStringLiteral("MD_Wertevorrat.ini"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Zeile 2"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("„#KENNWORT#“ ist verdeckt")))
            << text.toStdString();

        // "Buchen" loses nothing.
        Click(QStringLiteral("btnBuchen"));
        EXPECT_EQ(StoredKennwort(), CGeheim);
        Close();
        FPresenter->Meldungen.clear();
    }
}
