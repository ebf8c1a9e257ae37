#include "zep_menu_file.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>

#include "vko_folder.h"
#include "vko_info.h"
#include "vko_textlines.h"
#include "vko_trusted_file.h"

namespace {

// A program directory lists a handful of programs; a larger file is not one.
constexpr qint64 CMaxFileBytes = 1024 * 1024;

const QString CKeyName = QStringLiteral("NAME");
const QString CKeyCommand = QStringLiteral("COMMAND");

// "c:\prog\plon.exe", "PLON.EXE" and "plon" all name the program PLON.
QString ProgrammCode(const QString& AExeName) {
    QString name = AExeName.trimmed();
    const qsizetype folder =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    name = name.mid(folder + 1).toUpper();
    if (name.endsWith(QLatin1String(".EXE"))) {
        name.chop(4);
    }
    return name;
}

class TParser {
public:
    explicit TParser(QString AFileName) : FFileName(std::move(AFileName)) {}

    std::map<QString, TZEP_MenuFile::TProgramm> Parse(const QByteArray& ABytes) {
        std::map<QString, TZEP_MenuFile::TProgramm> programme;
        const QStringList lines = Lines(ABytes);
        TZEP_MenuFile::TProgramm* current = nullptr;
        std::map<QString, int> sectionLines;
        QStringList keysSeen;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            FLine = static_cast<int>(i + 1);
            const QString line = lines.at(i).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
                continue;
            }
            if (line.startsWith(QLatin1Char('['))) {
                if (!line.endsWith(QLatin1Char(']'))) {
                    Fail(QStringLiteral("dem Abschnittsnamen fehlt die schließende Klammer „]“"));
                }
                const QString section = line.mid(1, line.size() - 2).trimmed();
                const QString code = ProgrammCode(section);
                if (code.isEmpty()) {
                    Fail(QStringLiteral("der Abschnitt nennt kein Programm"));
                }
                const auto [seen, added] = sectionLines.emplace(code, FLine);
                if (!added) {
                    Fail(QStringLiteral("das Programm „%1“ steht schon in Zeile %2")
                             .arg(section, QString::number(seen->second)));
                }
                current = &programme[code];
                keysSeen.clear();
                continue;
            }
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals < 0) {
                Fail(
                    QStringLiteral("die Zeile ist weder ein Abschnitt [PROGRAMM.EXE] noch "
                                   "NAME=… oder COMMAND=…"));
            }
            if (current == nullptr) {
                Fail(QStringLiteral("die Angabe steht vor dem ersten Abschnitt [PROGRAMM.EXE]"));
            }
            const QString key = line.left(equals).trimmed().toUpper();
            const QString value = line.mid(equals + 1).trimmed();
            if (key != CKeyName && key != CKeyCommand) {
                Fail(QStringLiteral("„%1“ ist keine bekannte Angabe (NAME oder COMMAND)")
                         .arg(line.left(equals).trimmed()));
            }
            if (keysSeen.contains(key)) {
                Fail(QStringLiteral("%1 steht in diesem Abschnitt zum zweiten Mal").arg(key));
            }
            keysSeen.append(key);
            (key == CKeyName ? current->AnzeigeName : current->Command) = value;
        }
        return programme;
    }

private:
    [[noreturn]] void Fail(const QString& AWhat) const {
        throw EVKO_Error(
            QStringLiteral("Das Programmverzeichnis „%1“ ist beschädigt: Zeile %2: %3.")
                .arg(FFileName, QString::number(FLine), AWhat));
    }

    // UTF-8, or what a byte-order mark says; a line that is no UTF-8 text is an error.
    QStringList Lines(const QByteArray& ABytes) {
        const auto encoding = QStringConverter::encodingForData(ABytes);
        if (encoding && *encoding != QStringConverter::Utf8) {
            return VKO_TextLines(VKO_DecodeUtf8Text(ABytes));
        }
        QStringList lines;
        const QByteArray bytes = ABytes.startsWith("\xEF\xBB\xBF") ? ABytes.mid(3) : ABytes;
        const QList<QByteArray> rawLines = bytes.split('\n');
        for (qsizetype i = 0; i < rawLines.size(); ++i) {
            QStringDecoder decoder(QStringConverter::Utf8);
            const QString line = decoder.decode(rawLines.at(i));
            if (decoder.hasError()) {
                FLine = static_cast<int>(i + 1);
                Fail(QStringLiteral("die Zeile ist kein UTF-8-Text"));
            }
            lines.append(line);
        }
        return lines;
    }

    QString FFileName;
    int FLine = 0;
};

}  // namespace

TZEP_MenuFile::TZEP_MenuFile() try {
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.Create");
}

void TZEP_MenuFile::Load() try {
    const QString fileName = FileName();
    const std::optional<QByteArray> bytes =
        VKO_ReadTrustedFile(fileName, CMaxFileBytes, QStringLiteral("Das Programmverzeichnis"));
    FProgramme = bytes ? TParser(fileName).Parse(*bytes) : decltype(FProgramme)();
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.Load");
}

QString TZEP_MenuFile::ProgrammName_ByExeName(const QString& AExeName) const try {
    const TProgramm* programm = Find(AExeName);
    return programm != nullptr ? programm->AnzeigeName : QString();
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.ProgrammName_ByExeName");
}

QString TZEP_MenuFile::StartCommand_ByExeName(const QString& AExeName) const try {
    const TProgramm* programm = Find(AExeName);
    return programm != nullptr ? programm->Command : QString();
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.StartCommand_ByExeName");
}

bool TZEP_MenuFile::Contains(const QString& AExeName) const try {
    return Find(AExeName) != nullptr;
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.Contains");
}

bool TZEP_MenuFile::IsProgrammCode(const QString& ACode) const try {
    for (const QChar zeichen : ACode) {
        if (!zeichen.isLetterOrNumber() && zeichen != QLatin1Char('_')) {
            return false;
        }
    }
    return !ACode.isEmpty() && ProgrammCode(ACode) == ACode.toUpper() &&
           FProgramme.contains(ACode.toUpper());
} catch (...) {
    RethrowRegistered("TZEP_MenuFile.IsProgrammCode");
}

QString TZEP_MenuFile::FileName() const {
    return VKO_FilePath(TVKOFolder::Einstellungen, QString::fromLatin1(CZEP_MenuFileName), false);
}

const TZEP_MenuFile::TProgramm* TZEP_MenuFile::Find(const QString& AExeName) const {
    const auto found = FProgramme.find(ProgrammCode(AExeName));
    return found != FProgramme.end() ? &found->second : nullptr;
}
