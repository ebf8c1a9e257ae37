#pragma once

#include <QString>
#include <memory>

#include "vko_db_engine.h"

struct pg_conn;
struct pg_result;

// The engine a team shares: a PostgreSQL database reached through libpq. The location is a
// libpq connection ("service=<name>" names an entry of pg_service.conf; passwords stay in
// ~/.pgpass). Every statement waits at most the busy timeout (statement_timeout and
// lock_timeout). A lost connection is opened again before the next statement outside a
// transaction. Other connections' commits reach Datenstand through LISTEN/NOTIFY.
class TVKO_PostgresDatabase : public TVKO_DatabaseEngine {
public:
    TVKO_PostgresDatabase(const QString& ALocation, int ABusyTimeoutMs);
    ~TVKO_PostgresDatabase() override;

    std::unique_ptr<TVKO_StatementEngine> Prepare(const char* ASql) override;
    void SetBusyTimeout(int AMilliseconds) override;
    void Execute(const char* ASql, const QString& AAktion) override;
    bool HasTable(const char* ATable) override;
    bool HasColumn(const char* ATable, const char* AColumn) override;
    void SchemaSperren() override;
    void SchemaErgaenzen(const char* ATable) override;
    qint64 Changes() const override { return FChanges; }
    qint64 LastInsertId() override;
    bool InTransaction() const override;
    const char* BeginSql() const override { return "BEGIN"; }
    qint64 Datenstand() override;

    // Runs a command with parameters (text, or binary where AFormats says 1) and answers its
    // result, or raises the clear error; a unique key violation answers nullptr when
    // ADoppeltErlaubt.
    struct TResultFree {
        void operator()(pg_result* AResult) const noexcept;
    };
    using TResult = std::unique_ptr<pg_result, TResultFree>;
    TResult Run(const QByteArray& ASql, int ACount, const char* const* AValues, const int* ALengths,
                const int* AFormats, const unsigned int* ATypes, bool ADoppeltErlaubt,
                const QString& AAktion);

    // The socket that notifications arrive on; -1 without a connection.
    int Socket() const;

private:
    void Verbinden();
    void EnsureConnection();
    [[noreturn]] void RaiseResult(const pg_result* AResult, const QString& AAktion);
    [[noreturn]] void RaiseVerbindung(const QString& AGrund);

    struct TFinish {
        void operator()(pg_conn* AConnection) const noexcept;
    };

    QString FLocation;
    std::unique_ptr<pg_conn, TFinish> FConnection;
    int FBusyTimeoutMs;
    qint64 FChanges = 0;
    qint64 FFremdeAenderungen = 0;
};
