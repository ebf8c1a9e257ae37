#include "vko_ansi.h"

#include <QStringDecoder>
#include <array>

namespace {

// 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined map to the C1 control with
// the same number, so that every byte reads back as itself.
constexpr std::array<char16_t, 32> CUpperControlRange{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToAnsi(char16_t AChar) {
    if (AChar < 0x80 || (AChar >= 0xA0 && AChar <= 0xFF)) {
        return static_cast<char>(AChar);
    }
    for (std::size_t i = 0; i < CUpperControlRange.size(); ++i) {
        if (CUpperControlRange[i] == AChar) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

QByteArray VKO_AnsiFromString(const QString& AText) {
    QByteArray bytes;
    bytes.reserve(AText.size());
    for (qsizetype i = 0; i < AText.size(); ++i) {
        const QChar c = AText.at(i);
        if (c.isHighSurrogate() && i + 1 < AText.size() && AText.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page, one "?"
            bytes.append('?');
            continue;
        }
        bytes.append(ToAnsi(c.unicode()));
    }
    return bytes;
}

QString VKO_AnsiToString(QByteArrayView ABytes) {
    // Latin-1 and Windows-1252 differ only from 0x80 to 0x9F.
    QString text = QString::fromLatin1(ABytes);
    for (QChar& c : text) {
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0) {
            c = QChar(CUpperControlRange[c.unicode() - 0x80]);
        }
    }
    return text;
}

QString VKO_DecodeText(QByteArrayView ABytes) {
    if (const auto encoding = QStringConverter::encodingForData(ABytes)) {
        if (*encoding == QStringConverter::Utf8 || *encoding == QStringConverter::Utf16LE ||
            *encoding == QStringConverter::Utf16BE) {
            QStringDecoder decoder(*encoding, QStringConverter::Flag::Default);
            return decoder.decode(ABytes);
        }
    }
    return VKO_AnsiToString(ABytes);
}
