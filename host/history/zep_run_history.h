#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>
#include <memory>

class TVKO_Database;
struct TZEP_GA_Bildschirm;

// Encodes a screen picture as PNG. The history itself knows no image format; the window's
// library does.
class IZEP_BildWriter {
public:
    virtual ~IZEP_BildWriter() = default;
    virtual QByteArray Png(const TZEP_GA_Bildschirm& ABild) = 0;
};

// How a run ended.
enum class TZEP_RunErgebnis {
    Gespielt = 0,
    Fehlgeschlagen = 1,
    NichtGefunden = 2,
    Angehalten = 3,  // a test run the user stopped
};

// One run of a Mandorel as the history keeps it. Token values are those the run used, masked
// ones already masked by the caller.
struct TZEP_RunEntry {
    qint64 Id = 0;
    QString Programm;
    QString NameKey;
    QDateTime Start;
    QDateTime Ende;
    TZEP_RunErgebnis Ergebnis = TZEP_RunErgebnis::Gespielt;
    int ExitCode = 0;
    int Schritt = 0;  // the failing step, counted from 1; 0 when none is known
    QString Meldung;
    QList<QPair<QString, QString>> TokenWerte;  // only those of tokens the run used
    QString Bild;          // path of the screen picture of a failed run, or empty
    QString Arbeitsplatz;  // the workstation that ran, which also holds the picture

    static QString ErgebnisText(TZEP_RunErgebnis AErgebnis);
};

// The history of runs: the newest entries per Mandorel and the pictures of failed runs, within
// bounds that drop the oldest first. A picture is a file of the picture folder named after its
// entry ("ausfuehrung-7.png"); whatever else a row names is never written or removed.
class TZEP_RunHistory {
public:
    static constexpr int CMaxEintraege = 50;
    static constexpr qint64 CMaxBildBytes = 200LL * 1024 * 1024;
    // Of all rows of the database together, as their texts take it.
    static constexpr qint64 CMaxZeilenBytes = 50LL * 1024 * 1024;

    // Opens the database of the data folder.
    TZEP_RunHistory();
    // Opens the database at ADatabasePath; for tests and benchmarks.
    explicit TZEP_RunHistory(const QString& ADatabasePath);
    ~TZEP_RunHistory();
    TZEP_RunHistory(const TZEP_RunHistory&) = delete;
    TZEP_RunHistory& operator=(const TZEP_RunHistory&) = delete;

    // Tests lower the bounds.
    void SetGrenzen(int AMaxEintraege, qint64 AMaxBildBytes,
                    qint64 AMaxZeilenBytes = CMaxZeilenBytes);

    // Stores the entry and answers its id; then drops what lies beyond the bounds.
    qint64 Add(const TZEP_RunEntry& AEntry);
    // Writes the picture of an entry (PNG bytes) as a new file for the user alone, in a folder
    // for the user alone, never through a link; then keeps the pictures within their bound.
    void SetBild(qint64 AId, const QByteArray& APng);
    // The entries of one Mandorel, newest first.
    QList<TZEP_RunEntry> Entries(const QString& AProgramm, const QString& ANameKey);
    // Whether another connection (another process, or another history of this one) committed
    // to the database since the entries were last read. It reads one number, so a view may
    // ask often; any commit counts, not only new runs.
    bool Geaendert() const;
    // The folder of the pictures (in the data folder of the database).
    QString BildOrdner() const;
    // The file name of the picture of entry AId in that folder.
    static QString BildName(qint64 AId);

private:
    void Beschraenken(const QString& AProgramm, const QString& ANameKey);
    void BilderBeschraenken();
    void ZeilenBeschraenken();
    // Removes the rows (id, picture of this workstation) with their pictures.
    void ZeilenLoeschen(const QList<QPair<qint64, QString>>& AZeilen);
    // Pictures whose entries another workstation dropped from a shared database.
    void VerwaisteBilderLoeschen();
    // Removes the picture of entry AId, when APath is its place, else logs why it stays.
    void BildLoeschen(qint64 AId, const QString& APath) const;
    // The picture a row names, when it lies on this workstation; empty for another's.
    QString BildHier(const QString& ABild, const QString& AArbeitsplatz) const;
    // Changes exactly when another connection commits; commits of this one leave it.
    qint64 Datenstand() const;

    std::unique_ptr<TVKO_Database> FDatabase;
    QString FArbeitsplatz;
    int FMaxEintraege = CMaxEintraege;
    qint64 FMaxBildBytes = CMaxBildBytes;
    qint64 FMaxZeilenBytes = CMaxZeilenBytes;
    qint64 FGelesenerStand = 0;
};
