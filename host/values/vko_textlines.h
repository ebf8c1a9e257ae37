#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// Blanks of the settings files: the space and every control character.
inline bool VKO_IsBlank(QChar AChar) {
    return AChar.unicode() <= 0x20;
}

// Drops blanks at both ends.
QString VKO_TrimBlanks(const QString& AText);

// Splits text into lines as a string list does: CR LF, LF and CR each end a line, and a
// break at the very end opens no further line.
QStringList VKO_TextLines(const QString& AText);

// Calls AVisit with each of those lines, without copying them.
template <typename TVisit>
void VKO_ForEachLine(QStringView AText, TVisit&& AVisit) {
    qsizetype start = 0;
    const qsizetype size = AText.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = AText[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            continue;
        }
        AVisit(AText.sliced(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && AText[i + 1] == QLatin1Char('\n')) {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        AVisit(AText.sliced(start));
    }
}

// Decodes UTF-8 text; a byte-order mark (UTF-8, UTF-16 LE/BE) is honoured and dropped.
QString VKO_DecodeUtf8Text(QByteArrayView ABytes);
