#include "vko_textlines.h"

#include <QStringDecoder>

QString VKO_TrimBlanks(const QString& AText) {
    qsizetype begin = 0;
    qsizetype end = AText.size();
    while (begin < end && VKO_IsBlank(AText.at(begin))) {
        ++begin;
    }
    while (end > begin && VKO_IsBlank(AText.at(end - 1))) {
        --end;
    }
    return AText.mid(begin, end - begin);
}

QStringList VKO_TextLines(const QString& AText) {
    QStringList lines;
    VKO_ForEachLine(AText, [&lines](QStringView ALine) { lines.append(ALine.toString()); });
    return lines;
}

QString VKO_DecodeUtf8Text(QByteArrayView ABytes) {
    const auto encoding = QStringConverter::encodingForData(ABytes);
    if (encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE) {
        QStringDecoder decoder(*encoding, QStringConverter::Flag::Default);
        return decoder.decode(ABytes);
    }
    const bool utf8Mark = encoding == QStringConverter::Utf8;
    return QString::fromUtf8(ABytes.sliced(utf8Mark ? 3 : 0));
}
