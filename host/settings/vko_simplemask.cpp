#include "vko_simplemask.h"

#include "vko_database.h"
#include "vko_info.h"
#include "vko_statement.h"

namespace {

constexpr const char* CTabelle = "VKO_MASKENEINSTELLUNG";

constexpr const char* CSchema = R"sql(
CREATE TABLE IF NOT EXISTS VKO_MASKENEINSTELLUNG (
    PROGRAMM TEXT NOT NULL COLLATE NOCASE,
    FORMULAR TEXT NOT NULL COLLATE NOCASE,
    SEKTION TEXT NOT NULL COLLATE NOCASE,
    ARBEITSPLATZ TEXT NOT NULL COLLATE NOCASE,
    SCHLUESSEL TEXT NOT NULL COLLATE NOCASE,
    WERT TEXT NOT NULL,
    PRIMARY KEY (PROGRAMM, FORMULAR, SEKTION, ARBEITSPLATZ, SCHLUESSEL)
);
)sql";

// The server compares keys as they are; the program writes them the same way every time.
constexpr const char* CSchemaServer = R"sql(
CREATE TABLE IF NOT EXISTS VKO_MASKENEINSTELLUNG (
    PROGRAMM TEXT NOT NULL,
    FORMULAR TEXT NOT NULL,
    SEKTION TEXT NOT NULL,
    ARBEITSPLATZ TEXT NOT NULL,
    SCHLUESSEL TEXT NOT NULL,
    WERT TEXT NOT NULL,
    PRIMARY KEY (PROGRAMM, FORMULAR, SEKTION, ARBEITSPLATZ, SCHLUESSEL)
);
)sql";

std::unique_ptr<TVKO_Database> OpenDatabase(const QString& APath) {
    auto database = std::make_unique<TVKO_Database>(APath);
    database->EnsureSchema(CTabelle, database->Sql(CSchema, CSchemaServer));
    return database;
}

}  // namespace

TSimpleMask::TSimpleMask(const QString& AProgramm, const QString& AForm, const QString& ASektion,
                         const QString& AArbeitsplatz)
    : TSimpleMask(AProgramm, AForm, ASektion, AArbeitsplatz, TVKO_Database::DefaultPath()) {}

TSimpleMask::TSimpleMask(const QString& AProgramm, const QString& AForm, const QString& ASektion,
                         const QString& AArbeitsplatz, const QString& ADatabasePath) try
    // Keys match without regard to case on every engine.
    : FProgramm(AProgramm.toUpper()),
      FForm(AForm.toUpper()),
      FSektion(ASektion.toUpper()),
      FArbeitsplatz(AArbeitsplatz.toUpper()),
      FDatabase(OpenDatabase(ADatabasePath)) {
} catch (...) {
    RethrowRegistered("TSimpleMask.Create");
}

TSimpleMask::~TSimpleMask() = default;

QString TSimpleMask::ReadLocalDef(const QString& AKey, const QString& ADefault) const try {
    TVKO_Statement lesen(
        *FDatabase,
        "SELECT WERT FROM VKO_MASKENEINSTELLUNG WHERE PROGRAMM = ?1 AND "
        "FORMULAR = ?2 AND SEKTION = ?3 AND ARBEITSPLATZ = ?4 AND SCHLUESSEL = ?5");
    const TVKO_StatementReset reset(lesen);
    lesen.Bind(1, FProgramm);
    lesen.Bind(2, FForm);
    lesen.Bind(3, FSektion);
    lesen.Bind(4, FArbeitsplatz);
    lesen.Bind(5, AKey.toUpper());
    return lesen.Step() ? lesen.Text(0) : ADefault;
} catch (...) {
    RethrowRegistered("TSimpleMask.ReadLocalDef");
}

void TSimpleMask::WriteLocal(const QString& AKey, const QString& AValue) try {
    TVKO_Statement schreiben(*FDatabase,
                             "INSERT INTO VKO_MASKENEINSTELLUNG (PROGRAMM, FORMULAR, SEKTION, "
                             "ARBEITSPLATZ, SCHLUESSEL, WERT) VALUES (?1, ?2, ?3, ?4, ?5, ?6) "
                             "ON CONFLICT (PROGRAMM, FORMULAR, SEKTION, ARBEITSPLATZ, "
                             "SCHLUESSEL) DO UPDATE SET WERT = excluded.WERT");
    const TVKO_StatementReset reset(schreiben);
    schreiben.Bind(1, FProgramm);
    schreiben.Bind(2, FForm);
    schreiben.Bind(3, FSektion);
    schreiben.Bind(4, FArbeitsplatz);
    schreiben.Bind(5, AKey.toUpper());
    schreiben.Bind(6, AValue);
    schreiben.Step();
} catch (...) {
    RethrowRegistered("TSimpleMask.WriteLocal");
}

void TSimpleMask::DeleteLocal() try {
    TVKO_Statement loeschen(*FDatabase,
                            "DELETE FROM VKO_MASKENEINSTELLUNG WHERE PROGRAMM = ?1 AND "
                            "FORMULAR = ?2 AND SEKTION = ?3 AND ARBEITSPLATZ = ?4");
    const TVKO_StatementReset reset(loeschen);
    loeschen.Bind(1, FProgramm);
    loeschen.Bind(2, FForm);
    loeschen.Bind(3, FSektion);
    loeschen.Bind(4, FArbeitsplatz);
    loeschen.Step();
} catch (...) {
    RethrowRegistered("TSimpleMask.DeleteLocal");
}
