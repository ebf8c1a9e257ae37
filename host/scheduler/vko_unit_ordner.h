#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The user's unit folder as a synchronisation touches it. The folder is made 0700 and unit
// files 0600 whatever the umask; no link is followed, neither the folder nor a file; and only
// a file whose first line carries this installation's mark counts as its own, so that units of
// others (or links planted there) are never changed or removed. A unit of an earlier build may
// be taken over for a plan of this installation, but is never removed. While an object lives it
// holds an exclusive lock on a file in the folder, so that two synchronisations never interleave.
class TVKO_UnitOrdner {
public:
    enum class TZustand {
        Fehlt,    // no such entry
        Eigen,    // a plain file that starts with the mark
        Frueher,  // a plain file of an earlier build, written before units carried the mark
        Fremd,    // anything else: another's unit, a link, a folder
    };

    // Creates the folder where it is missing and waits for the lock.
    TVKO_UnitOrdner(const QString& APfad, const QString& AMarke);
    ~TVKO_UnitOrdner();
    TVKO_UnitOrdner(const TVKO_UnitOrdner&) = delete;
    TVKO_UnitOrdner& operator=(const TVKO_UnitOrdner&) = delete;

    QString Pfad(const QString& AName) const;
    TZustand Zustand(const QString& AName) const;
    // Writes the mark line and AText unless the file holds them already; true when written.
    // The caller has checked that the file is not another's.
    bool Schreiben(const QString& AName, const QString& AText);
    // Removes an own file; leaves any other entry as it is.
    void Entfernen(const QString& AName);
    // The names of the entries that start with APraefix and end with AEndung.
    QStringList Namen(const QString& APraefix, const QString& AEndung) const;

private:
    std::optional<QByteArray> Lesen(const QString& AName) const;

    QString FPfad;
    QByteArray FMarke;
    int FOrdner = -1;
    int FSperre = -1;
};
