#include "vko_textlines.h"

#include <QStringDecoder>

QStringList VKO_TextLines(const QString& AText) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = AText.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = AText.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            continue;
        }
        lines.append(AText.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && AText.at(i + 1) == QLatin1Char('\n')) {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines.append(AText.mid(start));
    }
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
