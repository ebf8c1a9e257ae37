#include "vko_statement.h"

#include "vko_database.h"
#include "vko_info.h"

TVKO_Statement::TVKO_Statement(TVKO_Database& ADatabase, const char* ASql) try
    : FDatabase(ADatabase), FEngine(ADatabase.Impl().Prepare(ASql)) {
} catch (...) {
    RethrowRegistered("TVKO_Statement.Create");
}

TVKO_Statement::~TVKO_Statement() = default;

void TVKO_Statement::Bind(int AIndex, const QString& AText) try {
    FEngine->Bind(AIndex, AText);
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

void TVKO_Statement::Bind(int AIndex, const QByteArray& ABlob) try {
    FEngine->Bind(AIndex, ABlob);
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

void TVKO_Statement::Bind(int AIndex, qint64 AValue) try {
    FEngine->Bind(AIndex, AValue);
} catch (...) {
    RethrowRegistered("TVKO_Statement.Bind");
}

bool TVKO_Statement::Step() try {
    return FEngine->Step(false) == TVKO_Schritt::Zeile;
} catch (...) {
    RethrowRegistered("TVKO_Statement.Step");
}

TVKO_Schritt TVKO_Statement::StepEindeutig() try { return FEngine->Step(true); } catch (...) {
    RethrowRegistered("TVKO_Statement.StepEindeutig");
}

void TVKO_Statement::Reset() noexcept {
    FEngine->Reset();
}

QString TVKO_Statement::Text(int AColumn) const {
    return QString::fromUtf8(FEngine->Utf8(AColumn));
}

QByteArray TVKO_Statement::Blob(int AColumn) const {
    return FEngine->Blob(AColumn).toByteArray();
}

qint64 TVKO_Statement::Integer(int AColumn) const {
    return FEngine->Integer(AColumn);
}
