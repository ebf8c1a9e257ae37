#pragma once

#include <QString>
#include <memory>

class TVKO_Database;

// The suite's per-form settings store: text values per program, form, section, workstation
// and key, in a table of the one database that also holds the Mandorele.
class TSimpleMask {
public:
    // Opens the database of the data folder.
    TSimpleMask(const QString& AProgramm, const QString& AForm, const QString& ASektion,
                const QString& AArbeitsplatz);
    // Opens the database at ADatabasePath; for tests and benchmarks.
    TSimpleMask(const QString& AProgramm, const QString& AForm, const QString& ASektion,
                const QString& AArbeitsplatz, const QString& ADatabasePath);
    ~TSimpleMask();
    TSimpleMask(const TSimpleMask&) = delete;
    TSimpleMask& operator=(const TSimpleMask&) = delete;

    // The value stored under AKey for this workstation, or ADefault when there is none.
    QString ReadLocalDef(const QString& AKey, const QString& ADefault) const;
    void WriteLocal(const QString& AKey, const QString& AValue);
    // Forgets every value of this form and section on this workstation.
    void DeleteLocal();

private:
    QString FProgramm;
    QString FForm;
    QString FSektion;
    QString FArbeitsplatz;
    std::unique_ptr<TVKO_Database> FDatabase;
};
