// The preview of a run date against a real run on that date: the sample program PLON on the
// display of the run (xvfb-run) types every date placeholder, and its report must show what
// the preview showed.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "md_gui_controller.h"
#include "md_process_support.h"
#include "md_test_support.h"
#include "md_x11_user.h"
#include "zep_ga_player_x11.h"

namespace {

class PreviewEndToEnd : public ::testing::TestWithParam<QDate> {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        ASSERT_NO_FATAL_FAILURE(InstallSamples(FHome));
    }

    // The sample catalogue with one more PLON step that types every date placeholder into the
    // department field, each followed by a blank.
    void WriteCatalogue(const QStringList& APlatzhalter) {
        QFile sample(FHome.SettingsFolder() + QStringLiteral("/MD_Templates.ini"));
        ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
        // Edited as bytes, so the byte-order mark that tells its reader it is UTF-8 stays.
        QByteArray katalog = sample.readAll();
        QStringList aktionen{QStringLiteral("KEYS \"alt+a\"")};
        for (const QString& platzhalter : APlatzhalter) {
            aktionen << QStringLiteral("TYPE \"%1 \"").arg(platzhalter);
        }
        katalog.replace("[TEMPLATES]", "[TEMPLATES]\nPLON_DATEN");
        katalog += "\n[PLON_DATEN]\nNAME=Alle Daten\nSEQUENCE=" +
                   aktionen.join(QStringLiteral("; ")).toUtf8() + '\n';
        FHome.WriteSetting(QStringLiteral("MD_Templates.ini"), katalog);
    }

    // A controller on the stored Mandorele that only records what it would play.
    static std::unique_ptr<TZEP_MD_GUI_Controller_Impl> Recording() {
        return std::make_unique<TZEP_MD_GUI_Controller_Impl>(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()),
            QStringList());
    }

    TTempHome FHome;
};

}  // namespace

TEST_P(PreviewEndToEnd, EveryDatePlaceholderShowsWhatTheRunOnThatDateTypes) {
    const QDate datum = GetParam();
    const QString bericht = FHome.Path() + QStringLiteral("/Vorschau.txt");
    QStringList platzhalter;
    Recording()->Enum_DynTokens(
        [&](const QString& AToken, const QString&) { platzhalter.append(AToken); });
    platzhalter.sort();
    WriteCatalogue(platzhalter);
    {
        const auto anlegen = Recording();
        anlegen->CreateNewReport_Start();
        anlegen->SelectedReport_SetName(QStringLiteral("Vorschau"));
        anlegen->SelectedReport_SetProgramm(QStringLiteral("PLON"));
        TZEP_MD_Mandorel& neu = *anlegen->Selected_Mandorel();
        for (const char* vorlage : {"PLON_START", "PLON_ZEITRAUM", "PLON_DATEN", "PLON_BERICHT"}) {
            neu.Sequence().Append(
                TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(vorlage)});
        }
        neu.TokenValues() = {{QStringLiteral("#VON#"), QStringLiteral("#MONAT_ANFANG#")},
                             {QStringLiteral("#BIS#"), QStringLiteral("#MONAT_NAECHSTER_ENDE#")},
                             {QStringLiteral("#AUSGABEDATEI#"), bericht}};
        anlegen->ReportChanges_Commit();
    }

    // The preview is asked on another day than the run's.
    TZEP_GA_Sequence vorschau;
    {
        TFixedClock heute(QDateTime(QDate(2023, 7, 14), QTime(9, 0)));
        const auto fenster = Recording();
        fenster->Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        fenster->Select_Mandorel(QStringLiteral("VORSCHAU"), QStringLiteral("PLON"));
        ASSERT_TRUE(fenster->Vorschau_SelectedReport(datum, vorschau));
    }
    QString getippt;
    for (const TZEP_GA_SingleAction& aktion : vorschau.Actions()) {
        if (aktion.Kind == TZEP_GA_ActionKind::TypeText && aktion.Text.endsWith(QLatin1Char(' '))) {
            getippt += aktion.Text;
        }
    }
    ASSERT_EQ(getippt.count(QLatin1Char(' ')), platzhalter.size());

    {
        TFixedClock lauftag(QDateTime(datum, QTime(6, 0)));
        TZEP_MD_GUI_Controller_Impl lauf(std::make_unique<TZEP_GA_Player_X11>(), {});
        lauf.Enum_Mandorele([](TZEP_MD_Mandorel&) {});
        lauf.Select_Mandorel(QStringLiteral("VORSCHAU"), QStringLiteral("PLON"));
        lauf.ExecuteSelectedReport();
    }
    QFile report(bericht);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << bericht.toStdString();
    const QStringList zeilen = QString::fromUtf8(report.readAll()).split(QLatin1Char('\n'));
    ASSERT_GE(zeilen.size(), 4);
    EXPECT_EQ(zeilen[3], QStringLiteral("Abteilung: ") + getippt.trimmed());
    // Spot checks that the dates are the run day's, not the day the preview was asked on.
    const QString format = QStringLiteral("dd.MM.yyyy");
    EXPECT_EQ(zeilen[1],
              QStringLiteral("Von: ") + QDate(datum.year(), datum.month(), 1).toString(format));
    const QStringList daten = getippt.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    EXPECT_EQ(daten.value(platzhalter.indexOf(QStringLiteral("#HEUTE#"))), datum.toString(format));
}

INSTANTIATE_TEST_SUITE_P(Stichtage, PreviewEndToEnd,
                         ::testing::Values(QDate(2025, 1, 31), QDate(2024, 2, 29),
                                           QDate(2024, 12, 31)));
