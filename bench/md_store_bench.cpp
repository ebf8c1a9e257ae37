// Figures of the report store, printed for the closing notes; never a pass/fail test.
//   md_store_bench [count, default 100000]
//   md_store_bench --fill-for-run <count>   (fills the store of $HOME for scripts/bench.sh)
//   md_store_bench --fill-sample            (stores the sample monthly list of PLON in $HOME)
//   md_store_bench --server <service>       (an empty shared database of pg_service.conf)
// 1. Load_Reports of <count> stored Mandorele of about 1 KiB against a raw scan of the same
//    blobs through the SQLite C API, in the same run (best of 5, warm).
// 2. A commit (Save_Reports of one change and Load_Reports) with 10,000 stored Mandorele
//    against one Load_Reports.
// 3. Resident memory with <count> loaded Mandorele against their blob bytes.
// With --server: Load_Reports of 10,000 from the shared database against the same from the
// file, and a commit with 10,000 stored on the shared database against one load.
#include <sqlite3.h>
#include <stdexcept>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "md_mandorel.h"
#include "md_processor.h"
#include "vko_folder.h"
#include "zep_dbfile.h"
#include "zep_ga_player.h"

namespace {

class TSilentPlayer : public TZEP_GA_Player {
public:
    void PlaySequence(const TZEP_GA_Sequence&) override {}
};

std::unique_ptr<TZEP_MD_Processor> NewProcessor() {
    return std::make_unique<TZEP_MD_Processor>(std::make_unique<TSilentPlayer>());
}

// About 1 KiB as a stream: six steps, eight token values, description, reason, two plan ids.
std::unique_ptr<TZEP_MD_Mandorel> SampleMandorel(int ANumber) {
    auto mandorel = TZEP_MD_Mandorel::CreateNew(
        QStringLiteral("Monatsliste Filiale %1").arg(ANumber), QStringLiteral("PLON"));
    mandorel->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    for (const char* vorlage : {"PLON_START", "PLON_ZEITRAUM", "PLON_ABTEILUNG", "PLON_SUMMEN",
                                "PLON_ZEITRAUM", "PLON_BERICHT"}) {
        mandorel->Sequence().Append(
            TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(vorlage)});
    }
    mandorel->SetAuswertungs_Beschreibung(
        QStringLiteral("Monatliche Übersicht der Einsätze je Abteilung mit Summen der Stunden, "
                       "Zuschläge und Fehlzeiten. Die Liste geht an die Filialleitung und an die "
                       "Lohnbuchhaltung; sie wird am ersten Werktag des Monats erstellt und im "
                       "Berichtsordner abgelegt. Filiale %1.")
            .arg(ANumber));
    mandorel->SetAuswertungs_Grund(
        QStringLiteral("Monatsabschluss und Abstimmung der Personalkosten mit dem Controlling."));
    const char* tokens[][2] = {{"#VON#", "#MONAT_NAECHSTER_ANFANG#"},
                               {"#BIS#", "#MONAT_NAECHSTER_ENDE#"},
                               {"#ABTEILUNG#", "Verkauf Nord"},
                               {"#AUSGABEDATEI#", "/srv/berichte/plon/monatsliste.txt"},
                               {"#STICHTAG#", "#HEUTE_VORJAHR#"},
                               {"#KUNDENGRUPPE#", "Großkunden"},
                               {"#FILIALE#", "Hamburg-Altona"},
                               {"#FORMAT#", "Text mit Tabulatoren"}};
    for (const auto& token : tokens) {
        mandorel->TokenValues().insert(QString::fromUtf8(token[0]), QString::fromUtf8(token[1]));
    }
    mandorel->PlanIds() = {TIntTrio{ANumber, 1, 7}, TIntTrio{ANumber, 2, 7}};
    return mandorel;
}

// Straight into the record file: adding through the store checks every name against the list.
void Fill(int ACount) {
    TZEP_DBFile file;
    for (int i = 0; i < ACount; ++i) {
        const auto mandorel = SampleMandorel(i);
        file.Reset();
        file.SetKeyWert(TZEP_DBFile::CProgramKey, mandorel->Programm());
        file.SetWert(TZEP_DBFile::CDisplayName, mandorel->Name_Anzeige());
        file.SetWert(TZEP_DBFile::CCreatedBy, TIntPair{1, 0});
        file.SetWert(TZEP_DBFile::CChangedBy, TIntPair{1, 0});
        mandorel->SaveToStream(file.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false));
        file.EndStreamBuchung();
    }
}

double BestMs(int ARepeats, const std::function<void()>& AWork) {
    double best = 1e300;
    for (int i = 0; i < ARepeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        AWork();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// The raw scan: every blob of the table, touched once.
qint64 RawScan(qint64& ABlobBytes) {
    const QByteArray path =
        VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db")).toLocal8Bit();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT DATEN FROM MD_MANDORELE", -1, &statement, nullptr);
    qint64 rows = 0;
    ABlobBytes = 0;
    unsigned checksum = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* blob = static_cast<const unsigned char*>(sqlite3_column_blob(statement, 0));
        const int size = sqlite3_column_bytes(statement, 0);
        checksum += size > 0 ? blob[size - 1] : 0;
        ABlobBytes += size;
        ++rows;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows + (checksum & 0);
}

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return 0;
}

// The HOME of the whole-run comparison: ACount stored Mandorele and "Lauf", whose steps only
// pause 0 ms, so the run measures the program and not a target program.
int FillForRun(int ACount) {
    Fill(ACount);
    auto processor = NewProcessor();
    auto lauf = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Lauf"), QStringLiteral("PLON"));
    lauf->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    for (int i = 0; i < 5; ++i) {
        lauf->Sequence().Append(TZEP_GA_SingleAction{TZEP_GA_ActionKind::Pause, {}, 0, 0, 0});
    }
    if (!processor->Add_Mandorel(lauf, nullptr)) {
        throw std::runtime_error("the run's Mandorel is stored already");
    }
    processor->Save_Reports();
    return 0;
}

// The README's monthly list of the sample program PLON, writing its report into $HOME.
int FillSample() {
    auto processor = NewProcessor();
    processor->Load_Reports();
    auto liste = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Monatsliste"), QStringLiteral("PLON"));
    liste->Sequence().SetTargetProgramFile(QStringLiteral("PLON.EXE"));
    for (const char* vorlage :
         {"PLON_START", "PLON_ZEITRAUM", "PLON_ABTEILUNG", "PLON_SUMMEN", "PLON_BERICHT"}) {
        liste->Sequence().Append(
            TZEP_GA_SingleAction{TZEP_GA_ActionKind::Template, QString::fromLatin1(vorlage)});
    }
    liste->TokenValues() = {{QStringLiteral("#VON#"), QStringLiteral("#MONAT_NAECHSTER_ANFANG#")},
                            {QStringLiteral("#BIS#"), QStringLiteral("#MONAT_NAECHSTER_ENDE#")},
                            {QStringLiteral("#ABTEILUNG#"), QStringLiteral("Verkauf")},
                            {QStringLiteral("#AUSGABEDATEI#"),
                             qEnvironmentVariable("HOME") + QStringLiteral("/liste.txt")}};
    if (!processor->Add_Mandorel(liste, nullptr)) {
        throw std::runtime_error("the sample Mandorel is stored already");
    }
    processor->Save_Reports();
    return 0;
}

// Load and commit with 10,000 stored in the database of the current HOME.
struct TLadenBuchen {
    double LoadMs;
    double CommitMs;
};

TLadenBuchen LoadAndCommit() {
    Fill(10000);
    auto window = NewProcessor();
    window->Load_Reports();
    const double loadMs = BestMs(5, [&] { window->Load_Reports(); });
    int round = 0;
    const double commitMs = BestMs(5, [&] {
        window
            ->Modify_Mandorel_Start(QStringLiteral("Monatsliste Filiale 17"),
                                    QStringLiteral("PLON"))
            ->SetAuswertungs_Grund(QStringLiteral("Runde %1").arg(++round));
        if (!window->Modify_Mandorel_Commit()) {
            throw std::runtime_error("the edited Mandorel left the list");
        }
        window->Save_Reports();
        window->Load_Reports();
    });
    return {loadMs, commitMs};
}

int CompareServer(const QByteArray& AService) {
    QTemporaryDir fileHome;
    qputenv("HOME", fileHome.path().toLocal8Bit());
    const TLadenBuchen datei = LoadAndCommit();
    QTemporaryDir serverHome;
    qputenv("HOME", serverHome.path().toLocal8Bit());
    QFile setting(VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Datenbank.ini")));
    setting.open(QIODevice::WriteOnly);
    setting.write("DIENST=" + AService + "\n");
    setting.close();
    const TLadenBuchen server = LoadAndCommit();
    std::printf(
        "10000 stored: Load_Reports %.1f ms from the file, %.1f ms from the server = "
        "%.2f times\n",
        datei.LoadMs, server.LoadMs, server.LoadMs / datei.LoadMs);
    std::printf("server: commit (save + load) %.1f ms = %.2f times one load\n", server.CommitMs,
                server.CommitMs / server.LoadMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--fill-sample") {
        return FillSample();
    }
    if (argc > 2 && QByteArray(argv[1]) == "--fill-for-run") {
        return FillForRun(QByteArray(argv[2]).toInt());
    }
    if (argc > 2 && QByteArray(argv[1]) == "--server") {
        return CompareServer(argv[2]);
    }
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");

    std::printf("Filling %d Mandorele ...\n", count);
    Fill(count);
    qint64 blobBytes = 0;
    const double rawMs = BestMs(5, [&] { RawScan(blobBytes); });
    auto processor = NewProcessor();
    const long residentBefore = ResidentKiB();
    processor->Load_Reports();
    const long residentAfter = ResidentKiB();
    const double loadMs = BestMs(5, [&] { processor->Load_Reports(); });
    std::printf("blobs: %lld bytes, %.0f bytes each\n", static_cast<long long>(blobBytes),
                double(blobBytes) / count);
    std::printf(
        "raw scan: %.1f ms; Load_Reports: %.1f ms; Load_Reports reaches %.2f of the raw "
        "throughput\n",
        rawMs, loadMs, rawMs / loadMs);
    std::printf("resident: %ld KiB before, %ld KiB with %d loaded (%.2f times the blob bytes)\n",
                residentBefore, residentAfter, count,
                (residentAfter - residentBefore) * 1024.0 / double(blobBytes));
    processor.reset();

    QTemporaryDir commitHome;
    qputenv("HOME", commitHome.path().toLocal8Bit());
    const TLadenBuchen figures = LoadAndCommit();
    std::printf("10000 stored: Load_Reports %.1f ms, commit (save + load) %.1f ms = %.2f times\n",
                figures.LoadMs, figures.CommitMs, figures.CommitMs / figures.LoadMs);
    return 0;
}
