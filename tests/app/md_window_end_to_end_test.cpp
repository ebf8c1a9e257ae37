// A user's Mandorel, made and filled in the real window with X11 input only (xdotool) on the
// display of the run (xvfb-run), then run as the scheduler runs it.
#include <gtest/gtest.h>

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "md_process_support.h"
#include "md_test_support.h"
#include "md_x11_user.h"
#include "zep_run_history.h"

namespace {

const QString CReturn = QStringLiteral("Return");
const QString CTab = QStringLiteral("Tab");
const QString CF6 = QStringLiteral("F6");

class WindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome));
        ASSERT_NO_FATAL_FAILURE(FUser.StartWindow(QStringLiteral(MD_QUANDRIX)));
    }

    QProcessEnvironment Environment() const { return MD_TestEnvironment(FHome, TDisplay::X11); }

    // "Neu", the name, description and reason, then the steps picked by their first letter in
    // the chooser of the step list's add row. The last step chosen stays current.
    void NewMandorel(const QString& AName, const QStringList& AStepLetters) {
        FUser.ClickPanelButton(0);  // "Neu"; the program box has the focus
        for (const QString& text :
             {AName, QStringLiteral("Einsatzstunden"), QStringLiteral("Abrechnung")}) {
            FUser.Keys({CTab});
            FUser.Type(text);
        }
        FUser.Keys({CTab});
        for (qsizetype i = 0; i < AStepLetters.size(); ++i) {
            if (i > 0) {
                FUser.Keys({QStringLiteral("Down")});
            }
            FUser.Keys({CReturn, AStepLetters.at(i), CReturn});
        }
    }

    // The period step, the second, picked with the arrow keys: March 2026 typed where F6 leads.
    void TypeMarch() {
        FUser.Keys({QStringLiteral("Home"), QStringLiteral("Down"), CF6});
        FUser.Type(QStringLiteral("01.03.2026"));
        FUser.Keys({CTab});
        FUser.Type(QStringLiteral("31.03.2026"));
        FUser.Keys({CReturn});
    }

    // From a step parameter back into the step list: the detail view's first field is the
    // program box, the list follows name, description and reason.
    void BackToSteps() { FUser.Keys({QStringLiteral("shift+F6"), CTab, CTab, CTab, CTab}); }

    // "Buchen" heads the panel in edit mode; the window then closes with "Beenden".
    void BookAndClose() {
        FUser.ClickPanelButton(0);
        ASSERT_EQ(FUser.CloseWindow(), 0) << "the window did not close";
    }

    // The Mandorel run unattended; answers the lines of the sample program's report.
    QStringList RunReport(const QString& AKey) {
        QProcess run;
        run.setProcessEnvironment(Environment());
        run.start(QStringLiteral(MD_QUANDRIX),
                  {QStringLiteral("-RUN"), QStringLiteral("-PROG:PLON"),
                   QStringLiteral("-REPORT:") + AKey});
        EXPECT_TRUE(run.waitForFinished(90000));
        EXPECT_EQ(run.exitCode(), 0)
            << run.readAllStandardError().toStdString() << FHome.ReadLog().toStdString();
        QFile bericht(FHome.Path() + QStringLiteral("/PLON_Bericht.txt"));
        EXPECT_TRUE(bericht.open(QIODevice::ReadOnly)) << FHome.ReadLog().toStdString();
        return QString::fromUtf8(bericht.readAll()).split(QLatin1Char('\n'));
    }

    // The report the sample program wrote, once it is there.
    QStringList WaitForReport() {
        QFile bericht(FHome.Path() + QStringLiteral("/PLON_Bericht.txt"));
        QElapsedTimer uhr;
        uhr.start();
        while (!bericht.exists() && uhr.elapsed() < 60000) {
            QThread::msleep(200);
        }
        // Written, not just created.
        QThread::msleep(500);
        EXPECT_TRUE(bericht.open(QIODevice::ReadOnly)) << FHome.ReadLog().toStdString();
        return QString::fromUtf8(bericht.readAll()).split(QLatin1Char('\n'));
    }

    // The history entry of the Mandorel's only run, once it is there.
    TZEP_RunEntry OnlyRun(const QString& AKey) {
        QElapsedTimer uhr;
        uhr.start();
        QList<TZEP_RunEntry> laeufe;
        do {
            QThread::msleep(200);
            laeufe = TZEP_RunHistory().Entries(QStringLiteral("PLON"), AKey);
        } while (laeufe.isEmpty() && uhr.elapsed() < 60000);
        EXPECT_EQ(laeufe.size(), 1);
        return laeufe.value(0);
    }

    TTempHome FHome;
    TX11User FUser{Environment()};
};

QString Dump(const QStringList& ALines) {
    return ALines.join(QLatin1Char('|'));
}

QString FirstOfNextMonth(const QDate& ADay) {
    return QDate(ADay.year(), ADay.month(), 1).addMonths(1).toString(QStringLiteral("dd.MM.yyyy"));
}

}  // namespace

TEST_F(WindowEndToEnd, AMandorelMadeInTheWindowRunsUnattended) {
    NewMandorel(QStringLiteral("Monatsliste"), {QStringLiteral("P"), QStringLiteral("Z"),
                                                QStringLiteral("S"), QStringLiteral("B")});
    TypeMarch();
    ASSERT_NO_FATAL_FAILURE(BookAndClose());

    const QStringList zeilen = RunReport(QStringLiteral("MONATSLISTE"));
    for (const QString& zeile :
         {QStringLiteral("Programm: PLON"), QStringLiteral("Von: 01.03.2026"),
          QStringLiteral("Bis: 31.03.2026"), QStringLiteral("Summenzeile: ja")}) {
        EXPECT_TRUE(zeilen.contains(zeile))
            << zeile.toStdString() << " in " << Dump(zeilen).toStdString();
    }
}

TEST_F(WindowEndToEnd, APlaceholderAndAClientChosenInTheWindowReachTheReport) {
    const QDate vorher = QDate::currentDate();
    NewMandorel(QStringLiteral("Kundenliste"), {QStringLiteral("P"), QStringLiteral("M"),
                                                QStringLiteral("Z"), QStringLiteral("B")});
    // The period: the picker's type-ahead finds the placeholder by its display name, Return
    // takes it over into the edit that had the focus last.
    FUser.Keys({QStringLiteral("Up"), CF6, CF6});
    FUser.Type(QStringLiteral("nächster Monat, Anfang"));
    FUser.Keys({CReturn, QStringLiteral("shift+F6"), CTab});
    FUser.Type(QStringLiteral("31.12.2099"));
    FUser.Keys({CReturn});
    // The client: type-ahead in the client editor of the step before.
    BackToSteps();
    FUser.Keys({QStringLiteral("Up"), CF6});
    FUser.Type(QStringLiteral("2"));
    ASSERT_NO_FATAL_FAILURE(BookAndClose());

    const QStringList zeilen = RunReport(QStringLiteral("KUNDENLISTE"));
    // The run takes today's date; a test around midnight may see either day.
    const QStringList erster{QStringLiteral("Von: ") + FirstOfNextMonth(vorher),
                             QStringLiteral("Von: ") + FirstOfNextMonth(QDate::currentDate())};
    EXPECT_TRUE(zeilen.contains(erster.constFirst()) || zeilen.contains(erster.constLast()))
        << Dump(zeilen).toStdString();
    EXPECT_TRUE(zeilen.contains(QStringLiteral("Mandant: 200"))) << Dump(zeilen).toStdString();
}

TEST_F(WindowEndToEnd, AStepDeletedInTheEditIsNotPlayedByTheTestRun) {
    NewMandorel(QStringLiteral("Summen"), {QStringLiteral("P"), QStringLiteral("Z"),
                                           QStringLiteral("S"), QStringLiteral("B")});
    TypeMarch();
    FUser.ClickPanelButton(0);  // "Buchen"
    FUser.ClickPanelButton(1);  // "Bearbeiten"; the description has the focus
    // The summation step goes, and with it the report step; Tab and Space answer Yes. The
    // report step comes back in the add row.
    FUser.Keys({CTab, CTab, QStringLiteral("Home"), QStringLiteral("Down"), QStringLiteral("Down"),
                QStringLiteral("Delete"), CTab, QStringLiteral("space")});
    FUser.Keys({QStringLiteral("End"), CReturn, QStringLiteral("B"), CReturn});
    FUser.ClickPanelButton(2);  // "Testlauf", below the separator

    const QStringList zeilen = WaitForReport();
    EXPECT_TRUE(zeilen.contains(QStringLiteral("Von: 01.03.2026"))) << Dump(zeilen).toStdString();
    EXPECT_TRUE(zeilen.contains(QStringLiteral("Summenzeile: nein"))) << Dump(zeilen).toStdString();
    const TZEP_RunEntry gespielt = OnlyRun(QStringLiteral("SUMMEN"));
    EXPECT_EQ(gespielt.Ergebnis, TZEP_RunErgebnis::Gespielt) << gespielt.Meldung.toStdString();
    EXPECT_EQ(gespielt.ExitCode, 0);

    ASSERT_NO_FATAL_FAILURE(BookAndClose());
}
