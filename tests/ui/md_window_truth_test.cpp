// What the window shows is what runs, is previewed, exported and stored: scenarios pressed in
// the offscreen window on a real store.
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>

#include "md_gui_token_panel.h"
#include "md_main_fixture.h"
#include "md_processor.h"
#include "md_recording_systemctl.h"
#include "vko_planmani.h"
#include "vko_saison_edit.h"
#include "zep_email_empfaenger.h"
#include "zep_run_history.h"

using namespace Qt::StringLiterals;

namespace {

const char* const CKatalog =
    "\xEF\xBB\xBF[TEMPLATES]\nT_START\nT_ZWEI\n"
    "[T_START]\nNAME=Start\nSTARTS_PROGRAM=PLON\n"
    "SEQUENCE=START; TYPE \"#EMPFAENGER#\"; TYPE \"#SAISON#\"\nNEXT_TEMPLATES=T_ZWEI\n"
    "[T_ZWEI]\nNAME=Zwei\nSEQUENCE=TYPE \"#KONTO#\"; TYPE \"#VON#\"\n"
    "[TOKENNAMES]\n#EMPFAENGER#=Empfänger\n#SAISON#=Saison\n#KONTO#=Konto\n#VON#=Von\n";

const char* const CWertevorrat =
    "[EDITOREN]\n#EMPFAENGER#=TZEP_EMail_Mult_Empfaenger\n#SAISON#=TVKOSaisonButtonEdit\n";

QStringList Texte(const TZEP_GA_Sequence& ASequence) {
    QStringList texte;
    for (const TZEP_GA_SingleAction& action : ASequence.Actions()) {
        texte.append(action.Text);
    }
    return texte;
}

class WindowTruthTest : public MainWindowTest {
protected:
    WindowTruthTest() {
        FHome.WriteSetting(u"MD_Templates.ini"_s, CKatalog);
        FHome.WriteSetting(u"MD_Wertevorrat.ini"_s, CWertevorrat);
    }

    // "Liste" with both steps and these values, opened and put into edit mode.
    void EditListe(const TZEP_MD_TokenValues& AWerte) {
        Store(u"Liste"_s, u"PLON"_s, {u"T_START"_s, u"T_ZWEI"_s});
        {
            TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
            store.Load_Reports();
            store.Modify_Mandorel_Start(u"LISTE"_s, u"PLON"_s)->TokenValues() = AWerte;
            ASSERT_TRUE(store.Modify_Mandorel_Commit());
            store.Save_Reports();
        }
        Open();
        FWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
        SelectInList(u"Liste"_s);
        Click(u"btnEdit"_s);
    }

    template <typename T>
    T* Input(const QString& AToken) const {
        for (TZEP_MD_Token_Panel* panel : FWindow->findChildren<TZEP_MD_Token_Panel*>()) {
            if (panel->TokenName() == AToken) {
                return qobject_cast<T*>(panel->InputComp());
            }
        }
        ADD_FAILURE() << AToken.toStdString();
        return nullptr;
    }

    // Types the text over the edit's content and leaves it for the step list.
    void Retype(QLineEdit* AEdit, const QString& AText) {
        AEdit->setFocus();
        AEdit->selectAll();
        QTest::keyClick(AEdit, Qt::Key_Delete);
        QTest::keyClicks(AEdit, AText);
        Find<QTreeWidget>(u"vtReportSequence"_s)->setFocus();
    }

    QString Wert(const QString& AToken) const {
        return FController->Selected_Mandorel()->TokenValues().value(AToken);
    }

    QString StoredWert(const QString& AToken) const {
        TZEP_MD_Processor store(std::make_unique<TRecordingPlayer>(FPlayed));
        store.Load_Reports();
        const TZEP_MD_Mandorel* liste = store.Mandorel_ByName(u"LISTE"_s, u"PLON"_s);
        return liste != nullptr ? liste->TokenValues().value(AToken) : u"(fehlt)"_s;
    }

    QString LetzterText() { return FPresenter->Meldungen.last().Text; }
};

}  // namespace

TEST_F(WindowTruthTest, TestRunPreviewAndExportActOnTheStepsAsShown) {
    EditListe({{u"#EMPFAENGER#"_s, u"a@b.de"_s}, {u"#KONTO#"_s, u"4711"_s}});
    FPresenter->Answers = {CVKO_Antwort_Ja};
    ClickCell(1, 0);
    ASSERT_EQ(StepRows(), (QStringList{u"T_START"_s, u"+"_s}));

    Click(u"btnTestlauf"_s);
    ASSERT_EQ(FPlayed->Played.size(), 1u);
    EXPECT_EQ(Texte(FPlayed->Played.back()), (QStringList{QString(), u"a@b.de"_s, QString()}));

    Click(u"btnVorschau"_s);
    EXPECT_EQ(Find<QTreeWidget>(u"vrVorschau"_s)->topLevelItemCount(),
              FPlayed->Played.back().Count());

    const QString datei = FHome.Path() + u"/liste.mdex"_s;
    FDateien->Dateien = {datei};
    Click(u"btnExport"_s);
    QFile exportiert(datei);
    ASSERT_TRUE(exportiert.open(QIODevice::ReadOnly));
    auto gelesen = TZEP_MD_Mandorel::CreateNew(u"Liste"_s, u"PLON"_s);
    ASSERT_TRUE(gelesen->LoadFromBytes(exportiert.readAll(), QString(), QString()));
    EXPECT_EQ(Texte(gelesen->Sequence()), QStringList{u"T_START"_s});

    // Without its only step nothing is played; the user and the history learn why.
    FPresenter->Answers = {CVKO_Antwort_Ja};
    ClickCell(0, 0);
    Click(u"btnTestlauf"_s);
    EXPECT_EQ(FPlayed->Played.size(), 1u);
    ASSERT_EQ(Meldungen().last(), 1010);
    EXPECT_TRUE(LetzterText().contains(u"keinen Schritt"_s)) << LetzterText().toStdString();
    const TZEP_RunEntry lauf = TZEP_RunHistory().Entries(u"PLON"_s, u"LISTE"_s).value(0);
    EXPECT_EQ(lauf.Ergebnis, TZEP_RunErgebnis::Fehlgeschlagen);
    EXPECT_TRUE(lauf.Meldung.contains(u"keinen Schritt"_s)) << lauf.Meldung.toStdString();

    // The runs stored nothing; a new Mandorel plays the step chosen a moment ago.
    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(u"btnAbort"_s);
    EXPECT_EQ(StoredNames(), QStringList{u"Liste: T_START,T_ZWEI"_s});
    Click(u"btnNew"_s);
    ChooseStep(0, u"Start"_s);
    Click(u"btnTestlauf"_s);
    ASSERT_EQ(FPlayed->Played.size(), 2u);
    EXPECT_EQ(FPlayed->Played.back().Action(0).Kind, TZEP_GA_ActionKind::StartProgram);
}

TEST_F(WindowTruthTest, ATakeOverReplacesOnePlaceholderCountsOnceAndKeepsTheLimit) {
    EditListe({{u"#VON#"_s, u"#VORMONAT_ANFANG#"_s}});
    ClickCell(1, 2);
    auto* von = Input<QLineEdit>(u"#VON#"_s);
    ASSERT_NE(von, nullptr);
    auto* liste = Find<QTreeWidget>(u"vtDynTokens"_s);
    const QModelIndex heute =
        liste->indexFromItem(liste->findItems(u"#HEUTE#"_s, Qt::MatchExactly, 1).value(0), 2);
    ASSERT_TRUE(heute.isValid());
    // Made current first, so that the list has scrolled to the image before it is clicked.
    liste->setCurrentIndex(heute);
    const auto klick = [&](bool ADoppelt) {
        von->setFocus();
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        const QPoint bild = liste->visualRect(heute).center();
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, bild);
        if (ADoppelt) {
            // What the display sends for the second click of a double click.
            QMouseEvent doppelt(QEvent::MouseButtonDblClick, bild,
                                liste->viewport()->mapToGlobal(bild), Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(liste->viewport(), &doppelt);
            QTest::mouseRelease(liste->viewport(), Qt::LeftButton, {}, bild);
        }
    };

    klick(false);
    EXPECT_EQ(Wert(u"#VON#"_s), u"#HEUTE#"_s);
    Retype(von, u"Bericht_"_s);
    klick(true);
    EXPECT_EQ(Wert(u"#VON#"_s), u"Bericht_#HEUTE#"_s);

    // 295 characters leave no room for seven more: refused, and said so.
    const QString voll(295, u'x');
    Retype(von, voll);
    klick(true);
    EXPECT_EQ(von->text(), voll);
    EXPECT_EQ(Wert(u"#VON#"_s), voll);
    ASSERT_EQ(Meldungen(), QList<int>{1026});
    EXPECT_TRUE(LetzterText().contains(u"„Von“"_s)) << LetzterText().toStdString();
}

TEST_F(WindowTruthTest, ARefusedValueStaysInItsFieldAndStopsBuchenNamingStepAndField) {
    EditListe({{u"#EMPFAENGER#"_s, u"a@b.de"_s}});
    ClickCell(0, 2);
    auto* empfaenger = Input<TZEP_EMail_Mult_Empfaenger>(u"#EMPFAENGER#"_s);
    ASSERT_NE(empfaenger, nullptr);
    Retype(empfaenger->Edit(), u"keine-adresse"_s);
    Retype(Input<TVKOSaisonButtonEdit>(u"#SAISON#"_s)->SaisonEdit(), u"FS 20"_s);
    QApplication::processEvents();
    EXPECT_EQ(Wert(u"#EMPFAENGER#"_s), u"a@b.de"_s);

    // The hint is read whole, inside its panel.
    const auto* hinweis = empfaenger->findChild<QLabel*>(u"lblHinweis"_s);
    ASSERT_NE(hinweis, nullptr);
    EXPECT_EQ(hinweis->text(), u"Keine gültige E-Mail-Adresse: „keine-adresse“"_s);
    EXPECT_TRUE(hinweis->isVisible());
    EXPECT_GE(hinweis->height(), hinweis->heightForWidth(hinweis->width()));

    // Another step and back: the refused text is still there.
    ClickCell(1, 2);
    ClickCell(0, 2);
    EXPECT_EQ(Input<TZEP_EMail_Mult_Empfaenger>(u"#EMPFAENGER#"_s)->Edit()->text(),
              u"keine-adresse"_s);

    Click(u"btnBuchen"_s);
    ASSERT_EQ(Meldungen(), QList<int>{1025});
    EXPECT_TRUE(LetzterText().contains(u"„Start“"_s) && LetzterText().contains(u"„Empfänger“"_s) &&
                LetzterText().contains(u"keine-adresse"_s))
        << LetzterText().toStdString();
    EXPECT_EQ(StoredWert(u"#EMPFAENGER#"_s), u"a@b.de"_s);

    Retype(Input<TZEP_EMail_Mult_Empfaenger>(u"#EMPFAENGER#"_s)->Edit(), u"x@y.de"_s);
    Retype(Input<TVKOSaisonButtonEdit>(u"#SAISON#"_s)->SaisonEdit(), u"FS 2027"_s);
    Click(u"btnBuchen"_s);
    EXPECT_EQ(Meldungen(), QList<int>{1025});
    EXPECT_EQ(StoredWert(u"#EMPFAENGER#"_s), u"x@y.de"_s);
}

TEST_F(WindowTruthTest, TheScheduleFormShowsWhatIsStoredAndAPlanThatNeverRunsIsAskedFor) {
    TFixedClock uhr{QDateTime(QDate(2027, 1, 28), QTime(12, 0))};
    TRecordingSystemctl systemctl;
    Open();
    Click(u"btnNew"_s);
    auto* eigener = Find<QCheckBox>(u"chkEigenerBildschirm"_s);
    EXPECT_FALSE(eigener->isChecked());
    Type(u"edtReportName"_s, u"Einmal"_s);
    Type(u"edtReportBeschreibung"_s, u"b"_s);
    Type(u"edtReportGrund"_s, u"g"_s);
    ChooseStep(0, u"Start"_s);
    EXPECT_TRUE(eigener->isChecked());

    // Once only: the date field holds the time, no second time field is offered.
    auto* aktiv = Find<QCheckBox>(u"chkAktiv"_s);
    QTest::mouseClick(aktiv, Qt::LeftButton, {}, QPoint(4, aktiv->height() / 2));
    ASSERT_TRUE(aktiv->isChecked());
    Find<QTabWidget>(u"pgcPlanArt"_s)->setCurrentIndex(3);
    EXPECT_FALSE(Find<QTimeEdit>(u"tmeUhrzeit"_s)->isVisibleTo(Find<QWidget>(u"fraPlaner"_s)));
    const QDateTime gestern(QDate(2027, 1, 27), QTime(8, 15));
    Find<QDateTimeEdit>(u"dteEinmalig"_s)->setDateTime(gestern);

    FPresenter->Answers = {CVKO_Antwort_Nein};
    Click(u"btnBuchen"_s);
    EXPECT_EQ(Meldungen(), QList<int>{1029});
    EXPECT_TRUE(Shown(u"btnBuchen"_s));
    EXPECT_TRUE(StoredNames().isEmpty());

    FPresenter->Answers = {CVKO_Antwort_Ja};
    Click(u"btnBuchen"_s);
    EXPECT_EQ(Meldungen(), (QList<int>{1029, 1029}));
    const TIntTrio id = FController->Selected_Mandorel()->PlanIds().value(0);
    TPlanSatz satz;
    TZEP_PfadKommandoArgumenteList kommandos;
    ASSERT_TRUE(TPlanManiDM().PlanLaden(id, satz, kommandos));
    EXPECT_TRUE(satz.EigenerBildschirm);
    EXPECT_EQ(satz.Einmalig, gestern);

    // A date still to come asks nothing.
    Click(u"btnEdit"_s);
    Find<QDateTimeEdit>(u"dteEinmalig"_s)->setDateTime(gestern.addDays(2));
    Click(u"btnBuchen"_s);
    EXPECT_EQ(Meldungen(), (QList<int>{1029, 1029}));
    EXPECT_FALSE(Shown(u"btnBuchen"_s));
}
