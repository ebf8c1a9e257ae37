#include "vko_keyfeld.h"

#include <array>

namespace {

// The key character of every ASCII character.
constexpr std::array<char, 0x80> CAsciiKey = [] {
    std::array<char, 0x80> keys{};
    for (int c = 0; c < 0x80; ++c) {
        const int upper = c >= 'a' && c <= 'z' ? c - 0x20 : c;
        const bool allowed =
            (upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9') || upper == '_';
        keys[static_cast<std::size_t>(c)] = allowed ? static_cast<char>(upper) : '_';
    }
    return keys;
}();

}  // namespace

QString Wert_2_Wert4KeyFeld(const QString& AWert) {
    const QStringView trimmed = QStringView(AWert).trimmed();
    // At most two characters for one; written straight into the buffer.
    QString key(2 * trimmed.size(), Qt::Uninitialized);
    QChar* out = key.data();
    const auto put = [&out](char ALatin) { *out++ = QLatin1Char(ALatin); };
    for (const QChar c : trimmed) {
        // Names are mostly ASCII: those characters need neither the umlauts nor the case
        // tables.
        if (c.unicode() < 0x80) {
            *out++ = QLatin1Char(CAsciiKey[c.unicode()]);
            continue;
        }
        switch (c.unicode()) {
            case u'ä':
            case u'Ä':
                put('A');
                put('E');
                continue;
            case u'ö':
            case u'Ö':
                put('O');
                put('E');
                continue;
            case u'ü':
            case u'Ü':
                put('U');
                put('E');
                continue;
            case u'ß':
            case u'ẞ':
                put('S');
                put('S');
                continue;
            default:
                break;
        }
        const char16_t upper = c.toUpper().unicode();
        const bool allowed =
            (upper >= u'A' && upper <= u'Z') || (upper >= u'0' && upper <= u'9') || upper == u'_';
        *out++ = allowed ? QChar(upper) : QLatin1Char('_');
    }
    key.truncate(out - key.constData());
    return key;
}
