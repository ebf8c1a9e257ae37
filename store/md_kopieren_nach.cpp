#include "md_kopieren_nach.h"

#include <array>

#include "vko_database.h"
#include "vko_info.h"
#include "vko_planmani.h"
#include "vko_simplemask.h"
#include "vko_statement.h"
#include "zep_dbfile.h"
#include "zep_run_history.h"

namespace {

enum class TArt { Text, Zahl, Daten };

struct TSpalte {
    const char* Name;
    TArt Art;
};

struct TTabelle {
    const char* Name;
    const char* Was;
    // Columns read (the same on both sides); the settings' keys are stored in upper case.
    const char* Lesen;
    const char* Schreiben;
    std::array<TArt, 12> Arten;
    int Anzahl;
    // The table's identity column, or nullptr.
    const char* Id;
};

constexpr TArt T = TArt::Text;
constexpr TArt Z = TArt::Zahl;
constexpr TArt D = TArt::Daten;

const std::array<TTabelle, 5> CTabellen{{
    {"MD_MANDORELE",
     "Mandorele",
     "SELECT ID, PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, GEAENDERT_VON, DATEN, VERSION "
     "FROM MD_MANDORELE ORDER BY ID",
     "INSERT INTO MD_MANDORELE (ID, PROGRAMM, NAME_KEY, NAME_ANZEIGE, ERSTELLT_VON, "
     "GEAENDERT_VON, DATEN, VERSION) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
     {Z, T, T, T, T, T, D, Z},
     8,
     "ID"},
    {"MD_PLAENE",
     "Pläne",
     "SELECT ID, R_ID, PLANER_ID, JOBTEXT, FLAGS, PAAR, ZEITPLAN FROM MD_PLAENE ORDER BY ID",
     "INSERT INTO MD_PLAENE (ID, R_ID, PLANER_ID, JOBTEXT, FLAGS, PAAR, ZEITPLAN) VALUES (?1, "
     "?2, ?3, ?4, ?5, ?6, ?7)",
     {Z, Z, T, T, T, T, T},
     7,
     "ID"},
    {"MD_PLAN_KOMMANDOS",
     "Programmaufrufe der Pläne",
     "SELECT PLAN_ID, POSITION, ART, TEXT1, TEXT2, PROGRAMM, ARGUMENTE FROM MD_PLAN_KOMMANDOS",
     "INSERT INTO MD_PLAN_KOMMANDOS (PLAN_ID, POSITION, ART, TEXT1, TEXT2, PROGRAMM, ARGUMENTE) "
     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
     {Z, Z, Z, T, T, T, T},
     7,
     nullptr},
    {"VKO_MASKENEINSTELLUNG",
     "Fensteraufteilungen",
     "SELECT upper(PROGRAMM), upper(FORMULAR), upper(SEKTION), upper(ARBEITSPLATZ), "
     "upper(SCHLUESSEL), WERT FROM VKO_MASKENEINSTELLUNG",
     "INSERT INTO VKO_MASKENEINSTELLUNG (PROGRAMM, FORMULAR, SEKTION, ARBEITSPLATZ, SCHLUESSEL, "
     "WERT) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
     {T, T, T, T, T, T},
     6,
     nullptr},
    {"ZEP_AUSFUEHRUNG",
     "Ausführungen",
     "SELECT ID, PROGRAMM, NAME_KEY, START, ENDE, ERGEBNIS, EXITCODE, SCHRITT, MELDUNG, "
     "TOKENWERTE, BILD, BILD_BYTES FROM ZEP_AUSFUEHRUNG ORDER BY ID",
     "INSERT INTO ZEP_AUSFUEHRUNG (ID, PROGRAMM, NAME_KEY, START, ENDE, ERGEBNIS, EXITCODE, "
     "SCHRITT, MELDUNG, TOKENWERTE, BILD, BILD_BYTES) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
     "?9, ?10, ?11, ?12)",
     {Z, T, T, T, T, Z, Z, Z, T, T, T, Z},
     12,
     "ID"},
}};

// Creates every store's tables where they are missing.
void TabellenAnlegen(const QString& AOrt, TZEP_DBFile& ADatei) {
    TPlanManiDM(ADatei.Database()).PlanIds();
    TSimpleMask(QStringLiteral("QUANDRIX"), QStringLiteral("-"), QStringLiteral("-"),
                QStringLiteral("-"), AOrt);
    TZEP_RunHistory history(AOrt);
}

qint64 Zeilen(TVKO_Database& ADatabase, const char* ATabelle) {
    TVKO_Statement zaehlen(ADatabase,
                           (QByteArrayLiteral("SELECT COUNT(*) FROM ") + ATabelle).constData());
    zaehlen.Step();
    return zaehlen.Integer(0);
}

qint64 Kopieren(TVKO_Database& AQuelle, TVKO_Database& AZiel, const TTabelle& ATabelle) {
    TVKO_Statement lesen(AQuelle, ATabelle.Lesen);
    TVKO_Statement schreiben(AZiel, ATabelle.Schreiben);
    qint64 anzahl = 0;
    while (lesen.Step()) {
        std::array<QByteArray, 12> daten;
        for (int i = 0; i < ATabelle.Anzahl; ++i) {
            switch (ATabelle.Arten[static_cast<size_t>(i)]) {
                case TArt::Text:
                    schreiben.Bind(i + 1, lesen.Text(i));
                    break;
                case TArt::Zahl:
                    schreiben.Bind(i + 1, lesen.Integer(i));
                    break;
                case TArt::Daten:
                    daten[static_cast<size_t>(i)] = lesen.Blob(i);
                    schreiben.Bind(i + 1, daten[static_cast<size_t>(i)]);
                    break;
            }
        }
        schreiben.Step();
        schreiben.Reset();
        ++anzahl;
    }
    if (ATabelle.Id != nullptr) {
        // New rows continue after the copied ids.
        const QByteArray tabelle(ATabelle.Name);
        AZiel.Execute(
            QByteArray("SELECT setval(pg_get_serial_sequence('" + tabelle.toLower() +
                       "', 'id'), (SELECT COALESCE(MAX(ID), 0) + 1 FROM " + tabelle + "), false)")
                .constData(),
            QStringLiteral("Kopieren"));
    }
    return anzahl;
}

}  // namespace

QStringList MD_KopierenNach(const QString& AQuelle, const QString& ADienst) try {
    if (!TVKO_Database::IstDienstName(ADienst)) {
        throw EVKO_Error(QStringLiteral("„%1“ ist kein Name eines Eintrags in pg_service.conf; es "
                                        "wurde nichts kopiert.")
                             .arg(ADienst));
    }
    const QString ziel = QStringLiteral("service=") + ADienst;
    TZEP_DBFile quelle(AQuelle);
    TabellenAnlegen(AQuelle, quelle);
    TZEP_DBFile zielDatei(ziel);
    TabellenAnlegen(ziel, zielDatei);
    TVKO_Database& zielDatenbank = zielDatei.Database();
    TVKO_Transaction transaktion(zielDatenbank);
    QStringList belegt;
    for (const TTabelle& tabelle : CTabellen) {
        if (const qint64 zeilen = Zeilen(zielDatenbank, tabelle.Name); zeilen > 0) {
            belegt.append(QStringLiteral("%1 %2").arg(zeilen).arg(QString::fromUtf8(tabelle.Was)));
        }
    }
    if (!belegt.isEmpty()) {
        throw EVKO_Error(
            VKOInfo().MeldungText(MD_Koord(1059), {ADienst, belegt.join(QStringLiteral(", "))}),
            MD_Koord(1059));
    }
    QStringList bericht;
    for (const TTabelle& tabelle : CTabellen) {
        const qint64 anzahl = Kopieren(quelle.Database(), zielDatenbank, tabelle);
        bericht.append(QStringLiteral("%1: %2").arg(QString::fromUtf8(tabelle.Was)).arg(anzahl));
    }
    // The file was this workstation's alone: its plans run here and its pictures lie here.
    TVKO_Statement plaene(zielDatenbank, "UPDATE MD_PLAENE SET PLANER_ID = ?1");
    plaene.Bind(1, VKOInfo().VKOInfoPlanerID());
    plaene.Step();
    TVKO_Statement laeufe(zielDatenbank, "UPDATE ZEP_AUSFUEHRUNG SET ARBEITSPLATZ = ?1");
    laeufe.Bind(1, VKOInfo().VKOInfoTerminalID());
    laeufe.Step();
    transaktion.Commit();
    return bericht;
} catch (...) {
    RethrowRegistered("MD_KopierenNach");
}
