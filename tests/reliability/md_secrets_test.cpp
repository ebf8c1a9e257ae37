// The value of a masked token never reaches the log, an error text or what an unattended run
// writes, whichever way the run fails.
#include "md_mandorel.h"
#include "md_process_fixture.h"
#include "md_processor.h"
#include "md_versioned_mandorel.h"
#include "vko_database.h"
#include "zep_dbfile.h"
#include "zep_multiline_stream.h"

namespace {

constexpr qint32 CVersion = 7;

class SecretsTest : public TProcessTest {
protected:
    SecretsTest() {
        StoreVersioned({QStringLiteral("Monatsliste"), QStringLiteral("Jahresliste")}, CVersion);
    }

    // The run ended as expected, and the value is nowhere: not in the log, not in its output.
    void ExpectRunKeepsTheSecret(const TProcessResult& ARun, int AExitCode,
                                 const QString& AShown) const {
        const QString secret = MD_Kennwort(CVersion);
        const QString log = FHome.ReadLog();
        EXPECT_EQ(ARun.ExitCode, AExitCode) << ARun.StandardError.toStdString();
        EXPECT_TRUE(log.contains(AShown)) << log.toStdString();
        EXPECT_FALSE(log.contains(secret)) << log.toStdString();
        EXPECT_FALSE(ARun.StandardError.contains(secret)) << ARun.StandardError.toStdString();
        EXPECT_FALSE(ARun.StandardOutput.contains(secret));
    }

    // Rewrites the stored record of Monatsliste with a directory that calls its token values
    // plan ids and the other way round, as a damaged record might.
    void SwapTokenValuesAndPlanIds() const {
        TZEP_DBFile file(DatabasePath());
        file.SetKeyWert(TZEP_DBFile::CProgramKey, QStringLiteral("PLON"));
        file.SetKeyWert(TZEP_DBFile::CNameKey, QStringLiteral("MONATSLISTE"));
        ASSERT_TRUE(file.Read());
        TZEP_MultiLine_Stream stored;
        stored.LoadFullData(file.BlobBytes());
        TZEP_MultiLine_Stream damaged;
        damaged.SetLineCount(stored.LineCount());
        for (int part = 0; part < stored.LineCount(); ++part) {
            stored.SetCurrentLine(part);
            QByteArray bytes = stored.LineData();
            if (part == 0) {
                bytes.replace("tokenvalues", "T_O_K_E_N").replace("planids", "tokenvalues");
                bytes.replace("T_O_K_E_N", "planids");
            }
            damaged.SetCurrentLine(part);
            damaged.Write(bytes);
        }
        damaged.SaveFullData(file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false));
        file.EndStreamBuchung();
    }
};

}  // namespace

TEST_F(SecretsTest, APlayerErrorThatQuotesTheValueIsLoggedAndShownMasked) {
    FEnvironment.insert(QStringLiteral("MD_PROBE_FAIL"),
                        QStringLiteral("Anmeldung mit %1 abgelehnt").arg(MD_Kennwort(CVersion)));
    const TProcessResult run = RunMandorel(QStringLiteral("MONATSLISTE"));
    ExpectRunKeepsTheSecret(run, 1, QStringLiteral("Anmeldung mit ***** abgelehnt"));
    EXPECT_TRUE(run.StandardError.contains(QStringLiteral("Anmeldung mit ***** abgelehnt")));
}

TEST_F(SecretsTest, AMissingTemplateOrAMandorelNotFoundKeepsTheSecret) {
    {
        TZEP_MD_Processor store(
            std::make_unique<TRecordingPlayer>(std::make_shared<TRecordingPlayer::TShared>()));
        store.Load_Reports();
        TZEP_MD_Mandorel* copy =
            store.Modify_Mandorel_Start(QStringLiteral("JAHRESLISTE"), QStringLiteral("PLON"));
        ASSERT_NE(copy, nullptr);
        copy->Sequence().Append(
            TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_FEHLT")});
        ASSERT_TRUE(store.Modify_Mandorel_Commit());
        store.Save_Reports();
    }
    ExpectRunKeepsTheSecret(RunMandorel(QStringLiteral("JAHRESLISTE")), 1,
                            QStringLiteral("PLON_FEHLT"));
    ExpectRunKeepsTheSecret(RunMandorel(QStringLiteral("Geh31m")), 2,
                            QStringLiteral("Could not find Mandorel Geh31m for Program PLON"));
}

TEST_F(SecretsTest, ADamagedRecordFailsTheRunWithoutQuotingTheValue) {
    SwapTokenValuesAndPlanIds();
    const TProcessResult damaged = RunMandorel(QStringLiteral("MONATSLISTE"));
    ExpectRunKeepsTheSecret(damaged, 1,
                            QStringLiteral("MONATSLISTE für das Programm PLON kann nicht gelesen "
                                           "werden"));
    EXPECT_FALSE(FHome.ReadLog().contains(QStringLiteral("Could not find")));
    ExpectRunKeepsTheSecret(RunMandorel(QStringLiteral("JAHRESLISTE")), 0,
                            QStringLiteral("kann nicht gelesen werden"));
}

TEST_F(SecretsTest, AFailingStartUpKeepsTheSecret) {
    FHome.WriteSetting(QStringLiteral("MD_Templates.ini"),
                       QByteArray(CMD_VersionCatalogue) + "#KENNWORT#=Kennwort\n");
    ExpectRunKeepsTheSecret(RunMandorel(QStringLiteral("MONATSLISTE")), 1,
                            QStringLiteral("mehr als einmal"));
}
