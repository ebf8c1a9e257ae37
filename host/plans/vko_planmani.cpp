#include "vko_planmani.h"

#include "vko_database.h"
#include "vko_info.h"
#include "vko_statement.h"
#include "zep_dbfile.h"

namespace {

constexpr const char* CSchema = R"sql(
CREATE TABLE IF NOT EXISTS MD_PLAENE (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    R_ID INTEGER NOT NULL,
    PLANER_ID TEXT NOT NULL,
    JOBTEXT TEXT NOT NULL,
    FLAGS TEXT NOT NULL,
    PAAR TEXT NOT NULL,
    ZEITPLAN TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS MD_PLAN_KOMMANDOS (
    PLAN_ID INTEGER NOT NULL ,
    POSITION INTEGER NOT NULL,
    ART INTEGER NOT NULL,
    TEXT1 TEXT NOT NULL,
    TEXT2 TEXT NOT NULL,
    PROGRAMM TEXT NOT NULL,
    ARGUMENTE TEXT NOT NULL,
    PRIMARY KEY (PLAN_ID, POSITION)
);
)sql";

// Only ids of the form (row, 0, 0) are this store's; any other is unknown here.
bool ZeileVon(const TIntTrio& APlanId, qint64& AZeile) {
    AZeile = APlanId.I1;
    return APlanId.I1 > 0 && APlanId.I2 == 0 && APlanId.I3 == 0;
}

QString Flags(const TPlanSatz& APlansatz) {
    const QChar flags[] = {APlansatz.Flag1, APlansatz.Flag2, APlansatz.Flag3, APlansatz.Flag4,
                           APlansatz.Flag5};
    return QString(flags, 5);
}

void SetFlags(const QString& AFlags, TPlanSatz& APlansatz) {
    if (AFlags.size() != 5) {
        throw EVKO_Error(QStringLiteral("Die Kennzeichen eines Plansatzes sind beschädigt."),
                         CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    APlansatz.Flag1 = AFlags[0];
    APlansatz.Flag2 = AFlags[1];
    APlansatz.Flag3 = AFlags[2];
    APlansatz.Flag4 = AFlags[3];
    APlansatz.Flag5 = AFlags[4];
}

QList<TIntTrio> Ids(TVKO_Database& ADatabase, const char* ASql, const QString& AText = {}) {
    TVKO_Statement abfrage(ADatabase, ASql);
    if (!AText.isNull()) {
        abfrage.Bind(1, AText);
    }
    QList<TIntTrio> ids;
    while (abfrage.Step()) {
        ids.append(TIntTrio{static_cast<qint32>(abfrage.Integer(0)), 0, 0});
    }
    return ids;
}

}  // namespace

TPlanManiDM::TPlanManiDM() try : TPlanManiDM(TVKO_Database::DefaultPath()) {
} catch (...) {
    RethrowRegistered("TPlanManiDM.Create");
}

TPlanManiDM::TPlanManiDM(const QString& ADatabasePath) : FPath(ADatabasePath) {}

TPlanManiDM::TPlanManiDM(TVKO_Database& ADatabase)
    : FPath(ADatabase.Path()), FDatabase(&ADatabase) {}

TPlanManiDM::~TPlanManiDM() = default;

TVKO_Database& TPlanManiDM::Database() {
    if (FDatabase == nullptr) {
        FEigene = std::make_unique<TVKO_Database>(FPath);
        FDatabase = FEigene.get();
    }
    if (!FSchema) {
        FDatabase->EnsureSchema("MD_PLAENE", CSchema);
        FSchema = true;
    }
    return *FDatabase;
}

bool TPlanManiDM::PlanLaden(const TIntTrio& APlanId, TPlanSatz& APlansatz,
                            TZEP_PfadKommandoArgumenteList& AKommandos) try {
    qint64 zeile = 0;
    if (!ZeileVon(APlanId, zeile)) {
        return false;
    }
    TVKO_Statement lesen(Database(),
                         "SELECT R_ID, PLANER_ID, JOBTEXT, FLAGS, PAAR, ZEITPLAN FROM MD_PLAENE "
                         "WHERE ID = ?1");
    lesen.Bind(1, zeile);
    if (!lesen.Step()) {
        return false;
    }
    TPlanSatz satz;
    satz.PlanId = APlanId;
    satz.RId = static_cast<int>(lesen.Integer(0));
    satz.PlanerId = lesen.Text(1);
    satz.JobText = lesen.Text(2);
    SetFlags(lesen.Text(3), satz);
    satz.Paar = vko_String2TIntPair(lesen.Text(4));
    Text2Zeitplan(lesen.Text(5), satz);
    lesen.Reset();

    TVKO_Statement kommandos(Database(),
                             "SELECT ART, TEXT1, TEXT2, PROGRAMM, ARGUMENTE FROM "
                             "MD_PLAN_KOMMANDOS WHERE PLAN_ID = ?1 ORDER BY POSITION");
    kommandos.Bind(1, zeile);
    TZEP_PfadKommandoArgumenteList liste;
    while (kommandos.Step()) {
        liste.append(TZEP_PfadKommandoArgumenteRec{static_cast<quint8>(kommandos.Integer(0)),
                                                   kommandos.Text(1), kommandos.Text(2),
                                                   kommandos.Text(3), kommandos.Text(4)});
    }
    APlansatz = satz;
    AKommandos = liste;
    return true;
} catch (...) {
    RethrowRegistered("TPlanManiDM.PlanLaden");
}

bool TPlanManiDM::PlanSpeichern(TPlanSatz& APlansatz,
                                const TZEP_PfadKommandoArgumenteList& AKommandos, bool, bool) try {
    TVKO_Transaction transaktion(Database());
    qint64 zeile = 0;
    bool vorhanden = false;
    if (ZeileVon(APlansatz.PlanId, zeile)) {
        TVKO_Statement pruefen(Database(), "SELECT 1 FROM MD_PLAENE WHERE ID = ?1");
        pruefen.Bind(1, zeile);
        vorhanden = pruefen.Step();
    }
    TVKO_Statement schreiben(
        Database(), vorhanden ? "UPDATE MD_PLAENE SET R_ID = ?2, PLANER_ID = ?3, JOBTEXT = ?4, "
                                "FLAGS = ?5, PAAR = ?6, ZEITPLAN = ?7 WHERE ID = ?1"
                              : "INSERT INTO MD_PLAENE (R_ID, PLANER_ID, JOBTEXT, FLAGS, PAAR, "
                                "ZEITPLAN) VALUES (?2, ?3, ?4, ?5, ?6, ?7)");
    if (vorhanden) {
        schreiben.Bind(1, zeile);
    }
    schreiben.Bind(2, static_cast<qint64>(APlansatz.RId));
    schreiben.Bind(3, APlansatz.PlanerId);
    schreiben.Bind(4, APlansatz.JobText);
    schreiben.Bind(5, Flags(APlansatz));
    schreiben.Bind(6, vko_TIntPair2String(APlansatz.Paar));
    schreiben.Bind(7, Zeitplan2Text(APlansatz));
    schreiben.Step();
    if (!vorhanden) {
        zeile = Database().LastInsertId();
    }
    TVKO_Statement leeren(Database(), "DELETE FROM MD_PLAN_KOMMANDOS WHERE PLAN_ID = ?1");
    leeren.Bind(1, zeile);
    leeren.Step();
    TVKO_Statement kommando(Database(),
                            "INSERT INTO MD_PLAN_KOMMANDOS (PLAN_ID, POSITION, ART, TEXT1, TEXT2, "
                            "PROGRAMM, ARGUMENTE) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    for (qsizetype i = 0; i < AKommandos.size(); ++i) {
        const TZEP_PfadKommandoArgumenteRec& rec = AKommandos[i];
        kommando.Bind(1, zeile);
        kommando.Bind(2, static_cast<qint64>(i));
        kommando.Bind(3, static_cast<qint64>(rec.Art));
        kommando.Bind(4, rec.Text1);
        kommando.Bind(5, rec.Text2);
        kommando.Bind(6, rec.Programm);
        kommando.Bind(7, rec.Argumente);
        kommando.Step();
        kommando.Reset();
    }
    transaktion.Commit();
    APlansatz.PlanId = TIntTrio{static_cast<qint32>(zeile), 0, 0};
    return true;
} catch (...) {
    RethrowRegistered("TPlanManiDM.PlanSpeichern");
}

bool TPlanManiDM::PlanLoeschen(const TIntTrio& APlanId) try {
    qint64 zeile = 0;
    if (!ZeileVon(APlanId, zeile)) {
        return false;
    }
    TVKO_Transaction transaktion(Database());
    TVKO_Statement kommandos(Database(), "DELETE FROM MD_PLAN_KOMMANDOS WHERE PLAN_ID = ?1");
    kommandos.Bind(1, zeile);
    kommandos.Step();
    TVKO_Statement loeschen(Database(), "DELETE FROM MD_PLAENE WHERE ID = ?1");
    loeschen.Bind(1, zeile);
    loeschen.Step();
    const bool geloescht = Database().Changes() > 0;
    transaktion.Commit();
    return geloescht;
} catch (...) {
    RethrowRegistered("TPlanManiDM.PlanLoeschen");
}

QList<TIntTrio> TPlanManiDM::PlanIds_ByJobText(const QString& AJobText) try {
    return Ids(Database(), "SELECT ID FROM MD_PLAENE WHERE JOBTEXT = ?1 COLLATE NOCASE ORDER BY ID",
               AJobText);
} catch (...) {
    RethrowRegistered("TPlanManiDM.PlanIds_ByJobText");
}

QList<TIntTrio> TPlanManiDM::PlanIds() try {
    return Ids(Database(), "SELECT ID FROM MD_PLAENE ORDER BY ID");
} catch (...) {
    RethrowRegistered("TPlanManiDM.PlanIds");
}

bool TPlanManiDM::Mandorel_ZumPlan(const TPlanSatz& APlansatz, QString& AProgramm,
                                   QString& ANameKey) try {
    const QStringList teile = APlansatz.JobText.split(QLatin1Char(';'));
    if (teile.size() != 3 || teile[0] != QLatin1String("Mandorel") || teile[1].isEmpty() ||
        teile[2].isEmpty()) {
        return false;
    }
    QString programm = teile[1];
    QString nameKey = teile[2];
    if (!TZEP_DBFile::Gespeichert(Database(), programm, nameKey)) {
        return false;
    }
    AProgramm = programm;
    ANameKey = nameKey;
    return true;
} catch (...) {
    RethrowRegistered("TPlanManiDM.Mandorel_ZumPlan");
}
