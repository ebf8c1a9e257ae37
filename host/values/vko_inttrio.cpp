#include "vko_inttrio.h"

#include <array>
#include <limits>

#include "vko_info.h"

namespace {

// Plain decimal, optionally signed, within 32 bits; the locale plays no part.
bool ParseInt32(QStringView AText, qint32& AValue) {
    const bool negative = AText.startsWith(QLatin1Char('-'));
    if (negative || AText.startsWith(QLatin1Char('+'))) {
        AText = AText.sliced(1);
    }
    if (AText.isEmpty() || AText.size() > 10) {
        return false;
    }
    qint64 value = 0;
    for (const QChar c : AText) {
        if (c.unicode() < u'0' || c.unicode() > u'9') {
            return false;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
        return false;
    }
    AValue = static_cast<qint32>(value);
    return true;
}

template <std::size_t N>
std::array<qint32, N> ParseIntegers(QStringView AText, const char* AWas) {
    std::array<qint32, N> values{};
    QStringView rest = AText.trimmed();
    bool ok = true;
    for (std::size_t i = 0; ok && i < N; ++i) {
        const qsizetype separator = rest.indexOf(QLatin1Char(';'));
        const bool last = i + 1 == N;
        if ((separator < 0) != last) {
            ok = false;
            break;
        }
        ok = ParseInt32((last ? rest : rest.first(separator)).trimmed(), values[i]);
        rest = last ? QStringView() : rest.sliced(separator + 1);
    }
    // The text is not quoted: a damaged record can put a stored password where a number
    // belongs, and error texts reach the log.
    if (!ok) {
        throw EVKO_Error(QStringLiteral("Ein Text von %1 Zeichen ist keine gültige %2: erwartet "
                                        "werden %3 ganze Zahlen, getrennt durch „;“.")
                             .arg(AText.size())
                             .arg(QString::fromUtf8(AWas))
                             .arg(N));
    }
    return values;
}

}  // namespace

QString vko_TIntTrio2String(const TIntTrio& ATrio) {
    return QStringLiteral("%1;%2;%3").arg(ATrio.I1).arg(ATrio.I2).arg(ATrio.I3);
}

TIntTrio vko_String2TIntTrio(QStringView AText) {
    const auto values = ParseIntegers<3>(AText, "Plan-Id");
    return TIntTrio{values[0], values[1], values[2]};
}

QString vko_TIntPair2String(const TIntPair& APair) {
    return QStringLiteral("%1;%2").arg(APair.I1).arg(APair.I2);
}

TIntPair vko_String2TIntPair(QStringView AText) {
    const auto values = ParseIntegers<2>(AText, "Benutzerkennung");
    return TIntPair{values[0], values[1]};
}
