#include "zep_dbfile.h"

#include <sqlite3.h>
#include <QBuffer>
#include <array>
#include <atomic>
#include <limits>
#include <optional>

#include "vko_database.h"
#include "vko_info.h"
#include "vko_keyfeld.h"
#include "vko_statement.h"

namespace {

enum TFeld : int { Programm, NameKey, Anzeige, ErstelltVon, GeaendertVon, FeldAnzahl };

constexpr std::array<const char*, FeldAnzahl> CFeldNamen = {
    TZEP_DBFile::CProgramKey, TZEP_DBFile::CNameKey, TZEP_DBFile::CDisplayName,
    TZEP_DBFile::CCreatedBy, TZEP_DBFile::CChangedBy};

constexpr const char* CTabelle = "MD_MANDORELE";

// A rowid table: rows of about 1 KiB fit its pages, and a walk in ID order is a plain scan.
// The keys are unique without regard to case, so a duplicate can never be written.
constexpr const char* CSchema = R"sql(
CREATE TABLE IF NOT EXISTS MD_MANDORELE (
    ID INTEGER PRIMARY KEY,
    PROGRAMM TEXT NOT NULL COLLATE NOCASE,
    NAME_KEY TEXT NOT NULL COLLATE NOCASE,
    NAME_ANZEIGE TEXT NOT NULL,
    ERSTELLT_VON TEXT NOT NULL,
    GEAENDERT_VON TEXT NOT NULL,
    DATEN BLOB NOT NULL,
    VERSION INTEGER NOT NULL DEFAULT 1,
    UNIQUE (PROGRAMM, NAME_KEY)
);
)sql";

// Databases of earlier builds lack the change counter; their records start at version 1.
constexpr const char* CVersionSpalte = "VERSION INTEGER NOT NULL DEFAULT 1";

// Both SELECTs yield the ID, the fields in the order of TFeld, the blob, then the version.
constexpr int CSpalteId = 0;
constexpr int CSpalteDaten = FeldAnzahl + 1;
constexpr int CSpalteVersion = FeldAnzahl + 2;
constexpr int SpalteVon(int AFeld) {
    return AFeld + 1;
}

constexpr const char* CLesen =
    "SELECT ID, PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, GEAENDERT_VON, DATEN, VERSION "
    "FROM MD_MANDORELE WHERE PROGRAMM = ?1 AND NAME_KEY = ?2";
constexpr const char* CWalk =
    "SELECT ID, PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, GEAENDERT_VON, DATEN, VERSION "
    "FROM MD_MANDORELE WHERE ID > ?1 ORDER BY ID";
constexpr const char* CEinfuegen =
    "INSERT INTO MD_MANDORELE (PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, GEAENDERT_VON, "
    "DATEN, VERSION) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 1)";
// Only the version that was read is overwritten: a record changed since then stays as it is.
constexpr const char* CAendern =
    "UPDATE MD_MANDORELE SET NAME_ANZEIGE = ?3, ERSTELLT_VON = ?4, GEAENDERT_VON = ?5, "
    "DATEN = ?6, VERSION = VERSION + 1 WHERE PROGRAMM = ?1 AND NAME_KEY = ?2 AND VERSION = ?7";
constexpr const char* CLoeschen = "DELETE FROM MD_MANDORELE WHERE PROGRAMM = ?1 AND NAME_KEY = ?2";

[[noreturn]] void RaiseIllegal(const QString& AText) {
    throw EVKO_Error(AText, CVKO_Info_Fehler_Standard_IllegalerParameter);
}

int FeldIndex(const char* AField) {
    for (int i = 0; i < FeldAnzahl; ++i) {
        if (AField == CFeldNamen[i] || (AField && qstricmp(AField, CFeldNamen[i]) == 0)) {
            return i;
        }
    }
    RaiseIllegal(QStringLiteral("Das Feld „%1“ gibt es im Datensatz der Mandorele nicht.")
                     .arg(QString::fromUtf8(AField ? AField : "")));
}

bool IstBenutzerFeld(int AFeld) {
    return AFeld == ErstelltVon || AFeld == GeaendertVon;
}

std::atomic<int> GBusyTimeoutMs = TVKO_Database::CBusyTimeoutMs;

std::unique_ptr<TVKO_Database> OpenDatabase(const QString& APath) {
    auto database = std::make_unique<TVKO_Database>(APath);
    database->SetBusyTimeout(GBusyTimeoutMs);
    database->EnsureSchema(CTabelle, CSchema);
    database->EnsureColumn(CTabelle, "VERSION", CVersionSpalte);
    return database;
}

}  // namespace

struct TZEP_DBFile::TState {
    explicit TState(const QString& APath)
        : Database(OpenDatabase(APath)),
          LesenStatement(*Database, CLesen),
          WalkStatement(*Database, CWalk),
          EinfuegenStatement(*Database, CEinfuegen),
          AendernStatement(*Database, CAendern),
          LoeschenStatement(*Database, CLoeschen) {}

    std::unique_ptr<TVKO_Database> Database;
    TVKO_Statement LesenStatement;
    TVKO_Statement WalkStatement;
    TVKO_Statement EinfuegenStatement;
    TVKO_Statement AendernStatement;
    TVKO_Statement LoeschenStatement;

    // The record buffer.
    std::array<QString, FeldAnzahl> Felder;
    QByteArray Daten;
    qint64 Version = 0;
    bool Found = false;
    // ID of the current record (also of one just deleted): Get_next_extMode continues after it.
    std::optional<qint64> Position;

    // The walk statement stands on the current record's row.
    bool WalkAktiv = false;
    // The record buffer is that row and has not been copied yet; a walk copies only on demand.
    bool PufferImWalk = false;

    std::optional<TZEP_DBOperation> Buchung;
    QBuffer BuchungsStream;

    QString Feld(int AFeld) const {
        return PufferImWalk ? WalkStatement.Text(SpalteVon(AFeld)) : Felder[AFeld];
    }

    QByteArray Blob() const { return PufferImWalk ? WalkStatement.Blob(CSpalteDaten) : Daten; }

    qint64 AktuelleVersion() const {
        return PufferImWalk ? WalkStatement.Integer(CSpalteVersion) : Version;
    }

    void Uebernehmen(const TVKO_Statement& AStatement) {
        for (int i = 0; i < FeldAnzahl; ++i) {
            Felder[i] = AStatement.Text(SpalteVon(i));
        }
        Daten = AStatement.Blob(CSpalteDaten);
        Version = AStatement.Integer(CSpalteVersion);
        Position = AStatement.Integer(CSpalteId);
    }

    // Copies the walk's row into the record buffer before the buffer changes or is written.
    void PufferUebernehmen() {
        if (PufferImWalk) {
            Uebernehmen(WalkStatement);
            PufferImWalk = false;
        }
    }

    // Ends a walk's statement, so that it holds no read lock on an old snapshot when this
    // connection writes; Get_next_extMode continues from Position.
    void WalkBeenden() {
        PufferUebernehmen();
        WalkStatement.Reset();
        WalkAktiv = false;
    }

    // Position is set again when the row is copied; after a failed step the walk ends.
    bool WalkSchritt() {
        WalkAktiv = false;
        PufferImWalk = false;
        Found = false;
        Position.reset();
        if (!WalkStatement.Step()) {
            WalkStatement.Reset();
            return false;
        }
        WalkAktiv = true;
        PufferImWalk = true;
        Found = true;
        return true;
    }

    bool WalkAb(qint64 AId) {
        WalkBeenden();
        WalkStatement.Bind(1, AId);
        return WalkSchritt();
    }

    void RequireCurrent(const QString& AZweck) const {
        if (!Found) {
            RaiseIllegal(QStringLiteral("Es ist kein Datensatz gelesen, %1.").arg(AZweck));
        }
    }

    QString Beschreibung() const {
        return QStringLiteral("„%1“ zum Programm „%2“ in der Datenbank „%3“")
            .arg(Felder[Anzeige], Felder[Programm], Database->Path());
    }

    void BindSchluessel(TVKO_Statement& AStatement) const {
        AStatement.Bind(1, Felder[Programm]);
        AStatement.Bind(2, Felder[NameKey]);
    }

    void BindWerte(TVKO_Statement& AStatement, const QByteArray& ADaten) const {
        BindSchluessel(AStatement);
        AStatement.Bind(3, Felder[Anzeige]);
        AStatement.Bind(4, Felder[ErstelltVon]);
        AStatement.Bind(5, Felder[GeaendertVon]);
        AStatement.Bind(6, ADaten);
    }

    void Einfuegen(const QByteArray& ADaten) {
        Felder[Programm] = Felder[Programm].toUpper();
        Felder[NameKey] = Wert_2_Wert4KeyFeld(Felder[Anzeige]);
        Found = false;
        TVKO_Transaction transaction(*Database);
        {
            TVKO_StatementReset reset(EinfuegenStatement);
            BindWerte(EinfuegenStatement, ADaten);
            const int result = EinfuegenStatement.StepResult();
            if (result == SQLITE_CONSTRAINT_UNIQUE) {
                throw EVKO_Error(
                    QStringLiteral("Zum Programm „%1“ gibt es in der Datenbank „%2“ schon einen "
                                   "Mandorel mit dem Schlüssel „%3“. „%4“ wird nicht gespeichert; "
                                   "der vorhandene bleibt unverändert.")
                        .arg(Felder[Programm], Database->Path(), Felder[NameKey], Felder[Anzeige]));
            }
            if (result != SQLITE_DONE) {
                Database->Raise(result, QStringLiteral("Schreiben"));
            }
        }
        const qint64 id = Database->LastInsertId();
        transaction.Commit();
        Daten = ADaten;
        Version = 1;
        Position = id;
        Found = true;
    }

    void Aendern(const QByteArray& ADaten) {
        // The keys identify the record; a display name with another key would make the record
        // unreachable under its new name.
        if (Wert_2_Wert4KeyFeld(Felder[Anzeige]).compare(Felder[NameKey], Qt::CaseInsensitive) !=
            0) {
            RaiseIllegal(QStringLiteral("Der Anzeigename „%1“ passt nicht zum Schlüssel „%2“ des "
                                        "Datensatzes; beim Ändern kann ein Mandorel nicht "
                                        "umbenannt werden.")
                             .arg(Felder[Anzeige], Felder[NameKey]));
        }
        TVKO_Transaction transaction(*Database);
        {
            TVKO_StatementReset reset(AendernStatement);
            BindWerte(AendernStatement, ADaten);
            AendernStatement.Bind(7, Version);
            AendernStatement.Step();
        }
        if (Database->Changes() == 0) {
            RaiseVeraltet();
        }
        transaction.Commit();
        Daten = ADaten;
        ++Version;
    }

    // The update found no record in the version that was read; says whether it is gone or was
    // changed. The transaction still holds the write lock, so the answer is current.
    [[noreturn]] void RaiseVeraltet() {
        bool vorhanden = false;
        {
            TVKO_StatementReset reset(LesenStatement);
            LesenStatement.Bind(1, Felder[Programm].toUpper());
            LesenStatement.Bind(2, Felder[NameKey].toUpper());
            vorhanden = LesenStatement.Step();
        }
        Found = false;
        if (vorhanden) {
            throw EVKO_Error(QStringLiteral("Der Mandorel %1 wurde inzwischen von einem anderen "
                                            "Programm geändert. Die Änderung wurde nicht "
                                            "gespeichert.")
                                 .arg(Beschreibung()));
        }
        throw EVKO_Error(QStringLiteral("Der Mandorel %1 ist nicht mehr vorhanden; ein anderes "
                                        "Programm hat ihn inzwischen gelöscht. Die Änderung "
                                        "wurde nicht gespeichert.")
                             .arg(Beschreibung()));
    }
};

TZEP_DBFile::TZEP_DBFile() try : TZEP_DBFile(TVKO_Database::DefaultPath()) {
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Create");
}

TZEP_DBFile::TZEP_DBFile(const QString& ADatabasePath) try
    : FState(std::make_unique<TState>(ADatabasePath)) {
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Create");
}

TZEP_DBFile::~TZEP_DBFile() = default;

int TZEP_DBFile::SetBusyTimeoutOfNewFiles(int AMilliseconds) {
    return GBusyTimeoutMs.exchange(AMilliseconds);
}

QString TZEP_DBFile::DatabasePath() const {
    return FState->Database->Path();
}

TVKO_Database& TZEP_DBFile::Database() {
    return *FState->Database;
}

void TZEP_DBFile::Reset() try {
    TState& state = *FState;
    state.WalkStatement.Reset();
    state.WalkAktiv = false;
    state.PufferImWalk = false;
    state.Felder.fill(QString());
    state.Daten.clear();
    state.Version = 0;
    state.Found = false;
    state.Position.reset();
    state.Buchung.reset();
    state.BuchungsStream.close();
    state.BuchungsStream.setData(QByteArray());
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Reset");
}

void TZEP_DBFile::SetKeyWert(const char* AField, const QString& AWert) try {
    const int feld = FeldIndex(AField);
    if (feld != Programm && feld != NameKey) {
        RaiseIllegal(QStringLiteral("Das Feld „%1“ ist kein Schlüsselfeld.")
                         .arg(QString::fromUtf8(CFeldNamen[feld])));
    }
    FState->PufferUebernehmen();
    FState->Felder[feld] = AWert;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.SetKeyWert");
}

void TZEP_DBFile::SetWert(const char* AField, const QString& AWert) try {
    const int feld = FeldIndex(AField);
    if (IstBenutzerFeld(feld)) {
        vko_String2TIntPair(AWert);
    }
    FState->PufferUebernehmen();
    FState->Felder[feld] = AWert;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.SetWert");
}

void TZEP_DBFile::SetWert(const char* AField, const TIntPair& AWert) try {
    const int feld = FeldIndex(AField);
    if (!IstBenutzerFeld(feld)) {
        RaiseIllegal(QStringLiteral("Das Feld „%1“ nimmt keine Benutzerkennung auf.")
                         .arg(QString::fromUtf8(CFeldNamen[feld])));
    }
    FState->PufferUebernehmen();
    FState->Felder[feld] = vko_TIntPair2String(AWert);
} catch (...) {
    RethrowRegistered("TZEP_DBFile.SetWert");
}

QString TZEP_DBFile::Wert(const char* AField) const try {
    return FState->Feld(FeldIndex(AField));
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Wert");
}

bool TZEP_DBFile::Read() try {
    TState& state = *FState;
    state.WalkBeenden();
    state.Found = false;
    state.Position.reset();
    TVKO_StatementReset reset(state.LesenStatement);
    // Stored keys are upper case; NOCASE alone would fold only ASCII letters.
    state.LesenStatement.Bind(1, state.Felder[Programm].toUpper());
    state.LesenStatement.Bind(2, state.Felder[NameKey].toUpper());
    if (!state.LesenStatement.Step()) {
        return false;
    }
    state.Uebernehmen(state.LesenStatement);
    state.Found = true;
    return true;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Read");
}

bool TZEP_DBFile::Get_first_extMode() try {
    return FState->WalkAb(std::numeric_limits<qint64>::min());
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Get_first_extMode");
}

bool TZEP_DBFile::Get_next_extMode() try {
    TState& state = *FState;
    if (state.WalkAktiv) {
        return state.WalkSchritt();
    }
    if (!state.Position) {
        state.Found = false;
        return false;
    }
    return state.WalkAb(*state.Position);
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Get_next_extMode");
}

bool TZEP_DBFile::Found() const {
    return FState->Found;
}

qint64 TZEP_DBFile::Version() const try {
    FState->RequireCurrent(QStringLiteral("dessen Version gelesen werden könnte"));
    return FState->AktuelleVersion();
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Version");
}

std::unique_ptr<QIODevice> TZEP_DBFile::CreateBlobStream() const try {
    FState->RequireCurrent(QStringLiteral("dessen Daten gelesen werden könnten"));
    auto stream = std::make_unique<QBuffer>();
    stream->setData(FState->Blob());
    stream->open(QIODevice::ReadOnly);
    return stream;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.CreateBlobStream");
}

QByteArray TZEP_DBFile::BlobBytes() const try {
    FState->RequireCurrent(QStringLiteral("dessen Daten gelesen werden könnten"));
    return FState->Blob();
} catch (...) {
    RethrowRegistered("TZEP_DBFile.BlobBytes");
}

QIODevice& TZEP_DBFile::StartStreamBuchung(TZEP_DBOperation AOperation, bool AAnhaengen) try {
    TState& state = *FState;
    if (AOperation == TZEP_DBOperation::wrdonDelete) {
        RaiseIllegal(
            QStringLiteral("Mit einem Datenstrom wird nur eingefügt oder geändert; "
                           "gelöscht wird mit Write."));
    }
    const bool aendern = AOperation == TZEP_DBOperation::wrdonUpdate;
    if (aendern) {
        state.RequireCurrent(QStringLiteral("der geändert werden könnte"));
    }
    state.PufferUebernehmen();
    state.BuchungsStream.close();
    state.BuchungsStream.setData(aendern && AAnhaengen ? state.Daten : QByteArray());
    state.BuchungsStream.open(QIODevice::WriteOnly | QIODevice::Append);
    state.Buchung = AOperation;
    return state.BuchungsStream;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.StartStreamBuchung");
}

void TZEP_DBFile::EndStreamBuchung() try {
    TState& state = *FState;
    if (!state.Buchung) {
        RaiseIllegal(QStringLiteral("Es ist keine Buchung begonnen (StartStreamBuchung)."));
    }
    const TZEP_DBOperation operation = *std::exchange(state.Buchung, std::nullopt);
    const QByteArray daten = state.BuchungsStream.data();
    state.BuchungsStream.close();
    state.BuchungsStream.setData(QByteArray());
    state.WalkBeenden();
    if (operation == TZEP_DBOperation::wrdonInsert) {
        state.Einfuegen(daten);
    } else {
        state.Aendern(daten);
    }
} catch (...) {
    RethrowRegistered("TZEP_DBFile.EndStreamBuchung");
}

void TZEP_DBFile::Write(TZEP_DBOperation AOperation) try {
    TState& state = *FState;
    if (AOperation != TZEP_DBOperation::wrdonDelete) {
        RaiseIllegal(
            QStringLiteral("Write nimmt nur den Löschcode; eingefügt und geändert wird "
                           "mit StartStreamBuchung und EndStreamBuchung."));
    }
    state.RequireCurrent(QStringLiteral("der gelöscht werden könnte"));
    state.WalkBeenden();
    TVKO_Transaction transaction(*state.Database);
    {
        TVKO_StatementReset reset(state.LoeschenStatement);
        state.BindSchluessel(state.LoeschenStatement);
        state.LoeschenStatement.Step();
    }
    transaction.Commit();
    // A record another program deleted first is gone as well: nothing to report.
    state.Found = false;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Write");
}

bool TZEP_DBFile::Gespeichert(TVKO_Database& ADatabase, QString& AProgramm, QString& ANameKey) try {
    ADatabase.EnsureSchema(CTabelle, CSchema);
    TVKO_Statement lesen(ADatabase,
                         "SELECT PROGRAMM, NAME_KEY FROM MD_MANDORELE WHERE PROGRAMM = ?1 AND "
                         "NAME_KEY = ?2");
    lesen.Bind(1, AProgramm.toUpper());
    lesen.Bind(2, ANameKey.toUpper());
    if (!lesen.Step()) {
        return false;
    }
    AProgramm = lesen.Text(0);
    ANameKey = lesen.Text(1);
    return true;
} catch (...) {
    RethrowRegistered("TZEP_DBFile.Gespeichert");
}
