#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <thread>
#include <vector>

#include "md_kopieren_nach.h"
#include "md_mandorel.h"
#include "md_postgres_cluster.h"
#include "md_processor.h"
#include "md_test_support.h"
#include "vko_database.h"
#include "vko_info.h"
#include "vko_planmani.h"
#include "vko_simplemask.h"
#include "zep_dbfile.h"
#include "zep_dbfile_test_util.h"
#include "zep_ga_player.h"
#include "zep_run_history.h"

// The stores behave alike on the embedded file and on a shared server.
namespace {

class EngineTest : public ::testing::TestWithParam<TVKO_Engine> {
protected:
    void SetUp() override {
        FOrt = GetParam() == TVKO_Engine::SQLite ? FHome.DataFolder() + QStringLiteral("/t.db")
                                                 : TPostgresCluster::Instance().NewDatabase();
    }

    TTempHome FHome;
    QString FOrt;
};

const QString CPlon = QStringLiteral("PLON");

TPlanSatz Plan(const QString& ANameKey) {
    TPlanSatz satz;
    satz.Aktiv = true;
    satz.Art = TPlanArt::Taeglich;
    satz.Uhrzeit = QTime(6, 30);
    satz.PlanerId = QStringLiteral("PC-A");
    satz.JobText = QStringLiteral("Mandorel;PLON;") + ANameKey;
    return satz;
}

TZEP_RunEntry Lauf(int ASekunde, const QString& AMeldung) {
    TZEP_RunEntry entry;
    entry.Programm = CPlon;
    entry.NameKey = QStringLiteral("MONAT");
    entry.Start = QDateTime(QDate(2026, 3, 1), QTime(8, 0, ASekunde));
    entry.Ende = entry.Start.addSecs(3);
    entry.Ergebnis = TZEP_RunErgebnis::Fehlgeschlagen;
    entry.ExitCode = 2;
    entry.Schritt = 3;
    entry.Meldung = AMeldung;
    entry.TokenWerte = {{QStringLiteral("@Monat"), QStringLiteral("März")}};
    return entry;
}

// Names the database AOrt of the cluster as the service ADienst in a service file of AHome.
void DienstEinrichten(const TTempHome& AHome, const QString& ADienst, const QString& AOrt) {
    qputenv("PGSERVICEFILE",
            TPostgresCluster::Instance().DienstDatei(AHome.Path(), ADienst, AOrt).toUtf8());
}

class TStillerPlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence&) override {}
};

}  // namespace

TEST_P(EngineTest, RecordsRoundTripAndTheLostUpdateAndDeleteElsewhereAreRefused) {
    TZEP_DBFile hier(FOrt);
    TZEP_DBFile dort(FOrt);
    QByteArray daten("Z\0M\xffL", 5);
    InsertRecord(hier, QStringLiteral("plon"), QStringLiteral("Monatsübersicht"), daten);
    InsertRecord(hier, CPlon, QStringLiteral("Zweite"), "2");
    EXPECT_EQ(BlobOf(dort, QStringLiteral("Plon"), QStringLiteral("monatsuebersicht")), daten);
    EXPECT_EQ(dort.Wert(TZEP_DBFile::CDisplayName), QStringLiteral("Monatsübersicht"));
    EXPECT_EQ(dort.Version(), 1);
    EXPECT_EQ(WalkKeys(dort), (QStringList{QStringLiteral("PLON/MONATSUEBERSICHT"),
                                           QStringLiteral("PLON/ZWEITE")}));

    const QString doppelt =
        ErrorText([&] { InsertRecord(dort, CPlon, QStringLiteral("MONATSÜBERSICHT"), "neu"); });
    EXPECT_TRUE(doppelt.contains(QStringLiteral("schon einen Mandorel"))) << doppelt.toStdString();
    EXPECT_EQ(BlobOf(hier, CPlon, QStringLiteral("MONATSUEBERSICHT")), daten);

    // Both read version 1; the second commit must not overwrite the first.
    ASSERT_TRUE(ReadRecord(dort, CPlon, QStringLiteral("MONATSUEBERSICHT")));
    UpdateRecord(hier, CPlon, QStringLiteral("MONATSUEBERSICHT"), "erste");
    dort.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("zweite");
    const QString verloren = ErrorText([&] { dort.EndStreamBuchung(); });
    EXPECT_TRUE(verloren.contains(QStringLiteral("inzwischen von einem anderen Programm geändert")))
        << verloren.toStdString();
    EXPECT_EQ(BlobOf(dort, CPlon, QStringLiteral("MONATSUEBERSICHT")), QByteArray("erste"));
    EXPECT_EQ(dort.Version(), 2);

    ASSERT_TRUE(ReadRecord(dort, CPlon, QStringLiteral("ZWEITE")));
    ASSERT_TRUE(ReadRecord(hier, CPlon, QStringLiteral("ZWEITE")));
    hier.Write(TZEP_DBOperation::wrdonDelete);
    dort.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("x");
    const QString geloescht = ErrorText([&] { dort.EndStreamBuchung(); });
    EXPECT_TRUE(geloescht.contains(QStringLiteral("nicht mehr vorhanden")))
        << geloescht.toStdString();
    EXPECT_FALSE(ReadRecord(dort, CPlon, QStringLiteral("ZWEITE")));
}

TEST_P(EngineTest, APlanIsStoredOnlyWithTheCommitThatBooksIt) {
    TZEP_DBFile datei(FOrt);
    TPlanManiDM plaene(datei.Database());
    TZEP_DBFile andere(FOrt);
    TPlanManiDM anderePlaene(FOrt);
    {
        TVKO_Transaction commit(datei.Database());
        InsertRecord(datei, CPlon, QStringLiteral("Verworfen"), "v");
        TPlanSatz satz = Plan(QStringLiteral("VERWORFEN"));
        plaene.PlanSpeichern(satz, {}, false, false);
    }
    EXPECT_FALSE(ReadRecord(andere, CPlon, QStringLiteral("VERWORFEN")));
    EXPECT_TRUE(anderePlaene.PlanIds().isEmpty());

    TPlanSatz satz = Plan(QStringLiteral("monat"));
    const TZEP_PfadKommandoArgumenteList kommandos{
        {1, {}, {}, QStringLiteral("quandrix.exe"), QStringLiteral("-RUN -PROG:PLON")}};
    {
        TVKO_Transaction commit(datei.Database());
        InsertRecord(datei, CPlon, QStringLiteral("Monat"), "m");
        plaene.PlanSpeichern(satz, kommandos, false, false);
        commit.Commit();
    }
    EXPECT_TRUE(ReadRecord(andere, CPlon, QStringLiteral("MONAT")));
    ASSERT_EQ(anderePlaene.PlanIds_ByJobText(QStringLiteral("MANDOREL;PLON;MONAT")),
              QList<TIntTrio>{satz.PlanId});
    TPlanSatz gelesen;
    TZEP_PfadKommandoArgumenteList gelesenKommandos;
    ASSERT_TRUE(anderePlaene.PlanLaden(satz.PlanId, gelesen, gelesenKommandos));
    EXPECT_EQ(gelesen.PlanerId, QStringLiteral("PC-A"));
    EXPECT_EQ(gelesen.Uhrzeit, QTime(6, 30));
    ASSERT_EQ(gelesenKommandos.size(), 1);
    EXPECT_EQ(gelesenKommandos[0].Argumente, QStringLiteral("-RUN -PROG:PLON"));
    QString programm;
    QString nameKey;
    EXPECT_TRUE(anderePlaene.Mandorel_ZumPlan(gelesen, programm, nameKey));
    EXPECT_EQ(nameKey, QStringLiteral("MONAT"));
    EXPECT_TRUE(anderePlaene.PlanLoeschen(satz.PlanId));
    EXPECT_FALSE(plaene.PlanLaden(satz.PlanId, gelesen, gelesenKommandos));
}

TEST_P(EngineTest, HistoryKeepsTheNewestEntriesAndAnotherConnectionNoticesThem) {
    TZEP_RunHistory schreiber(FOrt);
    TZEP_RunHistory leser(FOrt);
    schreiber.SetGrenzen(2, 1000);
    EXPECT_FALSE(leser.Geaendert());
    for (int i = 1; i <= 3; ++i) {
        schreiber.Add(Lauf(i, QStringLiteral("Fehler %1: „ä“").arg(i)));
    }
    EXPECT_TRUE(leser.Geaendert());
    const QList<TZEP_RunEntry> entries = leser.Entries(CPlon, QStringLiteral("MONAT"));
    EXPECT_FALSE(leser.Geaendert());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].Meldung, QStringLiteral("Fehler 3: „ä“"));
    EXPECT_EQ(entries[1].Start, QDateTime(QDate(2026, 3, 1), QTime(8, 0, 2)));
    EXPECT_EQ(entries[0].Ergebnis, TZEP_RunErgebnis::Fehlgeschlagen);
    EXPECT_EQ(entries[0].Schritt, 3);
    EXPECT_EQ(entries[0].TokenWerte.value(0).second, QStringLiteral("März"));
}

TEST_P(EngineTest, LayoutsStayPerWorkstation) {
    TSimpleMask hier(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                     QStringLiteral("MASKCFG"), QStringLiteral("PC1"), FOrt);
    TSimpleMask dort(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                     QStringLiteral("MASKCFG"), QStringLiteral("PC2"), FOrt);
    hier.WriteLocal(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("eins"));
    hier.WriteLocal(QStringLiteral("DockingLayout"), QStringLiteral("zwei"));
    dort.WriteLocal(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("drei"));
    TSimpleMask wieder(QStringLiteral("quandrix"), QStringLiteral("MainForm"),
                       QStringLiteral("MASKCFG"), QStringLiteral("pc1"), FOrt);
    EXPECT_EQ(wieder.ReadLocalDef(QStringLiteral("dockinglayout"), {}), QStringLiteral("zwei"));
    wieder.DeleteLocal();
    EXPECT_EQ(hier.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), QStringLiteral("weg")),
              QStringLiteral("weg"));
    EXPECT_EQ(dort.ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), {}), QStringLiteral("drei"));
}

TEST_P(EngineTest, ManyConnectionsCreateTheTablesAtOnce) {
    std::vector<std::thread> threads;
    std::vector<QString> fehler(8);
    for (size_t i = 0; i < fehler.size(); ++i) {
        threads.emplace_back([&, i] {
            fehler[i] = ErrorText([&] {
                TZEP_DBFile datei(FOrt);
                TPlanManiDM plaene(datei.Database());
                plaene.PlanIds();
                TZEP_RunHistory history(FOrt);
                InsertRecord(datei, CPlon, QStringLiteral("Lauf %1").arg(i), "x");
            });
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const QString& text : fehler) {
        EXPECT_EQ(text, QString());
    }
    TZEP_DBFile datei(FOrt);
    EXPECT_EQ(WalkKeys(datei).size(), 8);
}

TEST_P(EngineTest, TheListNoticesCommitsAndDeletesOfOtherProgramsButNotItsOwn) {
    if (GetParam() == TVKO_Engine::PostgreSQL) {
        DienstEinrichten(FHome, QStringLiteral("team"), FOrt);
        FHome.WriteSetting(QStringLiteral("MD_Datenbank.ini"), "DIENST=team\n");
    }
    TZEP_MD_Processor fenster(std::make_unique<TStillerPlayer>());
    TZEP_MD_Processor anderer(std::make_unique<TStillerPlayer>());
    fenster.Load_Reports();
    EXPECT_FALSE(fenster.Reports_Geaendert());

    auto neu = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monat"), CPlon);
    neu->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    neu->Sequence().Append(
        TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QStringLiteral("PLON_START")});
    ASSERT_TRUE(anderer.Add_Mandorel(neu, nullptr));
    anderer.Save_Reports();
    EXPECT_TRUE(fenster.Reports_Geaendert());
    fenster.Load_Reports();
    EXPECT_FALSE(fenster.Reports_Geaendert());
    ASSERT_NE(fenster.Mandorel_ByName(QStringLiteral("Monat"), CPlon), nullptr)
        << FHome.ReadLog().toStdString();

    // Its own commit is no news to the list.
    fenster.Modify_Mandorel_Start(QStringLiteral("Monat"), CPlon)
        ->SetAuswertungs_Grund(QStringLiteral("eigene"));
    ASSERT_TRUE(fenster.Modify_Mandorel_Commit());
    fenster.Save_Reports();
    EXPECT_FALSE(fenster.Reports_Geaendert());

    anderer.Load_Reports();
    anderer.Delete_Mandorel(QStringLiteral("Monat"), CPlon);
    anderer.Save_Reports();
    EXPECT_TRUE(fenster.Reports_Geaendert());
    qunsetenv("PGSERVICEFILE");
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest,
                         ::testing::Values(TVKO_Engine::SQLite, TVKO_Engine::PostgreSQL),
                         [](const auto& AInfo) {
                             return AInfo.param == TVKO_Engine::SQLite ? "SQLite" : "PostgreSQL";
                         });

TEST(ServerFaults, AWrongServiceOrAStoppedServerIsAClearMessageAndLosesNothing) {
    TTempHome home;
    const QString falsch =
        ErrorText([] { TVKO_Database database(QStringLiteral("service=gibtesnicht")); });
    EXPECT_TRUE(falsch.contains(QStringLiteral("„gibtesnicht“ ist nicht erreichbar")))
        << falsch.toStdString();
    const QString leer = ErrorText(
        [&] { TZEP_DBFile datei(QStringLiteral("postgresql:///x?host=%1").arg(home.Path())); });
    EXPECT_TRUE(leer.contains(QStringLiteral("ist nicht erreichbar"))) << leer.toStdString();

    TPostgresCluster& cluster = TPostgresCluster::Instance();
    const QString ort = cluster.NewDatabase();
    TZEP_DBFile datei(ort);
    InsertRecord(datei, CPlon, QStringLiteral("Monat"), "gespeichert");
    ASSERT_TRUE(ReadRecord(datei, CPlon, QStringLiteral("MONAT")));
    cluster.Stop();
    datei.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("neu");
    const QString unterbrochen = ErrorText([&] { datei.EndStreamBuchung(); });
    const QString beimStart = ErrorText([&] { TZEP_DBFile zweite(ort); });
    cluster.Start();
    EXPECT_TRUE(unterbrochen.contains(QStringLiteral("ist unterbrochen")))
        << unterbrochen.toStdString();
    EXPECT_TRUE(beimStart.contains(QStringLiteral("ist nicht erreichbar")))
        << beimStart.toStdString();

    // The edit is still there to book once the server is back.
    EXPECT_EQ(datei.Version(), 1);
    datei.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("neu");
    datei.EndStreamBuchung();
    TZEP_DBFile andere(ort);
    EXPECT_EQ(BlobOf(andere, CPlon, QStringLiteral("MONAT")), QByteArray("neu"));
}

TEST(DatabaseSetting, TheServiceOfTheSettingFileChoosesTheSharedDatabase) {
    TTempHome home;
    EXPECT_EQ(TVKO_Database::DefaultPath(), home.DataFolder() + QStringLiteral("/quandrix.db"));
    EXPECT_TRUE(TVKO_Database::DefaultName().endsWith(QStringLiteral("/quandrix.db")));
    // The workstation is the machine unless the file names it.
    QFile maschine(QStringLiteral("/etc/machine-id"));
    if (maschine.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(VKOInfo().VKOInfoTerminalID(),
                  QString::fromLatin1(maschine.readAll()).trimmed().toUpper());
    }

    const QString ort = TPostgresCluster::Instance().NewDatabase();
    DienstEinrichten(home, QStringLiteral("team"), ort);
    home.WriteSetting(QStringLiteral("MD_Datenbank.ini"), "; shared by the team\nDIENST = team\n");
    EXPECT_EQ(TVKO_Database::DefaultPath(), QStringLiteral("service=team"));
    EXPECT_EQ(TVKO_Database::DefaultName(), QStringLiteral("gemeinsame Datenbank „team“"));
    home.WriteSetting(QStringLiteral("MD_Datenbank.ini"),
                      "DIENST=team\narbeitsplatz = pc-7.lager\n");
    EXPECT_EQ(VKOInfo().VKOInfoTerminalID(), QStringLiteral("PC-7.LAGER"));
    EXPECT_EQ(VKOInfo().VKOInfoPlanerID(), QStringLiteral("MANDOREL@PC-7.LAGER"));
    {
        TZEP_DBFile datei;
        InsertRecord(datei, CPlon, QStringLiteral("Geteilt"), "g");
    }
    TZEP_DBFile direkt(ort);
    EXPECT_EQ(BlobOf(direkt, CPlon, QStringLiteral("GETEILT")), QByteArray("g"));

    // Bad settings open nothing, neither the file nor a server.
    for (const QByteArray& falsch :
         {QByteArray("DIENST=team host=anderswo\n"), QByteArray("DIENST=\n"),
          QByteArray("SERVER=team\n"), QByteArray("; nur ein Kommentar\n"),
          QByteArray("ARBEITSPLATZ=pc-a\n"), QByteArray("DIENST=team\nARBEITSPLATZ=pc a\n"),
          QByteArray("DIENST=team\nARBEITSPLATZ=MANDOREL@PC\n")}) {
        home.WriteSetting(QStringLiteral("MD_Datenbank.ini"), falsch);
        const QString text = ErrorText([] { TZEP_DBFile datei; });
        EXPECT_TRUE(text.contains(QStringLiteral("MD_Datenbank.ini ist fehlerhaft")))
            << text.toStdString();
    }
    EXPECT_FALSE(QFile::exists(home.DataFolder() + QStringLiteral("/quandrix.db")));
    qunsetenv("PGSERVICEFILE");
}

TEST(MovingIn, TheFileIsCopiedIntoAnEmptySharedDatabaseOnlyOnce) {
    TTempHome home;
    const QString datei = home.DataFolder() + QStringLiteral("/quandrix.db");
    {
        TZEP_DBFile quelle(datei);
        InsertRecord(quelle, CPlon, QStringLiteral("Monat"), QByteArray("M\0x", 3));
        InsertRecord(quelle, CPlon, QStringLiteral("Jahr"), "J");
        UpdateRecord(quelle, CPlon, QStringLiteral("JAHR"), "J2");
        TPlanSatz satz = Plan(QStringLiteral("MONAT"));
        TPlanManiDM(quelle.Database())
            .PlanSpeichern(satz,
                           {{1, {}, {}, QStringLiteral("quandrix.exe"), QStringLiteral("-RUN")}},
                           false, false);
        TSimpleMask(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                    QStringLiteral("MASKCFG"), QStringLiteral("pc1"), datei)
            .WriteLocal(QStringLiteral("DockingLayout"), QStringLiteral("L"));
        TZEP_RunHistory(datei).Add(Lauf(1, QStringLiteral("weg")));
    }
    const QString ort = TPostgresCluster::Instance().NewDatabase();
    DienstEinrichten(home, QStringLiteral("neu"), ort);
    home.WriteSetting(QStringLiteral("MD_Datenbank.ini"), "DIENST=neu\nARBEITSPLATZ=pc-neu\n");

    EXPECT_EQ(
        MD_KopierenNach(datei, QStringLiteral("neu")),
        (QStringList{QStringLiteral("Mandorele: 2"), QStringLiteral("Pläne: 1"),
                     QStringLiteral("Programmaufrufe der Pläne: 1"),
                     QStringLiteral("Fensteraufteilungen: 1"), QStringLiteral("Ausführungen: 1")}));
    TZEP_DBFile ziel(ort);
    EXPECT_EQ(BlobOf(ziel, CPlon, QStringLiteral("MONAT")), QByteArray("M\0x", 3));
    EXPECT_EQ(BlobOf(ziel, CPlon, QStringLiteral("JAHR")), QByteArray("J2"));
    EXPECT_EQ(ziel.Version(), 2);
    TPlanManiDM plaene(ziel.Database());
    ASSERT_EQ(plaene.PlanIds(), (QList<TIntTrio>{TIntTrio{1, 0, 0}}));
    EXPECT_EQ(TSimpleMask(QStringLiteral("QUANDRIX"), QStringLiteral("MAINFORM"),
                          QStringLiteral("MASKCFG"), QStringLiteral("PC1"), ort)
                  .ReadLocalDef(QStringLiteral("DOCKINGLAYOUT"), {}),
              QStringLiteral("L"));
    // What the file held was this workstation's: its plans run here, its pictures lie here.
    TPlanSatz kopiert;
    TZEP_PfadKommandoArgumenteList kommandos;
    ASSERT_TRUE(plaene.PlanLaden(TIntTrio{1, 0, 0}, kopiert, kommandos));
    EXPECT_EQ(kopiert.PlanerId, QStringLiteral("MANDOREL@PC-NEU"));
    const QList<TZEP_RunEntry> laeufe =
        TZEP_RunHistory(ort).Entries(CPlon, QStringLiteral("MONAT"));
    ASSERT_EQ(laeufe.size(), 1);
    EXPECT_EQ(laeufe[0].Arbeitsplatz, QStringLiteral("PC-NEU"));
    // New rows continue after the copied ids.
    TPlanSatz neu = Plan(QStringLiteral("JAHR"));
    plaene.PlanSpeichern(neu, {}, false, false);
    EXPECT_EQ(neu.PlanId, (TIntTrio{2, 0, 0}));

    const QString belegt = ErrorText([&] { MD_KopierenNach(datei, QStringLiteral("neu")); });
    EXPECT_TRUE(belegt.contains(QStringLiteral("enthält schon Daten (2 Mandorele, 2 Pläne")))
        << belegt.toStdString();
    const QString falsch =
        ErrorText([&] { MD_KopierenNach(datei, QStringLiteral("neu host=anderswo")); });
    EXPECT_TRUE(falsch.contains(QStringLiteral("kein Name eines Eintrags")))
        << falsch.toStdString();
    EXPECT_EQ(WalkKeys(ziel).size(), 2);
    qunsetenv("PGSERVICEFILE");
}

// Pictures stay on the workstation that ran: another workstation that drops the row leaves the
// file, and the workstation's next picture takes the orphan away.
TEST(SharedHistory, APictureGoesOnlyOnItsOwnWorkstationOnceItsRowIsGone) {
    TTempHome home;
    DienstEinrichten(home, QStringLiteral("team"), TPostgresCluster::Instance().NewDatabase());
    const auto arbeitsplatz = [&home](const QByteArray& AName) {
        home.WriteSetting(QStringLiteral("MD_Datenbank.ini"),
                          "DIENST=team\nARBEITSPLATZ=" + AName + "\n");
    };
    arbeitsplatz("PC-A");
    TZEP_RunHistory hier(QStringLiteral("service=team"));
    const qint64 erster = hier.Add(Lauf(1, QStringLiteral("A")));
    hier.SetBild(erster, "png");
    const QString bild = hier.BildOrdner() + QLatin1Char('/') + TZEP_RunHistory::BildName(erster);
    ASSERT_TRUE(QFile::exists(bild));

    arbeitsplatz("PC-B");
    TZEP_RunHistory dort(QStringLiteral("service=team"));
    dort.SetGrenzen(1, TZEP_RunHistory::CMaxBildBytes);
    dort.Add(Lauf(2, QStringLiteral("B")));
    const QList<TZEP_RunEntry> laeufe = dort.Entries(CPlon, QStringLiteral("MONAT"));
    ASSERT_EQ(laeufe.size(), 1);
    EXPECT_EQ(laeufe[0].Arbeitsplatz, QStringLiteral("PC-B"));
    EXPECT_TRUE(QFile::exists(bild));

    const qint64 zweiter = hier.Add(Lauf(3, QStringLiteral("A")));
    hier.SetBild(zweiter, "png");
    EXPECT_FALSE(QFile::exists(bild));
    EXPECT_TRUE(
        QFile::exists(hier.BildOrdner() + QLatin1Char('/') + TZEP_RunHistory::BildName(zweiter)));
    qunsetenv("PGSERVICEFILE");
}
