#include "zep_run_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "vko_database.h"
#include "vko_info.h"
#include "vko_statement.h"
#include "vko_trusted_file.h"

namespace {

constexpr const char* CTabelle = "ZEP_AUSFUEHRUNG";

constexpr const char* CSchema = R"sql(
CREATE TABLE IF NOT EXISTS ZEP_AUSFUEHRUNG (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    PROGRAMM TEXT NOT NULL COLLATE NOCASE,
    NAME_KEY TEXT NOT NULL COLLATE NOCASE,
    START TEXT NOT NULL,
    ENDE TEXT NOT NULL,
    ERGEBNIS INTEGER NOT NULL,
    EXITCODE INTEGER NOT NULL,
    SCHRITT INTEGER NOT NULL,
    MELDUNG TEXT NOT NULL,
    TOKENWERTE TEXT NOT NULL,
    BILD TEXT NOT NULL DEFAULT '',
    BILD_BYTES INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS ZEP_AUSFUEHRUNG_MANDOREL ON ZEP_AUSFUEHRUNG (PROGRAMM, NAME_KEY, ID);
)sql";

const QString CZeitFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

QString ZeitText(const QDateTime& AZeit) {
    return AZeit.toString(CZeitFormat);
}

QString WerteText(const QList<QPair<QString, QString>>& AWerte) {
    QJsonArray paare;
    for (const auto& [token, wert] : AWerte) {
        paare.append(QJsonArray{token, wert});
    }
    return QString::fromUtf8(QJsonDocument(paare).toJson(QJsonDocument::Compact));
}

QList<QPair<QString, QString>> WerteAus(const QString& AText) {
    QList<QPair<QString, QString>> werte;
    for (const QJsonValue& paar : QJsonDocument::fromJson(AText.toUtf8()).array()) {
        werte.append({paar.toArray().at(0).toString(), paar.toArray().at(1).toString()});
    }
    return werte;
}

// Closes a descriptor when it goes.
class TDescriptor {
public:
    explicit TDescriptor(int AFd) : FFd(AFd) {}
    ~TDescriptor() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

[[noreturn]] void RaiseBild(const QString& APath, int AErrno) {
    throw EVKO_Error(
        QStringLiteral("Das Bild „%1“ lässt sich nicht schreiben: %2")
            .arg(QDir::toNativeSeparators(APath), QString::fromLocal8Bit(::strerror(AErrno))));
}

// The picture folder itself, never through a link; absent when it does not exist.
int OrdnerOeffnen(const QString& AOrdner) {
    return ::open(QFile::encodeName(AOrdner).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Where a name of the folder (a stale picture, a planted link) is replaced, the link goes and
// its target stays as it was.
void Schreiben(int AOrdner, const QString& AName, const QString& APath, const QByteArray& APng) {
    const QByteArray name = QFile::encodeName(AName);
    if (::unlinkat(AOrdner, name.constData(), 0) != 0 && errno != ENOENT) {
        RaiseBild(APath, errno);
    }
    const TDescriptor datei(::openat(AOrdner, name.constData(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                     S_IRUSR | S_IWUSR));
    if (datei.Get() < 0) {
        RaiseBild(APath, errno);
    }
    qsizetype geschrieben = 0;
    while (geschrieben < APng.size()) {
        const ssize_t n = ::write(datei.Get(), APng.constData() + geschrieben,
                                  static_cast<size_t>(APng.size() - geschrieben));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int fehler = errno;
            ::unlinkat(AOrdner, name.constData(), 0);
            RaiseBild(APath, fehler);
        }
        geschrieben += n;
    }
}

}  // namespace

QString TZEP_RunEntry::ErgebnisText(TZEP_RunErgebnis AErgebnis) {
    switch (AErgebnis) {
        case TZEP_RunErgebnis::Gespielt:
            return QStringLiteral("gespielt");
        case TZEP_RunErgebnis::Fehlgeschlagen:
            return QStringLiteral("fehlgeschlagen");
        case TZEP_RunErgebnis::NichtGefunden:
            return QStringLiteral("nicht gefunden");
        case TZEP_RunErgebnis::Angehalten:
            return QStringLiteral("angehalten");
    }
    return QString();
}

TZEP_RunHistory::TZEP_RunHistory() : TZEP_RunHistory(TVKO_Database::DefaultPath()) {}

TZEP_RunHistory::TZEP_RunHistory(const QString& ADatabasePath) try
    : FDatabase(std::make_unique<TVKO_Database>(ADatabasePath)) {
    FDatabase->EnsureSchema(CTabelle, CSchema);
    FGelesenerStand = Datenstand();
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.Create");
}

TZEP_RunHistory::~TZEP_RunHistory() = default;

void TZEP_RunHistory::SetGrenzen(int AMaxEintraege, qint64 AMaxBildBytes, qint64 AMaxZeilenBytes) {
    FMaxEintraege = AMaxEintraege;
    FMaxBildBytes = AMaxBildBytes;
    FMaxZeilenBytes = AMaxZeilenBytes;
}

QString TZEP_RunHistory::BildOrdner() const try {
    return QFileInfo(FDatabase->Path()).absolutePath() + QStringLiteral("/ausfuehrungen");
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.BildOrdner");
}

QString TZEP_RunHistory::BildName(qint64 AId) {
    return QStringLiteral("ausfuehrung-%1.png").arg(AId);
}

qint64 TZEP_RunHistory::Add(const TZEP_RunEntry& AEntry) try {
    qint64 id = 0;
    {
        TVKO_Statement schreiben(*FDatabase,
                                 "INSERT INTO ZEP_AUSFUEHRUNG (PROGRAMM, NAME_KEY, START, ENDE, "
                                 "ERGEBNIS, EXITCODE, SCHRITT, MELDUNG, TOKENWERTE) VALUES (?1, "
                                 "?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        const TVKO_StatementReset reset(schreiben);
        schreiben.Bind(1, AEntry.Programm);
        schreiben.Bind(2, AEntry.NameKey);
        schreiben.Bind(3, ZeitText(AEntry.Start));
        schreiben.Bind(4, ZeitText(AEntry.Ende));
        schreiben.Bind(5, static_cast<qint64>(AEntry.Ergebnis));
        schreiben.Bind(6, static_cast<qint64>(AEntry.ExitCode));
        schreiben.Bind(7, static_cast<qint64>(AEntry.Schritt));
        schreiben.Bind(8, AEntry.Meldung);
        schreiben.Bind(9, WerteText(AEntry.TokenWerte));
        schreiben.Step();
        id = FDatabase->LastInsertId();
    }
    Beschraenken(AEntry.Programm, AEntry.NameKey);
    ZeilenBeschraenken();
    return id;
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.Add");
}

void TZEP_RunHistory::SetBild(qint64 AId, const QByteArray& APng) try {
    const QString ordner = BildOrdner();
    const QString path = ordner + QLatin1Char('/') + BildName(AId);
    VKO_MakePrivateFolder(ordner);
    {
        const TDescriptor folder(OrdnerOeffnen(ordner));
        struct stat status {};
        if (folder.Get() < 0 || ::fstat(folder.Get(), &status) != 0) {
            RaiseBild(path, errno);
        }
        // A folder another user owns is not ours to tighten nor to write into.
        if (status.st_uid != ::geteuid()) {
            RaiseBild(path, EPERM);
        }
        if ((status.st_mode & 07777) != S_IRWXU && ::fchmod(folder.Get(), S_IRWXU) != 0) {
            RaiseBild(path, errno);
        }
        Schreiben(folder.Get(), BildName(AId), path, APng);
    }
    {
        TVKO_Statement schreiben(
            *FDatabase, "UPDATE ZEP_AUSFUEHRUNG SET BILD = ?2, BILD_BYTES = ?3 WHERE ID = ?1");
        const TVKO_StatementReset reset(schreiben);
        schreiben.Bind(1, AId);
        schreiben.Bind(2, path);
        schreiben.Bind(3, static_cast<qint64>(APng.size()));
        schreiben.Step();
    }
    BilderBeschraenken();
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.SetBild");
}

// The oldest entries of the Mandorel beyond the bound go, with their pictures.
void TZEP_RunHistory::Beschraenken(const QString& AProgramm, const QString& ANameKey) {
    QList<QPair<qint64, QString>> alte;
    {
        TVKO_Statement lesen(*FDatabase,
                             "SELECT ID, BILD FROM ZEP_AUSFUEHRUNG WHERE PROGRAMM = ?1 AND "
                             "NAME_KEY = ?2 ORDER BY ID DESC LIMIT -1 OFFSET ?3");
        const TVKO_StatementReset reset(lesen);
        lesen.Bind(1, AProgramm);
        lesen.Bind(2, ANameKey);
        lesen.Bind(3, static_cast<qint64>(FMaxEintraege));
        while (lesen.Step()) {
            alte.append({lesen.Integer(0), lesen.Text(1)});
        }
    }
    if (alte.isEmpty()) {
        return;
    }
    TVKO_Statement loeschen(*FDatabase, "DELETE FROM ZEP_AUSFUEHRUNG WHERE ID = ?1");
    for (const auto& [id, bild] : alte) {
        const TVKO_StatementReset reset(loeschen);
        loeschen.Bind(1, id);
        loeschen.Step();
        BildLoeschen(id, bild);
    }
}

// The pictures of the oldest entries go until the rest fit the bound; the entries stay.
void TZEP_RunHistory::BilderBeschraenken() {
    QList<QPair<qint64, QString>> bilder;
    qint64 summe = 0;
    {
        TVKO_Statement lesen(*FDatabase,
                             "SELECT ID, BILD, BILD_BYTES FROM ZEP_AUSFUEHRUNG WHERE BILD <> '' "
                             "ORDER BY ID DESC");
        const TVKO_StatementReset reset(lesen);
        while (lesen.Step()) {
            summe += lesen.Integer(2);
            if (summe > FMaxBildBytes) {
                bilder.append({lesen.Integer(0), lesen.Text(1)});
            }
        }
    }
    TVKO_Statement vergessen(*FDatabase,
                             "UPDATE ZEP_AUSFUEHRUNG SET BILD = '', BILD_BYTES = 0 WHERE ID = ?1");
    for (const auto& [id, bild] : bilder) {
        const TVKO_StatementReset reset(vergessen);
        vergessen.Bind(1, id);
        vergessen.Step();
        BildLoeschen(id, bild);
    }
}

// The oldest entries of all Mandorele go until the rest fit the bound: a Mandorel with long
// messages or many values must not fill the disk within its count of entries.
void TZEP_RunHistory::ZeilenBeschraenken() {
    {
        // The texts of the rows lie in the file: a file within the bound needs no count.
        TVKO_Statement datei(*FDatabase,
                             "SELECT page_count * page_size FROM pragma_page_count(), "
                             "pragma_page_size()");
        const TVKO_StatementReset reset(datei);
        if (datei.Step() && datei.Integer(0) <= FMaxZeilenBytes) {
            return;
        }
    }
    QList<QPair<qint64, QString>> alte;
    qint64 summe = 0;
    {
        TVKO_Statement lesen(
            *FDatabase,
            "SELECT ID, BILD, LENGTH(CAST(PROGRAMM AS BLOB)) + LENGTH(CAST(NAME_KEY AS BLOB)) + "
            "LENGTH(CAST(START AS BLOB)) + LENGTH(CAST(ENDE AS BLOB)) + "
            "LENGTH(CAST(MELDUNG AS BLOB)) + LENGTH(CAST(TOKENWERTE AS BLOB)) + "
            "LENGTH(CAST(BILD AS BLOB)) FROM ZEP_AUSFUEHRUNG ORDER BY ID DESC");
        const TVKO_StatementReset reset(lesen);
        while (lesen.Step()) {
            summe += lesen.Integer(2);
            if (summe > FMaxZeilenBytes) {
                alte.append({lesen.Integer(0), lesen.Text(1)});
            }
        }
    }
    TVKO_Statement loeschen(*FDatabase, "DELETE FROM ZEP_AUSFUEHRUNG WHERE ID = ?1");
    for (const auto& [id, bild] : alte) {
        const TVKO_StatementReset reset(loeschen);
        loeschen.Bind(1, id);
        loeschen.Step();
        BildLoeschen(id, bild);
    }
}

// Only the file the history itself wrote for this entry goes: a row of a copied database may
// name any path. The name is removed from the folder, never through a link.
void TZEP_RunHistory::BildLoeschen(qint64 AId, const QString& APath) const {
    if (APath.isEmpty()) {
        return;
    }
    const QString ordner = BildOrdner();
    if (APath != ordner + QLatin1Char('/') + BildName(AId)) {
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Die Ausführung %1 nennt als Bild „%2“, das nicht das Bild dieser "
                           "Ausführung im Ordner „%3“ ist; die Datei bleibt unberührt.")
                .arg(QString::number(AId), APath, QDir::toNativeSeparators(ordner)));
        return;
    }
    const TDescriptor folder(OrdnerOeffnen(ordner));
    if (folder.Get() < 0 && errno == ENOENT) {
        return;
    }
    if (folder.Get() < 0 ||
        (::unlinkat(folder.Get(), QFile::encodeName(BildName(AId)).constData(), 0) != 0 &&
         errno != ENOENT)) {
        VKOInfo().WriteTextWithStamp(
            QStringLiteral("Das Bild „%1“ einer alten Ausführung lässt sich nicht löschen: %2")
                .arg(QDir::toNativeSeparators(APath), QString::fromLocal8Bit(::strerror(errno))));
    }
}

qint64 TZEP_RunHistory::Datenstand() const {
    TVKO_Statement lesen(*FDatabase, "PRAGMA data_version");
    const TVKO_StatementReset reset(lesen);
    lesen.Step();
    return lesen.Integer(0);
}

bool TZEP_RunHistory::Geaendert() const try {
    return Datenstand() != FGelesenerStand;
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.Geaendert");
}

QList<TZEP_RunEntry> TZEP_RunHistory::Entries(const QString& AProgramm,
                                              const QString& ANameKey) try {
    // Taken before the rows: a commit in between makes the next question answer yes again
    // rather than go unnoticed.
    FGelesenerStand = Datenstand();
    TVKO_Statement lesen(*FDatabase,
                         "SELECT ID, PROGRAMM, NAME_KEY, START, ENDE, ERGEBNIS, EXITCODE, "
                         "SCHRITT, MELDUNG, TOKENWERTE, BILD FROM ZEP_AUSFUEHRUNG WHERE "
                         "PROGRAMM = ?1 AND NAME_KEY = ?2 ORDER BY ID DESC");
    const TVKO_StatementReset reset(lesen);
    lesen.Bind(1, AProgramm);
    lesen.Bind(2, ANameKey);
    QList<TZEP_RunEntry> entries;
    while (lesen.Step()) {
        TZEP_RunEntry entry;
        entry.Id = lesen.Integer(0);
        entry.Programm = lesen.Text(1);
        entry.NameKey = lesen.Text(2);
        entry.Start = QDateTime::fromString(lesen.Text(3), CZeitFormat);
        entry.Ende = QDateTime::fromString(lesen.Text(4), CZeitFormat);
        entry.Ergebnis = static_cast<TZEP_RunErgebnis>(lesen.Integer(5));
        entry.ExitCode = static_cast<int>(lesen.Integer(6));
        entry.Schritt = static_cast<int>(lesen.Integer(7));
        entry.Meldung = lesen.Text(8);
        entry.TokenWerte = WerteAus(lesen.Text(9));
        entry.Bild = lesen.Text(10);
        entries.append(entry);
    }
    return entries;
} catch (...) {
    RethrowRegistered("TZEP_RunHistory.Entries");
}
