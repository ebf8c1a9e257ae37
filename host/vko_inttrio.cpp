#include "vko_inttrio.h"

#include <QStringList>
#include <array>

#include "vko_info.h"

namespace {

template <std::size_t N>
std::array<qint32, N> ParseIntegers(const QString& AText, const char* AWas) {
    const QStringList items = AText.trimmed().split(QLatin1Char(';'));
    std::array<qint32, N> values{};
    bool ok = items.size() == static_cast<qsizetype>(N);
    for (std::size_t i = 0; ok && i < N; ++i) {
        values[i] = items[static_cast<qsizetype>(i)].trimmed().toInt(&ok);
    }
    if (!ok) {
        throw EVKO_Error(QStringLiteral("„%1“ ist keine gültige %2: erwartet werden %3 ganze "
                                        "Zahlen, getrennt durch „;“.")
                             .arg(AText.left(80), QString::fromUtf8(AWas))
                             .arg(N));
    }
    return values;
}

}  // namespace

QString vko_TIntTrio2String(const TIntTrio& ATrio) {
    return QStringLiteral("%1;%2;%3").arg(ATrio.I1).arg(ATrio.I2).arg(ATrio.I3);
}

TIntTrio vko_String2TIntTrio(const QString& AText) {
    const auto values = ParseIntegers<3>(AText, "Plan-Id");
    return TIntTrio{values[0], values[1], values[2]};
}

QString vko_TIntPair2String(const TIntPair& APair) {
    return QStringLiteral("%1;%2").arg(APair.I1).arg(APair.I2);
}

TIntPair vko_String2TIntPair(const QString& AText) {
    const auto values = ParseIntegers<2>(AText, "Benutzerkennung");
    return TIntPair{values[0], values[1]};
}
