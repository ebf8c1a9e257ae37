#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

struct sqlite3;

// A connection to the one database file that the record file, the plan store and the settings
// store share. Opening keeps the file (and its WAL companions) readable by its owner only,
// since token values can be passwords, and switches it to WAL mode, so that an open window and
// scheduled runs read while one of them writes. A connection belongs to one thread.
class TVKO_Database {
public:
    // How long a write waits for the write of another process before it fails. A commit takes
    // milliseconds; the margin covers many scheduled runs starting at once beside a window.
    static constexpr int CBusyTimeoutMs = 15000;

    // quandrix.db in the data folder.
    static QString DefaultPath();

    explicit TVKO_Database(const QString& APath);
    ~TVKO_Database();
    TVKO_Database(const TVKO_Database&) = delete;
    TVKO_Database& operator=(const TVKO_Database&) = delete;

    const QString& Path() const { return FPath; }
    sqlite3* Handle() const { return FHandle.get(); }

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
    qint64 LastInsertId() const;

    // Raises the clear error for a result code of this connection; it names the file.
    [[noreturn]] void Raise(int AResult, const QString& AAktion) const;

private:
    bool HasColumn(const char* ATable, const char* AColumn);
    // Puts the database into WAL mode and answers the journal mode it then has.
    QString SwitchToWal();

    struct TClose {
        void operator()(sqlite3* AHandle) const noexcept;
    };

    QString FPath;
    std::unique_ptr<sqlite3, TClose> FHandle;
    int FBusyTimeoutMs = CBusyTimeoutMs;
};

// A write transaction. BEGIN IMMEDIATE takes the write lock up front, so a busy database makes
// it wait at the start rather than fail half way. Rolls back in its destructor unless committed.
// Opened inside another transaction of the same connection it is a part of that one: its
// commit keeps its writes for the outer one, its rollback takes back only its own.
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
