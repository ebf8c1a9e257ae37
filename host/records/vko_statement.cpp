#include "vko_statement.h"

#include <sqlite3.h>

#include "vko_database.h"
#include "vko_info.h"

void TVKO_Statement::TFinalize::operator()(sqlite3_stmt* AHandle) const noexcept {
    sqlite3_finalize(AHandle);
}

TVKO_Statement::TVKO_Statement(TVKO_Database& ADatabase, const char* ASql) try
    : FDatabase(ADatabase) {
    sqlite3_stmt* handle = nullptr;
    const int result = sqlite3_prepare_v3(FDatabase.Handle(), ASql, -1, SQLITE_PREPARE_PERSISTENT,
                                          &handle, nullptr);
    FHandle.reset(handle);
    if (result != SQLITE_OK) {
        FDatabase.Raise(result, QStringLiteral("Vorbereiten einer Abfrage"));
    }
} catch (...) {
    RethrowRegistered("TVKO_Statement.Create");
}

TVKO_Statement::~TVKO_Statement() = default;

void TVKO_Statement::Raise(int AResult) const {
    FDatabase.Raise(AResult, sqlite3_stmt_readonly(FHandle.get()) != 0
                                 ? QStringLiteral("Lesen")
                                 : QStringLiteral("Schreiben"));
}

void TVKO_Statement::Bind(int AIndex, const QString& AText) try {
    const QByteArray utf8 = AText.toUtf8();
    // A null pointer would bind NULL; an empty text stays an empty text.
    const int result = sqlite3_bind_text64(
        FHandle.get(), AIndex, utf8.isNull() ? "" : utf8.constData(),
        static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (result != SQLITE_OK) {
        Raise(result);
    }
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

void TVKO_Statement::Bind(int AIndex, const QByteArray& ABlob) try {
    const int result =
        ABlob.isEmpty()
            ? sqlite3_bind_zeroblob(FHandle.get(), AIndex, 0)
            : sqlite3_bind_blob64(FHandle.get(), AIndex, ABlob.constData(),
                                  static_cast<sqlite3_uint64>(ABlob.size()), SQLITE_STATIC);
    if (result != SQLITE_OK) {
        Raise(result);
    }
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

void TVKO_Statement::Bind(int AIndex, qint64 AValue) try {
    const int result = sqlite3_bind_int64(FHandle.get(), AIndex, AValue);
    if (result != SQLITE_OK) {
        Raise(result);
    }
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

bool TVKO_Statement::Step() try {
    const int result = sqlite3_step(FHandle.get());
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result != SQLITE_DONE) {
        Raise(result);
    }
    return false;
} catch (...) {
    RethrowRegistered("TVKO_Statement.Step");
}

int TVKO_Statement::StepResult() {
    return sqlite3_step(FHandle.get());
}

void TVKO_Statement::Reset() noexcept {
    sqlite3_reset(FHandle.get());
    sqlite3_clear_bindings(FHandle.get());
}

QString TVKO_Statement::Text(int AColumn) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FHandle.get(), AColumn));
    return QString::fromUtf8(text, sqlite3_column_bytes(FHandle.get(), AColumn));
}

QByteArray TVKO_Statement::Blob(int AColumn) const {
    const auto* blob = static_cast<const char*>(sqlite3_column_blob(FHandle.get(), AColumn));
    return QByteArray(blob, blob ? sqlite3_column_bytes(FHandle.get(), AColumn) : 0);
}

qint64 TVKO_Statement::Integer(int AColumn) const {
    return sqlite3_column_int64(FHandle.get(), AColumn);
}
