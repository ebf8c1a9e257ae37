#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QRandomGenerator>

#include <chrono>
#include <thread>
#include <vector>

#include "md_process_support.h"
#include "md_test_support.h"
#include "vko_database.h"
#include "zep_dbfile.h"
#include "zep_dbfile_test_util.h"

namespace {

QByteArray RandomBytes(qsizetype ASize, quint32 ASeed) {
    QRandomGenerator generator(ASeed);
    QByteArray bytes(ASize, Qt::Uninitialized);
    for (char& byte : bytes) {
        byte = static_cast<char>(generator.bounded(256));
    }
    return bytes;
}

}  // namespace

TEST(DBFile, InsertReadUpdateDeleteRoundTripAndSurviveReopening) {
    TTempHome home;
    const TIntPair andererBenutzer{2000, 3};
    {
        TZEP_DBFile file;
        EXPECT_EQ(file.DatabasePath(), DatabaseIn(home));
        InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Monatsliste"), "eins");
        EXPECT_TRUE(file.Found());
    }
    TZEP_DBFile file;
    ASSERT_TRUE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("MONATSLISTE")));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CDisplayName), QStringLiteral("Monatsliste"));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CCreatedBy), vko_TIntPair2String(CBenutzer));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CChangedBy), vko_TIntPair2String(CBenutzer));
    EXPECT_EQ(file.BlobBytes(), QByteArray("eins"));

    file.SetWert(TZEP_DBFile::CChangedBy, andererBenutzer);
    file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("zwei");
    file.EndStreamBuchung();
    ASSERT_TRUE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("MONATSLISTE")));
    EXPECT_EQ(file.BlobBytes(), QByteArray("zwei"));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CCreatedBy), vko_TIntPair2String(CBenutzer));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CChangedBy), vko_TIntPair2String(andererBenutzer));

    file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, true).write("+drei");
    file.EndStreamBuchung();
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("MONATSLISTE")),
              QByteArray("zwei+drei"));

    file.Write(TZEP_DBOperation::wrdonDelete);
    EXPECT_FALSE(file.Found());
    EXPECT_FALSE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("MONATSLISTE")));
    TZEP_DBFile reopened(DatabaseIn(home));
    EXPECT_TRUE(WalkKeys(reopened).isEmpty());
}

TEST(DBFile, NameKeyIsDerivedFromTheDisplayNameAndKeysMatchWithoutRegardToCase) {
    TTempHome home;
    TZEP_DBFile file;
    file.Reset();
    file.SetKeyWert(TZEP_DBFile::CProgramKey, QStringLiteral("plön"));
    // A name key in the buffer does not count: the key always follows the display name.
    file.SetKeyWert(TZEP_DBFile::CNameKey, QStringLiteral("ANDERS"));
    file.SetWert(TZEP_DBFile::CDisplayName, QStringLiteral(" Größe Übersicht/2026 "));
    file.StartStreamBuchung(TZEP_DBOperation::wrdonInsert, false).write("x");
    file.EndStreamBuchung();

    EXPECT_EQ(WalkKeys(file), QStringList{QStringLiteral("PLÖN/GROESSE_UEBERSICHT_2026")});
    for (const auto& [programm, key] : {std::pair{"PLÖN", "GROESSE_UEBERSICHT_2026"},
                                        std::pair{"plön", "groesse_uebersicht_2026"},
                                        std::pair{"Plön", "Groesse_Uebersicht_2026"}}) {
        EXPECT_TRUE(ReadRecord(file, QString::fromUtf8(programm), QString::fromUtf8(key)))
            << programm << " " << key;
        EXPECT_EQ(file.Wert(TZEP_DBFile::CDisplayName), QStringLiteral(" Größe Übersicht/2026 "));
    }
    EXPECT_FALSE(
        ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("GROESSE_UEBERSICHT_2026")));
    EXPECT_FALSE(ReadRecord(file, QStringLiteral("PLÖN"), QStringLiteral("ANDERS")));
    EXPECT_FALSE(ReadRecord(file, QString(), QString()));
}

TEST(DBFile, WalkYieldsEveryRecordInInsertOrderWithItsBlobByteForByte) {
    TTempHome home;
    TZEP_DBFile file;
    std::vector<QByteArray> blobs;
    for (int i = 0; i < 40; ++i) {
        const qsizetype size = i == 0 ? 0 : i == 1 ? 3 * 1024 * 1024 : 1024 + i;
        blobs.push_back(RandomBytes(size, static_cast<quint32>(i)));
        InsertRecord(file, i % 2 ? QStringLiteral("PLON") : QStringLiteral("KUDRE"),
                     QStringLiteral("Bericht %1").arg(i), blobs.back());
    }

    TZEP_DBFile reader(DatabaseIn(home));
    reader.Reset();
    int count = 0;
    for (bool found = reader.Get_first_extMode(); found; found = reader.Get_next_extMode()) {
        ASSERT_LT(count, 40);
        EXPECT_EQ(reader.Wert(TZEP_DBFile::CDisplayName), QStringLiteral("Bericht %1").arg(count));
        EXPECT_EQ(reader.Wert(TZEP_DBFile::CNameKey), QStringLiteral("BERICHT_%1").arg(count));
        EXPECT_EQ(reader.BlobBytes(), blobs[static_cast<std::size_t>(count)]);
        const std::unique_ptr<QIODevice> stream = reader.CreateBlobStream();
        EXPECT_EQ(stream->readAll(), blobs[static_cast<std::size_t>(count)]);
        ++count;
    }
    EXPECT_EQ(count, 40);
    EXPECT_FALSE(reader.Get_next_extMode());
    EXPECT_THROW(reader.BlobBytes(), EVKO_Error);
}

TEST(DBFile, WalkGoesOnAfterWritesInTheMiddleOfIt) {
    TTempHome home;
    TZEP_DBFile file;
    for (int i = 0; i < 6; ++i) {
        InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("R%1").arg(i), "alt");
    }
    file.Reset();
    QStringList visited;
    for (bool found = file.Get_first_extMode(); found; found = file.Get_next_extMode()) {
        const QString key = file.Wert(TZEP_DBFile::CNameKey);
        visited.append(key);
        if (key == QLatin1String("R1") || key == QLatin1String("R4")) {
            file.Write(TZEP_DBOperation::wrdonDelete);
        } else {
            file.SetWert(TZEP_DBFile::CChangedBy, TIntPair{5, 5});
            file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("neu");
            file.EndStreamBuchung();
        }
    }
    EXPECT_EQ(visited,
              (QStringList{QStringLiteral("R0"), QStringLiteral("R1"), QStringLiteral("R2"),
                           QStringLiteral("R3"), QStringLiteral("R4"), QStringLiteral("R5")}));
    EXPECT_EQ(WalkKeys(file), (QStringList{QStringLiteral("PLON/R0"), QStringLiteral("PLON/R2"),
                                           QStringLiteral("PLON/R3"), QStringLiteral("PLON/R5")}));
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("R5")), QByteArray("neu"));

    ASSERT_TRUE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("R2")));
    ASSERT_TRUE(file.Get_next_extMode());
    EXPECT_EQ(file.Wert(TZEP_DBFile::CNameKey), QStringLiteral("R3"));
    file.Reset();
    EXPECT_FALSE(file.Get_next_extMode());
    EXPECT_FALSE(file.Found());
}

TEST(DBFile, DuplicateInsertIsAClearErrorAndKeepsTheStoredRecord) {
    TTempHome home;
    TZEP_DBFile file;
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Monats Liste"), "erster");

    std::exception_ptr raised;
    const QString text = ErrorText([&] {
        try {
            InsertRecord(file, QStringLiteral("plon"), QStringLiteral("monats-liste"), "zweiter");
        } catch (...) {
            raised = std::current_exception();
            throw;
        }
    });
    EXPECT_TRUE(text.contains(QStringLiteral("schon einen Mandorel"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("MONATS_LISTE"))) << text.toStdString();
    EXPECT_TRUE(text.contains(DatabaseIn(home))) << text.toStdString();
    EXPECT_TRUE(VKOInfo().FehlerInfo(raised).Chain.contains(
        QStringLiteral("TZEP_DBFile.EndStreamBuchung")));
    EXPECT_FALSE(file.Found());

    EXPECT_EQ(WalkKeys(file), QStringList{QStringLiteral("PLON/MONATS_LISTE")});
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("MONATS_LISTE")),
              QByteArray("erster"));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CDisplayName), QStringLiteral("Monats Liste"));
}

TEST(DBFile, RecordThatVanishedIsNotFoundAndItsUpdateIsAClearError) {
    TTempHome home;
    TZEP_DBFile file;
    TZEP_DBFile other(DatabaseIn(home));
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Weg"), "alt");

    ASSERT_TRUE(ReadRecord(other, QStringLiteral("PLON"), QStringLiteral("WEG")));
    other.Write(TZEP_DBOperation::wrdonDelete);
    EXPECT_FALSE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("WEG")));

    // Deleted by the other program between reading and writing.
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Weg"), "alt");
    ASSERT_TRUE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("WEG")));
    ASSERT_TRUE(ReadRecord(other, QStringLiteral("PLON"), QStringLiteral("WEG")));
    other.Write(TZEP_DBOperation::wrdonDelete);
    file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("neu");
    const QString text = ErrorText([&] { file.EndStreamBuchung(); });
    EXPECT_TRUE(text.contains(QStringLiteral("nicht mehr vorhanden"))) << text.toStdString();
    EXPECT_FALSE(file.Found());
    EXPECT_TRUE(WalkKeys(file).isEmpty());

    // Deleting it again is no error: it is gone either way.
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Weg"), "alt");
    ASSERT_TRUE(ReadRecord(other, QStringLiteral("PLON"), QStringLiteral("WEG")));
    file.Write(TZEP_DBOperation::wrdonDelete);
    other.Write(TZEP_DBOperation::wrdonDelete);
    EXPECT_TRUE(WalkKeys(other).isEmpty());
}

TEST(DBFile, AnUpdateOverAChangeMadeSinceTheReadIsRefusedAndOldDatabasesGainTheCounter) {
    TTempHome home;
    {
        // The table as earlier builds made it, without the change counter.
        TVKO_Database old(DatabaseIn(home));
        old.Execute(
            "CREATE TABLE MD_MANDORELE (ID INTEGER PRIMARY KEY, PROGRAMM TEXT NOT NULL "
            "COLLATE NOCASE, NAME_KEY TEXT NOT NULL COLLATE NOCASE, NAME_ANZEIGE TEXT NOT "
            "NULL, ERSTELLT_VON TEXT NOT NULL, GEAENDERT_VON TEXT NOT NULL, DATEN BLOB "
            "NOT NULL, UNIQUE (PROGRAMM, NAME_KEY)); INSERT INTO MD_MANDORELE VALUES (1, "
            "'PLON', 'ALT', 'Alt', '1000;7', '1000;7', X'616C74')",
            QStringLiteral("Anlegen"));
    }
    TZEP_DBFile file;
    TZEP_DBFile other(DatabaseIn(home));
    ASSERT_TRUE(ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("ALT")));
    EXPECT_EQ(file.Version(), 1);
    EXPECT_EQ(file.BlobBytes(), QByteArray("alt"));

    UpdateRecord(other, QStringLiteral("PLON"), QStringLiteral("ALT"), "vom anderen");
    EXPECT_EQ(other.Version(), 2);
    file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("veraltet");
    const QString text = ErrorText([&] { file.EndStreamBuchung(); });
    EXPECT_TRUE(text.contains(QStringLiteral("inzwischen von einem anderen Programm geändert")))
        << text.toStdString();
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("ALT")),
              QByteArray("vom anderen"));

    // Read again, the record takes the update; a new record starts at 1.
    file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("beides");
    file.EndStreamBuchung();
    EXPECT_EQ(file.Version(), 3);
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Neu"), "neu");
    EXPECT_EQ(file.Version(), 1);
    EXPECT_EQ(WalkKeys(other),
              (QStringList{QStringLiteral("PLON/ALT"), QStringLiteral("PLON/NEU")}));
}

TEST(DBFile, MisuseIsAClearErrorAndChangesNothing) {
    TTempHome home;
    TZEP_DBFile file;
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Bleibt"), "daten");
    file.Reset();

    const std::vector<std::pair<QString, std::function<void()>>> cases = {
        {QStringLiteral("gibt es im Datensatz"), [&] { file.Wert("UNBEKANNT"); }},
        {QStringLiteral("gibt es im Datensatz"), [&] { file.SetWert(nullptr, QString()); }},
        {QStringLiteral("kein Schlüsselfeld"),
         [&] { file.SetKeyWert(TZEP_DBFile::CDisplayName, QStringLiteral("x")); }},
        {QStringLiteral("Benutzerkennung"),
         [&] { file.SetWert(TZEP_DBFile::CChangedBy, QStringLiteral("Hans")); }},
        {QStringLiteral("keine Benutzerkennung"),
         [&] {
             file.SetWert(TZEP_DBFile::CDisplayName, TIntPair{1, 2});
         }},
        {QStringLiteral("kein Datensatz gelesen"),
         [&] { file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false); }},
        {QStringLiteral("kein Datensatz gelesen"),
         [&] { file.Write(TZEP_DBOperation::wrdonDelete); }},
        {QStringLiteral("kein Datensatz gelesen"), [&] { file.CreateBlobStream(); }},
        {QStringLiteral("nur den Löschcode"), [&] { file.Write(TZEP_DBOperation::wrdonInsert); }},
        {QStringLiteral("gelöscht wird mit Write"),
         [&] { file.StartStreamBuchung(TZEP_DBOperation::wrdonDelete, false); }},
        {QStringLiteral("keine Buchung begonnen"), [&] { file.EndStreamBuchung(); }},
        {QStringLiteral("nicht umbenannt"),
         [&] {
             ReadRecord(file, QStringLiteral("PLON"), QStringLiteral("BLEIBT"));
             file.SetWert(TZEP_DBFile::CDisplayName, QStringLiteral("Anders"));
             file.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("neu");
             file.EndStreamBuchung();
         }},
    };
    for (const auto& [expected, action] : cases) {
        const QString text = ErrorText(action);
        EXPECT_TRUE(text.contains(expected))
            << expected.toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(WalkKeys(file), QStringList{QStringLiteral("PLON/BLEIBT")});
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("BLEIBT")), QByteArray("daten"));
    EXPECT_EQ(file.Wert(TZEP_DBFile::CDisplayName), QStringLiteral("Bleibt"));
}

TEST(DBFile, TwoFilesOnOneDatabaseReadAndWriteWhileTheOtherWalks) {
    TTempHome home;
    TZEP_DBFile window;
    TZEP_DBFile run(DatabaseIn(home));
    for (int i = 0; i < 3; ++i) {
        InsertRecord(window, QStringLiteral("PLON"), QStringLiteral("R%1").arg(i), "alt");
    }

    window.Reset();
    ASSERT_TRUE(window.Get_first_extMode());
    InsertRecord(run, QStringLiteral("PLON"), QStringLiteral("R3"), "neu");
    UpdateRecord(run, QStringLiteral("PLON"), QStringLiteral("R1"), "geaendert");
    run.Reset();
    ASSERT_TRUE(run.Get_first_extMode());

    // The window writes while the run walks, and both walks go on.
    window.StartStreamBuchung(TZEP_DBOperation::wrdonUpdate, false).write("vom Fenster");
    window.EndStreamBuchung();
    QStringList windowWalk{window.Wert(TZEP_DBFile::CNameKey)};
    while (window.Get_next_extMode()) {
        windowWalk.append(window.Wert(TZEP_DBFile::CNameKey));
    }
    QStringList runWalk{run.Wert(TZEP_DBFile::CNameKey)};
    while (run.Get_next_extMode()) {
        runWalk.append(run.Wert(TZEP_DBFile::CNameKey));
    }
    const QStringList all{QStringLiteral("R0"), QStringLiteral("R1"), QStringLiteral("R2"),
                          QStringLiteral("R3")};
    EXPECT_EQ(windowWalk, all);
    EXPECT_EQ(runWalk, all);
    EXPECT_EQ(BlobOf(run, QStringLiteral("PLON"), QStringLiteral("R0")), QByteArray("vom Fenster"));
    EXPECT_EQ(BlobOf(window, QStringLiteral("PLON"), QStringLiteral("R1")),
              QByteArray("geaendert"));
}

namespace {

// Processes that wait until Release lets them all start at once. They are forked before the
// test opens the database, since SQLite connections must not cross a fork.
class TProcesses {
public:
    TProcesses(int ACount, const std::function<void(int)>& AChild) {
        int gate[2];
        if (::pipe(gate) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        for (int i = 0; i < ACount; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(gate[1]);
                ::_exit(RunChild(gate[0], i, AChild));
            }
            FChildren.push_back(child);
        }
        ::close(gate[0]);
        FGate = gate[1];
    }

    void Release() {
        if (FGate >= 0) {
            ::close(FGate);
            FGate = -1;
        }
    }

    // The number of processes that failed.
    int Wait() {
        Release();
        int failed = 0;
        for (const pid_t child : FChildren) {
            int status = 0;
            if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
                WEXITSTATUS(status) != 0) {
                ++failed;
            }
        }
        FChildren.clear();
        return failed;
    }

    ~TProcesses() { Wait(); }

private:
    static int RunChild(int AGate, int ANumber, const std::function<void(int)>& AChild) {
        char ignored = 0;
        if (::read(AGate, &ignored, 1) != 0) {
            return 3;
        }
        try {
            AChild(ANumber);
            return 0;
        } catch (const EVKO_Error&) {
            std::fprintf(
                stderr, "Lauf %d: %s\n", ANumber,
                qPrintable(VKOInfo().FehlerInfo(std::current_exception()).ToDisplayText()));
            return 1;
        } catch (...) {
            return 2;
        }
    }

    std::vector<pid_t> FChildren;
    int FGate = -1;
};

void ScheduledRun(const QString& APath, int ANumber) {
    TZEP_DBFile file(APath);
    WalkKeys(file);
    InsertRecord(file, QStringLiteral("PLON"), QStringLiteral("Lauf %1").arg(ANumber),
                 RandomBytes(1024, static_cast<quint32>(ANumber)));
}

}  // namespace

TEST(DBFileProcesses, TwentyRunsCreateAndFillANewDatabaseAtOnce) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    TProcesses runs(20, [&](int ANumber) { ScheduledRun(path, ANumber); });
    EXPECT_EQ(runs.Wait(), 0);

    TZEP_DBFile file(path);
    EXPECT_EQ(WalkKeys(file).size(), 20);
    EXPECT_EQ(BlobOf(file, QStringLiteral("PLON"), QStringLiteral("LAUF_7")), RandomBytes(1024, 7));
}

TEST(DBFileProcesses, TwentyRunsReadAndWaitToWriteWhileAWindowCommits) {
    TTempHome home;
    const QString path = DatabaseIn(home);
    TProcesses runs(20, [&](int ANumber) { ScheduledRun(path, ANumber); });
    TZEP_DBFile window(path);
    InsertRecord(window, QStringLiteral("PLON"), QStringLiteral("Fenster"), "alt");
    {
        TVKO_Transaction transaction(window.Database());
        window.Database().Execute("UPDATE MD_MANDORELE SET DATEN = X'6E6575'",
                                  QStringLiteral("Schreiben"));
        runs.Release();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        transaction.Commit();
    }
    EXPECT_EQ(runs.Wait(), 0);
    EXPECT_EQ(WalkKeys(window).size(), 21);
    EXPECT_EQ(BlobOf(window, QStringLiteral("PLON"), QStringLiteral("FENSTER")), QByteArray("neu"));
}

TEST(DBFile, AWalkReadsEveryRowsOwnTextsAlsoWhenTheyRepeatOrDifferInOneCharacter) {
    TTempHome home;
    TZEP_DBFile file;
    // Program keys repeated, of the same length in UTF-8 with one character different, and
    // outside Latin-1; names with umlauts, euro sign and a character outside the basic plane.
    const QStringList programme{QStringLiteral("PLON"),  QStringLiteral("PLON"),
                                QStringLiteral("KÜDRE"), QStringLiteral("KÖDRE"),
                                QStringLiteral("KÖDRE"), QStringLiteral("ΩMEGA €")};
    const QStringList namen{QStringLiteral("Größe"),     QStringLiteral("Grösser"),
                            QStringLiteral("Preis 5 €"), QStringLiteral("Preis 5 $"),
                            QStringLiteral("Noten 𝄞"),   QStringLiteral("Übersicht")};
    for (qsizetype i = 0; i < programme.size(); ++i) {
        InsertRecord(file, programme[i], namen[i], namen[i].toUtf8());
    }
    TZEP_DBFile reader(DatabaseIn(home));
    reader.Reset();
    qsizetype row = 0;
    for (bool found = reader.Get_first_extMode(); found; found = reader.Get_next_extMode()) {
        ASSERT_LT(row, programme.size());
        EXPECT_EQ(reader.Wert(TZEP_DBFile::CProgramKey), programme[row]) << row;
        EXPECT_EQ(reader.Wert(TZEP_DBFile::CDisplayName), namen[row]) << row;
        EXPECT_EQ(reader.Wert(TZEP_DBFile::CCreatedBy), vko_TIntPair2String(CBenutzer)) << row;
        EXPECT_EQ(reader.BlobView(), namen[row].toUtf8()) << row;
        ++row;
    }
    EXPECT_EQ(row, programme.size());
}
