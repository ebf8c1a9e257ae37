#include "vko_database.h"

#include <QDir>

#include "vko_datenbank_einstellung.h"
#include "vko_db_engine.h"
#include "vko_folder.h"
#include "vko_info.h"
#include "vko_postgres.h"
#include "vko_sqlite.h"

bool TVKO_Database::IstDienstName(const QString& AName) {
    return VKO_IstKennName(AName);
}

namespace {

QString Dienst() {
    return VKO_DatenbankEinstellung().Dienst;
}

std::unique_ptr<TVKO_DatabaseEngine> Oeffnen(const QString& ALocation) {
    if (TVKO_Database::IstServer(ALocation)) {
        return std::make_unique<TVKO_PostgresDatabase>(ALocation, TVKO_Database::CBusyTimeoutMs);
    }
    return std::make_unique<TVKO_SqliteDatabase>(ALocation, TVKO_Database::CBusyTimeoutMs);
}

}  // namespace

QString TVKO_Database::DefaultPath() try {
    const QString dienst = Dienst();
    if (!dienst.isEmpty()) {
        return QStringLiteral("service=") + dienst;
    }
    return VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db"));
} catch (...) {
    RethrowRegistered("TVKO_Database.DefaultPath");
}

QString TVKO_Database::DefaultName() try {
    const QString dienst = Dienst();
    if (!dienst.isEmpty()) {
        return QStringLiteral("gemeinsame Datenbank „%1“").arg(dienst);
    }
    return QStringLiteral("Datenbank %1")
        .arg(QDir::toNativeSeparators(
            VKO_FilePath(TVKOFolder::Daten, QStringLiteral("quandrix.db"))));
} catch (...) {
    RethrowRegistered("TVKO_Database.DefaultName");
}

bool TVKO_Database::IstServer(const QString& ALocation) {
    return ALocation.startsWith(QLatin1String("service=")) ||
           ALocation.startsWith(QLatin1String("postgresql://"));
}

TVKO_Database::TVKO_Database(const QString& ALocation) try
    : FPath(ALocation),
      FEngineArt(IstServer(ALocation) ? TVKO_Engine::PostgreSQL : TVKO_Engine::SQLite),
      FEngine(Oeffnen(ALocation)) {
} catch (...) {
    RethrowRegistered("TVKO_Database.Create");
}

TVKO_Database::~TVKO_Database() = default;

void TVKO_Database::SetBusyTimeout(int AMilliseconds) try {
    FEngine->SetBusyTimeout(AMilliseconds);
} catch (...) {
    RethrowRegistered("TVKO_Database.SetBusyTimeout");
}

void TVKO_Database::Execute(const char* ASql, const QString& AAktion) try {
    FEngine->Execute(ASql, AAktion);
} catch (...) {
    RethrowRegistered("TVKO_Database.Execute");
}

void TVKO_Database::EnsureSchema(const char* ATable, const char* ACreateSql) try {
    // Reading first spares every later start the write lock.
    if (FEngine->HasTable(ATable)) {
        return;
    }
    TVKO_Transaction transaction(*this);
    FEngine->SchemaSperren();
    // Another process may have created it while this one waited for the lock.
    if (!FEngine->HasTable(ATable)) {
        Execute(ACreateSql, QStringLiteral("Anlegen der Tabellen"));
        FEngine->SchemaErgaenzen(ATable);
    }
    transaction.Commit();
} catch (...) {
    RethrowRegistered("TVKO_Database.EnsureSchema");
}

void TVKO_Database::EnsureColumn(const char* ATable, const char* AColumn,
                                 const char* ADefinition) try {
    if (FEngine->HasColumn(ATable, AColumn)) {
        return;
    }
    TVKO_Transaction transaction(*this);
    FEngine->SchemaSperren();
    // Another process may have added it while this one waited for the lock.
    if (!FEngine->HasColumn(ATable, AColumn)) {
        const QByteArray sql = QByteArrayLiteral("ALTER TABLE ") + ATable +
                               QByteArrayLiteral(" ADD COLUMN ") + ADefinition;
        Execute(sql.constData(), QStringLiteral("Erweitern der Tabellen"));
    }
    transaction.Commit();
} catch (...) {
    RethrowRegistered("TVKO_Database.EnsureColumn");
}

qint64 TVKO_Database::Changes() const {
    return FEngine->Changes();
}

qint64 TVKO_Database::LastInsertId() try { return FEngine->LastInsertId(); } catch (...) {
    RethrowRegistered("TVKO_Database.LastInsertId");
}

qint64 TVKO_Database::Datenstand() try { return FEngine->Datenstand(); } catch (...) {
    RethrowRegistered("TVKO_Database.Datenstand");
}

TVKO_Transaction::TVKO_Transaction(TVKO_Database& ADatabase) try : FDatabase(ADatabase) {
    FInnen = FDatabase.Impl().InTransaction();
    FDatabase.Execute(FInnen ? "SAVEPOINT md_innen" : FDatabase.Impl().BeginSql(),
                      QStringLiteral("Schreiben"));
} catch (...) {
    RethrowRegistered("TVKO_Transaction.Create");
}

TVKO_Transaction::~TVKO_Transaction() {
    // A failed COMMIT or a full disk can have ended the transaction already.
    if (!FCommitted && FDatabase.Impl().InTransaction()) {
        ReleaseGuarded("TVKO_Transaction.Destroy", [this] {
            FDatabase.Execute(FInnen ? "ROLLBACK TO md_innen; RELEASE md_innen" : "ROLLBACK",
                              QStringLiteral("Zurücknehmen einer Änderung"));
        });
    }
}

void TVKO_Transaction::Commit() try {
    FDatabase.Execute(FInnen ? "RELEASE md_innen" : "COMMIT", QStringLiteral("Schreiben"));
    FCommitted = true;
} catch (...) {
    RethrowRegistered("TVKO_Transaction.Commit");
}
