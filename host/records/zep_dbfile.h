#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <memory>

#include "vko_inttrio.h"

class TVKO_Database;

// The suite's operation codes for writing a record.
enum class TZEP_DBOperation {
    wrdonInsert,
    wrdonUpdate,
    wrdonDelete,
};

// The record file of Mandorele: one table of the database quandrix.db in the data folder,
// keyed by program key and name key. The name key is derived from the display name on insert.
// The database runs in WAL mode with a busy timeout, so that an open window and scheduled runs
// share it; the file is readable by its owner only.
//
// Like the suite's record files it works through a record buffer: set key values and values,
// then read, walk or write.
class TZEP_DBFile {
public:
    // Field names of the record buffer.
    static constexpr const char* CProgramKey = "PROGRAMM";
    static constexpr const char* CNameKey = "NAME_KEY";
    static constexpr const char* CDisplayName = "NAME_ANZEIGE";
    static constexpr const char* CCreatedBy = "ERSTELLT_VON";
    static constexpr const char* CChangedBy = "GEAENDERT_VON";

    // Opens (and creates when missing) the database in the data folder.
    TZEP_DBFile();
    // Opens the database at ADatabasePath; for tests and benchmarks.
    explicit TZEP_DBFile(const QString& ADatabasePath);
    ~TZEP_DBFile();
    TZEP_DBFile(const TZEP_DBFile&) = delete;
    TZEP_DBFile& operator=(const TZEP_DBFile&) = delete;

    QString DatabasePath() const;

    // How long a write of record files opened from now on waits for another process's write
    // (TVKO_Database::CBusyTimeoutMs unless set); answers the value it replaces. Tests shorten
    // it, so that a database another connection keeps locked fails at once.
    static int SetBusyTimeoutOfNewFiles(int AMilliseconds);

    // Empties the record buffer and ends a walk.
    void Reset();
    // Sets a key field's search value (program key or name key).
    void SetKeyWert(const char* AField, const QString& AWert);
    // Sets a field of the record buffer (display name, or the users as TIntPair text).
    void SetWert(const char* AField, const QString& AWert);
    void SetWert(const char* AField, const TIntPair& AWert);
    // A field of the current record.
    QString Wert(const char* AField) const;

    // Reads the record with the set program key and name key (case-insensitive); true when found.
    [[nodiscard]] bool Read();
    // Walks all records in the order they were inserted; Found tells whether there is a
    // current record. Get_next_extMode continues after the current record, also after a write.
    [[nodiscard]] bool Get_first_extMode();
    [[nodiscard]] bool Get_next_extMode();
    bool Found() const;

    // The current record's change counter: 1 when inserted, one more with every update. An
    // update writes only over the version that was read, so it never overwrites a change
    // another program made since.
    qint64 Version() const;

    // A new stream over the current record's blob; the caller releases it.
    std::unique_ptr<QIODevice> CreateBlobStream() const;
    // The current record's blob itself, without a stream around it.
    QByteArray BlobBytes() const;
    // The same without a copy: valid only until the walk moves on or the record buffer changes.
    QByteArrayView BlobView() const;

    // Starts writing the blob of a record: insert uses the buffer's program key and display
    // name (the name key is derived from it); update the current record. Returns the stream to
    // write the blob into; EndStreamBuchung writes the record in one transaction. With
    // AAnhaengen an update's stream starts with the current blob, to append to it.
    QIODevice& StartStreamBuchung(TZEP_DBOperation AOperation, bool AAnhaengen);
    void EndStreamBuchung();
    // Writes the current record with the delete code (the only code it takes).
    void Write(TZEP_DBOperation AOperation);

    // The connection, for settings such as the busy timeout, and for writes that must be
    // stored in the same transaction as a record.
    TVKO_Database& Database();

    // Whether ADatabase stores a record with the keys AProgramm and ANameKey (without regard
    // to case); when it does, both become the keys as stored.
    static bool Gespeichert(TVKO_Database& ADatabase, QString& AProgramm, QString& ANameKey);

private:
    struct TState;
    std::unique_ptr<TState> FState;
};
