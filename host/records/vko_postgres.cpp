#include "vko_postgres.h"

#include <libpq-fe.h>
#include <QLocale>
#include <QtEndian>
#include <vector>

#include "vko_info.h"

namespace {

// One number for every schema change of the stores, so that two processes never create or
// extend the same table at once.
constexpr const char* CSchemaSperre = "SELECT pg_advisory_xact_lock(7265434)";
constexpr Oid CBytea = 17;
constexpr Oid CText = 25;
constexpr Oid CInt8 = 20;
constexpr Oid CInt4 = 23;
constexpr Oid CInt2 = 21;

constexpr const char* CMelden = R"sql(
CREATE OR REPLACE FUNCTION MD_AENDERUNG_MELDEN() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('quandrix', TG_TABLE_NAME);
    RETURN NULL;
END
$$;
)sql";

// The service as the user named it, or the whole location.
QString Dienst(const QString& ALocation) {
    return ALocation.startsWith(QLatin1String("service=")) ? ALocation.mid(int(qstrlen("service=")))
                                                           : ALocation;
}

QString Fehlertext(const char* AText) {
    return QString::fromUtf8(AText).trimmed();
}

// ?1, ?2 ... become $1, $2 ... outside quoted text.
QByteArray Platzhalter(const char* ASql) {
    QByteArray sql(ASql);
    char zitat = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const char zeichen = sql[i];
        if (zitat != 0) {
            zitat = zeichen == zitat ? 0 : zitat;
        } else if (zeichen == '\'' || zeichen == '"') {
            zitat = zeichen;
        } else if (zeichen == '?') {
            sql[i] = '$';
        }
    }
    return sql;
}

void KeineHinweise(void*, const char*) {}

class TPostgresStatement : public TVKO_StatementEngine {
public:
    TPostgresStatement(TVKO_PostgresDatabase& ADatabase, const char* ASql)
        : FDatabase(ADatabase), FSql(Platzhalter(ASql)) {}

    void Bind(int AIndex, const QString& AText) override {
        Setzen(AIndex, AText.toUtf8(), 0, CText);
    }

    void Bind(int AIndex, const QByteArray& ABlob) override { Setzen(AIndex, ABlob, 1, CBytea); }

    void Bind(int AIndex, qint64 AValue) override {
        Setzen(AIndex, QByteArray::number(AValue), 0, CInt8);
    }

    TVKO_Schritt Step(bool ADoppeltErlaubt) override {
        if (!FResult) {
            Ausfuehren(ADoppeltErlaubt);
            if (!FResult) {
                return TVKO_Schritt::Doppelt;
            }
            FZeile = -1;
        }
        ++FZeile;
        return FZeile < PQntuples(FResult.get()) ? TVKO_Schritt::Zeile : TVKO_Schritt::Fertig;
    }

    void Reset() noexcept override {
        FResult.reset();
        FWerte.clear();
        FFormate.clear();
        FTypen.clear();
    }

    QByteArrayView Utf8(int AColumn) const override { return {Wert(AColumn), Laenge(AColumn)}; }

    QByteArrayView Blob(int AColumn) const override { return {Wert(AColumn), Laenge(AColumn)}; }

    qint64 Integer(int AColumn) const override {
        const char* wert = Wert(AColumn);
        switch (PQftype(FResult.get(), AColumn)) {
            case CInt8:
                return qFromBigEndian<qint64>(wert);
            case CInt4:
                return qFromBigEndian<qint32>(wert);
            case CInt2:
                return qFromBigEndian<qint16>(wert);
            default:
                return Laenge(AColumn) == 1 ? qint64(*wert) : 0;
        }
    }

private:
    void Setzen(int AIndex, const QByteArray& AWert, int AFormat, Oid AType) {
        const auto index = static_cast<size_t>(AIndex - 1);
        if (FWerte.size() <= index) {
            FWerte.resize(index + 1);
            FFormate.resize(index + 1, 0);
            // A number the statement does not use still needs a type.
            FTypen.resize(index + 1, CText);
        }
        // An empty text binds an empty text, not NULL.
        FWerte[index] = AWert.isNull() ? QByteArray("") : AWert;
        FFormate[index] = AFormat;
        FTypen[index] = AType;
    }

    void Ausfuehren(bool ADoppeltErlaubt) {
        std::vector<const char*> werte;
        std::vector<int> laengen;
        for (const QByteArray& wert : FWerte) {
            werte.push_back(wert.constData());
            laengen.push_back(static_cast<int>(wert.size()));
        }
        FResult = FDatabase.Run(FSql, static_cast<int>(FWerte.size()), werte.data(), laengen.data(),
                                FFormate.data(), FTypen.data(), ADoppeltErlaubt,
                                FSql.trimmed().startsWith("SELECT") ? QStringLiteral("Lesen")
                                                                    : QStringLiteral("Schreiben"));
    }

    const char* Wert(int AColumn) const {
        if (!FResult || FZeile < 0 || FZeile >= PQntuples(FResult.get())) {
            return "";
        }
        return PQgetvalue(FResult.get(), FZeile, AColumn);
    }

    int Laenge(int AColumn) const {
        if (!FResult || FZeile < 0 || FZeile >= PQntuples(FResult.get())) {
            return 0;
        }
        return PQgetlength(FResult.get(), FZeile, AColumn);
    }

    TVKO_PostgresDatabase& FDatabase;
    QByteArray FSql;
    std::vector<QByteArray> FWerte;
    std::vector<int> FFormate;
    std::vector<Oid> FTypen;
    TVKO_PostgresDatabase::TResult FResult;
    int FZeile = -1;
};

}  // namespace

void TVKO_PostgresDatabase::TFinish::operator()(pg_conn* AConnection) const noexcept {
    PQfinish(AConnection);
}

void TVKO_PostgresDatabase::TResultFree::operator()(pg_result* AResult) const noexcept {
    PQclear(AResult);
}

TVKO_PostgresDatabase::TVKO_PostgresDatabase(const QString& ALocation, int ABusyTimeoutMs)
    : FLocation(ALocation), FBusyTimeoutMs(ABusyTimeoutMs) {
    Verbinden();
}

TVKO_PostgresDatabase::~TVKO_PostgresDatabase() = default;

void TVKO_PostgresDatabase::Verbinden() {
    FConnection.reset(PQconnectdb(FLocation.toUtf8().constData()));
    if (!FConnection) {
        throw std::bad_alloc();
    }
    if (PQstatus(FConnection.get()) != CONNECTION_OK) {
        const QString grund = Fehlertext(PQerrorMessage(FConnection.get()));
        FConnection.reset();
        throw EVKO_Error(VKOInfo().MeldungText(MD_Koord(1055), {Dienst(FLocation), grund}),
                         MD_Koord(1055));
    }
    PQsetNoticeProcessor(FConnection.get(), KeineHinweise, nullptr);
    PQsetClientEncoding(FConnection.get(), "UTF8");
    SetBusyTimeout(FBusyTimeoutMs);
    Execute("LISTEN quandrix", QStringLiteral("Öffnen"));
}

void TVKO_PostgresDatabase::EnsureConnection() {
    if (FConnection && PQstatus(FConnection.get()) == CONNECTION_OK) {
        return;
    }
    // A transaction ends with its connection; only a new one outside of it may start.
    if (FConnection && InTransaction()) {
        RaiseVerbindung(Fehlertext(PQerrorMessage(FConnection.get())));
    }
    Verbinden();
}

std::unique_ptr<TVKO_StatementEngine> TVKO_PostgresDatabase::Prepare(const char* ASql) {
    return std::make_unique<TPostgresStatement>(*this, ASql);
}

void TVKO_PostgresDatabase::SetBusyTimeout(int AMilliseconds) {
    FBusyTimeoutMs = AMilliseconds;
    const QByteArray ms = QByteArray::number(AMilliseconds);
    Execute(QByteArray("SET statement_timeout = " + ms + "; SET lock_timeout = " + ms).constData(),
            QStringLiteral("Öffnen"));
}

TVKO_PostgresDatabase::TResult TVKO_PostgresDatabase::Run(
    const QByteArray& ASql, int ACount, const char* const* AValues, const int* ALengths,
    const int* AFormats, const unsigned int* ATypes, bool ADoppeltErlaubt, const QString& AAktion) {
    EnsureConnection();
    TResult result(PQexecParams(FConnection.get(), ASql.constData(), ACount, ATypes, AValues,
                                ALengths, AFormats, 1));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        FChanges = QByteArray(PQcmdTuples(result.get())).toLongLong();
        return result;
    }
    const char* zustand = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
    if (ADoppeltErlaubt && zustand != nullptr && qstrcmp(zustand, "23505") == 0) {
        return nullptr;
    }
    RaiseResult(result.get(), AAktion);
}

void TVKO_PostgresDatabase::Execute(const char* ASql, const QString& AAktion) {
    EnsureConnection();
    TResult result(PQexec(FConnection.get(), ASql));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        RaiseResult(result.get(), AAktion);
    }
}

bool TVKO_PostgresDatabase::HasTable(const char* ATable) {
    TPostgresStatement exists(*this,
                              "SELECT 1 FROM information_schema.tables WHERE table_schema = "
                              "current_schema() AND table_name = lower(?1)");
    exists.Bind(1, QString::fromUtf8(ATable));
    return exists.Step(false) == TVKO_Schritt::Zeile;
}

bool TVKO_PostgresDatabase::HasColumn(const char* ATable, const char* AColumn) {
    TPostgresStatement columns(*this,
                               "SELECT 1 FROM information_schema.columns WHERE table_schema = "
                               "current_schema() AND table_name = lower(?1) AND "
                               "column_name = lower(?2)");
    columns.Bind(1, QString::fromUtf8(ATable));
    columns.Bind(2, QString::fromUtf8(AColumn));
    return columns.Step(false) == TVKO_Schritt::Zeile;
}

void TVKO_PostgresDatabase::SchemaSperren() {
    Execute(CSchemaSperre, QStringLiteral("Anlegen der Tabellen"));
}

void TVKO_PostgresDatabase::SchemaErgaenzen(const char* ATable) {
    Execute(CMelden, QStringLiteral("Anlegen der Tabellen"));
    const QByteArray tabelle(ATable);
    Execute(
        QByteArray("CREATE TRIGGER " + tabelle + "_MELDEN AFTER INSERT OR UPDATE OR DELETE ON " +
                   tabelle + " FOR EACH STATEMENT EXECUTE FUNCTION MD_AENDERUNG_MELDEN()")
            .constData(),
        QStringLiteral("Anlegen der Tabellen"));
}

qint64 TVKO_PostgresDatabase::LastInsertId() {
    TPostgresStatement letzte(*this, "SELECT lastval()");
    letzte.Step(false);
    return letzte.Integer(0);
}

bool TVKO_PostgresDatabase::InTransaction() const {
    if (!FConnection) {
        return false;
    }
    const PGTransactionStatusType status = PQtransactionStatus(FConnection.get());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

qint64 TVKO_PostgresDatabase::Datenstand() {
    // The server sends the notices of every commit before it answers a statement, so after
    // this round trip none that committed before is missing.
    Execute("SELECT 1", QStringLiteral("Lesen"));
    PQconsumeInput(FConnection.get());
    const int eigene = PQbackendPID(FConnection.get());
    while (PGnotify* meldung = PQnotifies(FConnection.get())) {
        if (meldung->be_pid != eigene) {
            ++FFremdeAenderungen;
        }
        PQfreemem(meldung);
    }
    return FFremdeAenderungen;
}

int TVKO_PostgresDatabase::Socket() const {
    return FConnection ? PQsocket(FConnection.get()) : -1;
}

void TVKO_PostgresDatabase::RaiseVerbindung(const QString& AGrund) {
    // The connection and its transaction are gone; the next statement opens a new one.
    FConnection.reset();
    throw EVKO_Error(VKOInfo().MeldungText(MD_Koord(1056), {Dienst(FLocation), AGrund}),
                     MD_Koord(1056));
}

void TVKO_PostgresDatabase::RaiseResult(const pg_result* AResult, const QString& AAktion) {
    const char* zustand = AResult ? PQresultErrorField(AResult, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray code(zustand ? zustand : "");
    const QString grund =
        Fehlertext(AResult ? PQresultErrorMessage(AResult) : PQerrorMessage(FConnection.get()));
    // Without a state the server never answered; 08: the connection failed; 57P0: the server
    // is shutting down.
    if (PQstatus(FConnection.get()) != CONNECTION_OK || code.isEmpty() || code.startsWith("08") ||
        code.startsWith("57P0")) {
        RaiseVerbindung(grund);
    }
    // 57014: the statement ran out of time; 55P03: a lock was not granted in time.
    if (code == "57014" || code == "55P03" || code == "40P01") {
        throw EVKO_Error(VKOInfo().MeldungText(
                             MD_Koord(1057),
                             {Dienst(FLocation),
                              QLocale(QLocale::German).toString(FBusyTimeoutMs / 1000.0, 'g', 3)}),
                         MD_Koord(1057));
    }
    if (code == "53100") {
        throw EVKO_Error(QStringLiteral("In die Datenbank „%1“ kann nicht geschrieben werden: auf "
                                        "dem Datenträger des Servers ist kein Platz mehr.")
                             .arg(Dienst(FLocation)));
    }
    throw EVKO_Error(QStringLiteral("Fehler in der Datenbank „%1“ beim %2: %3 (SQLSTATE %4).")
                         .arg(Dienst(FLocation), AAktion, grund, QString::fromLatin1(code)));
}
