#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class TVKO_DatabaseEngine;

// Which engine a connection runs on.
enum class TVKO_Engine {
    // One file in the data folder: the embedded default.
    SQLite,
    // A server that a team shares, reached through libpq.
    PostgreSQL,
};

// A connection to the database that the record file, the plan store, the settings store and the
// run history share. Its location is either a file (the embedded engine) or a libpq connection
// ("service=<name>" or a "postgresql://" address) for a database a team shares. SQL is written
// once with ?1, ?2 ... for parameters; where the engines' SQL differs, a store picks with Sql.
// A connection belongs to one thread.
class TVKO_Database {
public:
    // How long a write waits for the write of another process before it fails. A commit takes
    // milliseconds; the margin covers many scheduled runs starting at once beside a window.
    static constexpr int CBusyTimeoutMs = 15000;

    // The service that MD_Datenbank.ini in the settings folder names (DIENST=<name>, the
    // connection itself in pg_service.conf), or without that file quandrix.db in the data folder.
    static QString DefaultPath();
    // The database of DefaultPath as the window's header names it.
    static QString DefaultName();
    // A service name as pg_service.conf names its sections; nothing that could add another
    // connection parameter.
    static bool IstDienstName(const QString& AName);
    // Whether ALocation names a server connection rather than a file.
    static bool IstServer(const QString& ALocation);

    explicit TVKO_Database(const QString& ALocation);
    ~TVKO_Database();
    TVKO_Database(const TVKO_Database&) = delete;
    TVKO_Database& operator=(const TVKO_Database&) = delete;

    const QString& Path() const { return FPath; }
    TVKO_Engine Engine() const { return FEngineArt; }
    // ASqlite on the embedded engine, APostgres on the server.
    const char* Sql(const char* ASqlite, const char* APostgres) const {
        return FEngineArt == TVKO_Engine::SQLite ? ASqlite : APostgres;
    }

    void SetBusyTimeout(int AMilliseconds);
    // Runs SQL without results; AAktion names the work in an error ("Schreiben").
    void Execute(const char* ASql, const QString& AAktion);
    // Creates the tables of ACreateSql (statements with IF NOT EXISTS) unless ATable exists.
    // Safe when several processes do it at once.
    void EnsureSchema(const char* ATable, const char* ACreateSql);
    // Adds a column that a table of an earlier build lacks; ADefinition is the column's name
    // and type as ALTER TABLE ADD COLUMN takes them. Safe when several processes do it at once.
    void EnsureColumn(const char* ATable, const char* AColumn, const char* ADefinition);
    // Rows changed by the last write statement.
    qint64 Changes() const;
    qint64 LastInsertId();
    // Changes whenever another connection has committed a change since the last question.
    qint64 Datenstand();

    TVKO_DatabaseEngine& Impl() { return *FEngine; }

private:
    QString FPath;
    TVKO_Engine FEngineArt;
    std::unique_ptr<TVKO_DatabaseEngine> FEngine;
};

// A write transaction. On the embedded engine BEGIN IMMEDIATE takes the write lock up front, so
// a busy database makes it wait at the start rather than fail half way. Rolls back in its
// destructor unless committed. Opened inside another transaction of the same connection it is a
// part of that one: its commit keeps its writes for the outer one, its rollback takes back only
// its own.
class TVKO_Transaction {
public:
    explicit TVKO_Transaction(TVKO_Database& ADatabase);
    ~TVKO_Transaction();
    TVKO_Transaction(const TVKO_Transaction&) = delete;
    TVKO_Transaction& operator=(const TVKO_Transaction&) = delete;

    void Commit();

private:
    TVKO_Database& FDatabase;
    bool FInnen = false;
    bool FCommitted = false;
};
