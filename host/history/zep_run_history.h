#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>
#include <memory>

class TVKO_Database;
struct TZEP_GA_Bildschirm;

// Writes a screen picture as a PNG file and answers its size in bytes. The history itself
// knows no image format; the window's library does.
class IZEP_BildWriter {
public:
    virtual ~IZEP_BildWriter() = default;
    virtual qint64 WritePng(const TZEP_GA_Bildschirm& ABild, const QString& APath) = 0;
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
    QList<QPair<QString, QString>> TokenWerte;
    QString Bild;  // path of the screen picture of a failed run, or empty

    static QString ErgebnisText(TZEP_RunErgebnis AErgebnis);
};

// The history of runs: the newest entries per Mandorel and the pictures of failed runs, within
// bounds that drop the oldest first.
class TZEP_RunHistory {
public:
    static constexpr int CMaxEintraege = 50;
    static constexpr qint64 CMaxBildBytes = 200LL * 1024 * 1024;

    // Opens the database of the data folder.
    TZEP_RunHistory();
    // Opens the database at ADatabasePath; for tests and benchmarks.
    explicit TZEP_RunHistory(const QString& ADatabasePath);
    ~TZEP_RunHistory();
    TZEP_RunHistory(const TZEP_RunHistory&) = delete;
    TZEP_RunHistory& operator=(const TZEP_RunHistory&) = delete;

    // Tests lower the bounds.
    void SetGrenzen(int AMaxEintraege, qint64 AMaxBildBytes);

    // Stores the entry and answers its id; then drops what lies beyond the bounds.
    qint64 Add(const TZEP_RunEntry& AEntry);
    // Sets the picture of an entry (a file of APictureBytes bytes), then keeps the pictures
    // within their bound.
    void SetBild(qint64 AId, const QString& APath, qint64 APictureBytes);
    // The entries of one Mandorel, newest first.
    QList<TZEP_RunEntry> Entries(const QString& AProgramm, const QString& ANameKey);
    // Whether another connection (another process, or another history of this one) committed
    // to the database since the entries were last read. It reads one number, so a view may
    // ask often; any commit counts, not only new runs.
    bool Geaendert() const;
    // The folder of the pictures (in the data folder of the database).
    QString BildOrdner() const;

private:
    void Beschraenken(const QString& AProgramm, const QString& ANameKey);
    void BilderBeschraenken();
    // Changes exactly when another connection commits; commits of this one leave it.
    qint64 Datenstand() const;

    std::unique_ptr<TVKO_Database> FDatabase;
    int FMaxEintraege = CMaxEintraege;
    qint64 FMaxBildBytes = CMaxBildBytes;
    qint64 FGelesenerStand = 0;
};
