#include "md_inifile.h"

#include "vko_ansi.h"
#include "vko_info.h"
#include "vko_textlines.h"
#include "vko_trusted_file.h"

namespace {

// A catalogue holds a few hundred templates; a larger file is none.
constexpr qint64 CMaxFileBytes = 4 * 1024 * 1024;

}  // namespace

TZEP_MD_IniFile TZEP_MD_IniFile::FromFile(const QString& AFileName) try {
    TZEP_MD_IniFile ini(AFileName);
    const std::optional<QByteArray> bytes =
        VKO_ReadTrustedFile(AFileName, CMaxFileBytes, QStringLiteral("Die Einstellungsdatei"));
    if (bytes) {
        ini.Parse(*bytes);
    }
    return ini;
} catch (...) {
    RethrowRegistered("TZEP_MD_IniFile.FromFile");
}

TZEP_MD_IniFile TZEP_MD_IniFile::FromBytes(const QByteArray& ABytes, const QString& AFileName) try {
    TZEP_MD_IniFile ini(AFileName);
    ini.Parse(ABytes);
    return ini;
} catch (...) {
    RethrowRegistered("TZEP_MD_IniFile.FromBytes");
}

void TZEP_MD_IniFile::Parse(const QByteArray& ABytes) {
    QString section;
    bool inSection = false;
    for (const QString& line : VKO_TextLines(VKO_DecodeText(ABytes))) {
        QString text = VKO_TrimBlanks(line);
        if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
            section = VKO_TrimBlanks(text.mid(1, text.size() - 2)).toCaseFolded();
            inSection = true;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            text = VKO_TrimBlanks(text.left(equals)) + QLatin1Char('=') +
                   VKO_TrimBlanks(text.mid(equals + 1));
        }
        FSections[section].append(text);
    }
}

QStringList TZEP_MD_IniFile::SectionLines(const QString& ASection) const try {
    return FSections.value(VKO_TrimBlanks(ASection).toCaseFolded());
} catch (...) {
    RethrowRegistered("TZEP_MD_IniFile.SectionLines");
}

QString TZEP_MD_IniFile::ReadString(const QString& ASection, const QString& AKey) const try {
    const auto found = FSections.constFind(VKO_TrimBlanks(ASection).toCaseFolded());
    if (found == FSections.constEnd()) {
        return {};
    }
    for (const QString& line : *found) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && QStringView(line).left(equals).compare(AKey, Qt::CaseInsensitive) == 0) {
            return line.mid(equals + 1);
        }
    }
    return {};
} catch (...) {
    RethrowRegistered("TZEP_MD_IniFile.ReadString");
}
