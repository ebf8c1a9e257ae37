#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <memory>

// What one step of a statement yields.
enum class TVKO_Schritt {
    Zeile,
    Fertig,
    // A unique key forbids the row; nothing was written.
    Doppelt,
};

// A statement of one engine; TVKO_Statement forwards to it.
class TVKO_StatementEngine {
public:
    virtual ~TVKO_StatementEngine() = default;
    virtual void Bind(int AIndex, const QString& AText) = 0;
    virtual void Bind(int AIndex, const QByteArray& ABlob) = 0;
    virtual void Bind(int AIndex, qint64 AValue) = 0;
    virtual TVKO_Schritt Step(bool ADoppeltErlaubt) = 0;
    virtual void Reset() noexcept = 0;
    // A column's bytes (a text's as UTF-8) without a copy; valid until the next Step or Reset.
    virtual QByteArrayView Utf8(int AColumn) const = 0;
    virtual QByteArrayView Blob(int AColumn) const = 0;
    virtual qint64 Integer(int AColumn) const = 0;
};

// A connection of one engine; TVKO_Database forwards to it. SQL is written with ?1, ?2 ...
// for parameters on both engines.
class TVKO_DatabaseEngine {
public:
    virtual ~TVKO_DatabaseEngine() = default;
    virtual std::unique_ptr<TVKO_StatementEngine> Prepare(const char* ASql) = 0;
    virtual void SetBusyTimeout(int AMilliseconds) = 0;
    virtual void Execute(const char* ASql, const QString& AAktion) = 0;
    virtual bool HasTable(const char* ATable) = 0;
    virtual bool HasColumn(const char* ATable, const char* AColumn) = 0;
    // Within a write transaction: waits until no other process changes the schema.
    virtual void SchemaSperren() = 0;
    // After the tables of ATable were created: whatever the engine needs to tell other
    // connections of changes to it.
    virtual void SchemaErgaenzen(const char* ATable) = 0;
    virtual qint64 Changes() const = 0;
    virtual qint64 LastInsertId() = 0;
    virtual bool InTransaction() const = 0;
    virtual const char* BeginSql() const = 0;
    // A counter that changes whenever another connection committed a change.
    virtual qint64 Datenstand() = 0;
};
