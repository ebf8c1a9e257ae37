#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>

// An INI text read whole: "[section]" headers, key=value lines, lines beginning with ";" are
// comments. Section and key names match without regard to case; a byte-order mark selects the
// encoding, otherwise Windows-1252 applies.
class TZEP_MD_IniFile {
public:
    // A missing file reads as empty. A file that exists but cannot be read, or that the user does
    // not control alone, or that is no regular file of at most 4 MiB raises EVKO_Error.
    static TZEP_MD_IniFile FromFile(const QString& AFileName);
    // AFileName only names the source in error texts.
    static TZEP_MD_IniFile FromBytes(const QByteArray& ABytes, const QString& AFileName);

    const QString& FileName() const { return FFileName; }
    // The section's lines in file order, trimmed, without empty lines; on a line with "=" the
    // blanks around the first "=" are dropped. A section named twice gives its lines in turn.
    QStringList SectionLines(const QString& ASection) const;
    // The value of the section's first line with the key; empty text when there is none.
    QString ReadString(const QString& ASection, const QString& AKey) const;

private:
    explicit TZEP_MD_IniFile(QString AFileName) : FFileName(std::move(AFileName)) {}
    void Parse(const QByteArray& ABytes);

    QString FFileName;
    QHash<QString, QStringList> FSections;  // by case-folded section name
};
