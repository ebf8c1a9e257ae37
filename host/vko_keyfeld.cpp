#include "vko_keyfeld.h"

QString Wert_2_Wert4KeyFeld(const QString& AWert) {
    const QString trimmed = AWert.trimmed();
    QString key;
    key.reserve(trimmed.size() + 4);
    for (const QChar c : trimmed) {
        switch (c.unicode()) {
            case u'ä':
            case u'Ä':
                key += QLatin1String("AE");
                continue;
            case u'ö':
            case u'Ö':
                key += QLatin1String("OE");
                continue;
            case u'ü':
            case u'Ü':
                key += QLatin1String("UE");
                continue;
            case u'ß':
            case u'ẞ':
                key += QLatin1String("SS");
                continue;
            default:
                break;
        }
        const char16_t upper = c.toUpper().unicode();
        const bool allowed =
            (upper >= u'A' && upper <= u'Z') || (upper >= u'0' && upper <= u'9') || upper == u'_';
        key += allowed ? QChar(upper) : QLatin1Char('_');
    }
    return key;
}
