// A Mandorel whose tokens are filled in the real window (a client in the client editor, a
// date taken over from the picker), booked there and then run as the scheduler runs it,
// against the sample program on the display of the run (xvfb-run).
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include "md_gui_token_panel.h"
#include "md_main_fixture.h"
#include "zep_mandanten_combobox.h"

using namespace Qt::StringLiterals;

namespace {

class WindowTokensEndToEnd : public MainWindowTest {
protected:
    WindowTokensEndToEnd() {
        QFile vorlage(QStringLiteral(MD_SOURCE_DIR "/data/settings-templates/MD_Programme.ini.in"));
        EXPECT_TRUE(vorlage.open(QIODevice::ReadOnly));
        FHome.WriteSetting(
            QStringLiteral("MD_Programme.ini"),
            vorlage.readAll().replace("@SAMPLE_PROGRAMS@", MD_BUILD_DIR "/data/sample_programs"));
        QFile werte(QStringLiteral(MD_SAMPLE_SETTINGS_DIR "/MD_Wertevorrat.ini"));
        EXPECT_TRUE(werte.open(QIODevice::ReadOnly));
        FHome.WriteSetting(QStringLiteral("MD_Wertevorrat.ini"), werte.readAll());
    }

    TZEP_MD_Token_Panel* Panel(const QString& AToken) const {
        for (TZEP_MD_Token_Panel* panel : FWindow->findChildren<TZEP_MD_Token_Panel*>()) {
            if (panel->TokenName() == AToken) {
                return panel;
            }
        }
        ADD_FAILURE() << AToken.toStdString();
        return nullptr;
    }

    void Leave() { Find<QTreeWidget>(QStringLiteral("vtReportSequence"))->setFocus(); }
};

}  // namespace

TEST_F(WindowTokensEndToEnd, APlaceholderAndAClientFilledInTheWindowReachTheReport) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
    Open();
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));

    Click(QStringLiteral("btnNew"));
    Type(QStringLiteral("edtReportName"), QStringLiteral("Monatsliste"));
    Type(QStringLiteral("edtReportBeschreibung"), QStringLiteral("Einsatzstunden"));
    Type(QStringLiteral("edtReportGrund"), QStringLiteral("Abrechnung"));
    ChooseStep(0, QStringLiteral("PLON starten"));
    ChooseStep(1, QStringLiteral("Mandant wählen"));
    // The step just taken shows its token: the client editor with the clients of the file.
    auto* mandant = qobject_cast<TZEP_MandantenCombobox*>(Panel("#MANDANT#"_L1)->InputComp());
    ASSERT_NE(mandant, nullptr);
    mandant->setFocus();
    QTest::keyClick(mandant, Qt::Key_Down);
    QTest::keyClick(mandant, Qt::Key_Down);
    Leave();
    ChooseStep(2, QStringLiteral("Zeitraum eingeben"));

    auto* liste = Find<QTreeWidget>(QStringLiteral("vtDynTokens"));
    const auto nehmen = [&](const char* APlatzhalter) {
        const QList<QTreeWidgetItem*> rows =
            liste->findItems(QString::fromLatin1(APlatzhalter), Qt::MatchExactly, 1);
        ASSERT_EQ(rows.size(), 1);
        liste->scrollTo(liste->indexFromItem(rows.first(), 0));
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                          liste->visualItemRect(rows.first()).center());
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        QTest::mouseDClick(liste->viewport(), Qt::LeftButton, {},
                           liste->visualItemRect(rows.first()).center());
    };
    Panel("#VON#"_L1)->InputComp()->setFocus();
    nehmen("#MONAT_NAECHSTER_ANFANG#");
    Panel("#BIS#"_L1)->InputComp()->setFocus();
    nehmen("#MONAT_NAECHSTER_ENDE#");
    Leave();
    ChooseStep(3, QStringLiteral("Bericht erstellen und beenden"));
    Click(QStringLiteral("btnBuchen"));
    ASSERT_TRUE(Shown(QStringLiteral("btnNew"))) << Meldungen().size();
    Close();

    QProcess run;
    run.start(QStringLiteral(MD_QUANDRIX), {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                                            QStringLiteral("-REPORT:MONATSLISTE")});
    ASSERT_TRUE(run.waitForFinished(90000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString()
                                 << FHome.ReadLog().toStdString();
    QFile bericht(FHome.Path() + QStringLiteral("/PLON_Bericht.txt"));
    ASSERT_TRUE(bericht.open(QIODevice::ReadOnly)) << FHome.ReadLog().toStdString();
    const QStringList zeilen = QString::fromUtf8(bericht.readAll()).split(QLatin1Char('\n'));
    const QDate heute = QDate::currentDate();
    const QDate naechster = QDate(heute.year(), heute.month(), 1).addMonths(1);
    EXPECT_TRUE(
        zeilen.contains(QStringLiteral("Von: ") + naechster.toString(QStringLiteral("dd.MM.yyyy"))))
        << zeilen.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(zeilen.contains(QStringLiteral("Mandant: 200")))
        << zeilen.join(QLatin1Char('|')).toStdString();
}
