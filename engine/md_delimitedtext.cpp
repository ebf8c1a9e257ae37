#include "md_delimitedtext.h"

#include "vko_textlines.h"

QStringList MD_SplitDelimited(const QString& AText, QChar ADelimiter) {
    const QChar quote = QLatin1Char('"');
    const qsizetype size = AText.size();
    QStringList items;
    qsizetype pos = 0;
    while (pos < size && VKO_IsBlank(AText.at(pos))) {
        ++pos;
    }
    while (pos < size) {
        QString item;
        if (AText.at(pos) == quote) {
            // Without its closing quote the item runs to the end of the text.
            for (++pos; pos < size; ++pos) {
                if (AText.at(pos) != quote) {
                    item += AText.at(pos);
                } else if (pos + 1 < size && AText.at(pos + 1) == quote) {
                    item += quote;
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
        } else {
            const qsizetype start = pos;
            while (pos < size && !VKO_IsBlank(AText.at(pos)) && AText.at(pos) != ADelimiter) {
                ++pos;
            }
            item = AText.mid(start, pos - start);
        }
        items.append(item);
        while (pos < size && VKO_IsBlank(AText.at(pos))) {
            ++pos;
        }
        if (pos < size && AText.at(pos) == ADelimiter) {
            if (pos + 1 == size) {
                items.append(QString());
            }
            ++pos;
            while (pos < size && VKO_IsBlank(AText.at(pos))) {
                ++pos;
            }
        }
    }
    return items;
}
