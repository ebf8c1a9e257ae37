#include "vko_textlines.h"

#include <QStringDecoder>

QStringList VKO_TextLines(const QString& AText) {
    QStringList lines;
    VKO_ForEachLine(AText, [&lines](QStringView ALine) { lines.append(ALine.toString()); });
    return lines;
}

QString VKO_DecodeUtf8Text(const QByteArray& ABytes) {
    auto encoding = QStringConverter::encodingForData(ABytes);
    if (!encoding ||
        (*encoding != QStringConverter::Utf16LE && *encoding != QStringConverter::Utf16BE)) {
        encoding = QStringConverter::Utf8;
    }
    QStringDecoder decoder(*encoding, QStringConverter::Flag::Default);
    return decoder.decode(ABytes);
}
