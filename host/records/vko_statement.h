#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

#include "vko_db_engine.h"

class TVKO_Database;

// A statement of a database connection, prepared once and run many times. Parameters are
// written ?1, ?2 ... on every engine.
class TVKO_Statement {
public:
    TVKO_Statement(TVKO_Database& ADatabase, const char* ASql);
    ~TVKO_Statement();
    TVKO_Statement(const TVKO_Statement&) = delete;
    TVKO_Statement& operator=(const TVKO_Statement&) = delete;

    void Bind(int AIndex, const QString& AText);
    // Binds without a copy: ABlob must stay unchanged until Reset.
    void Bind(int AIndex, const QByteArray& ABlob);
    void Bind(int AIndex, qint64 AValue);

    // True when a row is there, false when the statement is done; raises the clear error
    // otherwise.
    bool Step();
    // Like Step, but a row that a unique key forbids answers Doppelt instead of an error.
    TVKO_Schritt StepEindeutig();
    // Ends the current run, which also releases its read lock, and drops the bindings.
    void Reset() noexcept;

    // Columns of the current row.
    QString Text(int AColumn) const;
    QByteArray Blob(int AColumn) const;
    // The same bytes without a copy; valid until the next Step or Reset.
    QByteArrayView Utf8(int AColumn) const { return FEngine->Utf8(AColumn); }
    QByteArrayView BlobView(int AColumn) const { return FEngine->Blob(AColumn); }
    qint64 Integer(int AColumn) const;

    TVKO_Database& Database() const { return FDatabase; }

private:
    TVKO_Database& FDatabase;
    std::unique_ptr<TVKO_StatementEngine> FEngine;
};

// Resets a statement when the scope ends, also after an error, so that neither a read lock nor
// a pointer to a bound value outlives its use.
class TVKO_StatementReset {
public:
    explicit TVKO_StatementReset(TVKO_Statement& AStatement) : FStatement(AStatement) {}
    ~TVKO_StatementReset() { FStatement.Reset(); }
    TVKO_StatementReset(const TVKO_StatementReset&) = delete;
    TVKO_StatementReset& operator=(const TVKO_StatementReset&) = delete;

private:
    TVKO_Statement& FStatement;
};
