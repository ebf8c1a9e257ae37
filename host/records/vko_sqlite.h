#pragma once

#include <QString>
#include <memory>

#include "vko_db_engine.h"

struct sqlite3;

// The embedded engine: one database file in the data folder, readable by its owner only, since
// token values can be passwords, in WAL mode, so that an open window and scheduled runs read
// while one of them writes. A connection belongs to one thread.
class TVKO_SqliteDatabase : public TVKO_DatabaseEngine {
public:
    TVKO_SqliteDatabase(const QString& APath, int ABusyTimeoutMs);
    ~TVKO_SqliteDatabase() override;

    std::unique_ptr<TVKO_StatementEngine> Prepare(const char* ASql) override;
    void SetBusyTimeout(int AMilliseconds) override;
    void Execute(const char* ASql, const QString& AAktion) override;
    bool HasTable(const char* ATable) override;
    bool HasColumn(const char* ATable, const char* AColumn) override;
    void SchemaSperren() override {}
    void SchemaErgaenzen(const char*) override {}
    qint64 Changes() const override;
    qint64 LastInsertId() override;
    bool InTransaction() const override;
    const char* BeginSql() const override { return "BEGIN IMMEDIATE"; }
    qint64 Datenstand() override;

    sqlite3* Handle() const { return FHandle.get(); }
    // Raises the clear error for a result code of this connection; it names the file.
    [[noreturn]] void Raise(int AResult, const QString& AAktion) const;

private:
    // Puts the database into WAL mode and answers the journal mode it then has.
    QString SwitchToWal();

    struct TClose {
        void operator()(sqlite3* AHandle) const noexcept;
    };

    QString FPath;
    std::unique_ptr<sqlite3, TClose> FHandle;
    int FBusyTimeoutMs;
};
