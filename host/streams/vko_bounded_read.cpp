#include "vko_bounded_read.h"

#include <QVarLengthArray>
#include <QtEndian>
#include <algorithm>

#include "vko_info.h"
#include "vko_stringpool.h"

namespace {

constexpr qint64 CChunk = 64 * 1024;

}  // namespace

QByteArray VKO_ReadExactly(QIODevice& ADevice, qint64 ACount, const QString& AWas) {
    if (ACount < 0) {
        throw EVKO_Error(QStringLiteral("%1: ungültige Länge %2.").arg(AWas).arg(ACount));
    }
    QByteArray bytes;
    while (bytes.size() < ACount) {
        const qint64 wanted = std::min(CChunk, ACount - bytes.size());
        const QByteArray chunk = ADevice.read(wanted);
        if (chunk.isEmpty()) {
            throw EVKO_Error(
                QStringLiteral("%1 ist unvollständig: %2 Bytes erwartet, nur %3 vorhanden.")
                    .arg(AWas)
                    .arg(ACount)
                    .arg(bytes.size()));
        }
        bytes.append(chunk);
    }
    return bytes;
}

quint32 VKO_ReadUInt32(QIODevice& ADevice, const QString& AWas) {
    return qFromLittleEndian<quint32>(VKO_ReadExactly(ADevice, 4, AWas).constData());
}

qint32 VKO_ReadInt32(QIODevice& ADevice, const QString& AWas) {
    return qFromLittleEndian<qint32>(VKO_ReadExactly(ADevice, 4, AWas).constData());
}

quint8 VKO_ReadUInt8(QIODevice& ADevice, const QString& AWas) {
    return static_cast<quint8>(VKO_ReadExactly(ADevice, 1, AWas).at(0));
}

void VKO_WriteAll(QIODevice& ADevice, const QByteArray& ABytes) {
    if (ADevice.write(ABytes) != ABytes.size()) {
        throw EVKO_Error(QStringLiteral("Die Daten konnten nicht geschrieben werden: %1")
                             .arg(ADevice.errorString()));
    }
}

void VKO_WriteUInt32(QIODevice& ADevice, quint32 AValue) {
    char bytes[4];
    qToLittleEndian(AValue, bytes);
    VKO_WriteAll(ADevice, QByteArray(bytes, 4));
}

void VKO_WriteInt32(QIODevice& ADevice, qint32 AValue) {
    char bytes[4];
    qToLittleEndian(AValue, bytes);
    VKO_WriteAll(ADevice, QByteArray(bytes, 4));
}

void VKO_WriteUInt8(QIODevice& ADevice, quint8 AValue) {
    VKO_WriteAll(ADevice, QByteArray(1, static_cast<char>(AValue)));
}

TVKO_ByteReader::TVKO_ByteReader(QByteArrayView ABytes, QString AWas)
    : FBytes(ABytes), FWas(std::move(AWas)) {}

void TVKO_ByteReader::RaiseShort(qsizetype ACount) const {
    throw EVKO_Error(QStringLiteral("%1 ist beschädigt: an Stelle %2 werden %3 Bytes "
                                    "erwartet, es sind nur %4 vorhanden.")
                         .arg(FWas)
                         .arg(FPosition)
                         .arg(ACount)
                         .arg(Remaining()));
}

void TVKO_ByteReader::SkipText() {
    Take(TextSize());
}

qsizetype TVKO_ByteReader::TextSize() {
    const quint32 size = ReadUInt32();
    if (size % 2 != 0) {
        throw EVKO_Error(QStringLiteral("%1 ist beschädigt: an Stelle %2 steht ein Text mit der "
                                        "ungeraden Länge %3.")
                             .arg(FWas)
                             .arg(FPosition)
                             .arg(size));
    }
    return static_cast<qsizetype>(size);
}

QString TVKO_ByteReader::ReadText() {
    const qsizetype size = TextSize();
    const QByteArrayView bytes = Take(size);
    QVarLengthArray<char16_t, TVKO_StringPool::CMaxLength> units(size / 2);
    for (qsizetype i = 0; i < units.size(); ++i) {
        units[i] = qFromLittleEndian<char16_t>(bytes.data() + 2 * i);
    }
    return VKO_Intern(QStringView(units.data(), units.size()));
}

void TVKO_ByteWriter::WriteUInt8(quint8 AValue) {
    FBytes.append(static_cast<char>(AValue));
}

void TVKO_ByteWriter::WriteUInt32(quint32 AValue) {
    char bytes[4];
    qToLittleEndian(AValue, bytes);
    FBytes.append(bytes, 4);
}

void TVKO_ByteWriter::WriteInt32(qint32 AValue) {
    WriteUInt32(static_cast<quint32>(AValue));
}

void TVKO_ByteWriter::WriteText(const QString& AText) {
    WriteUInt32(static_cast<quint32>(2 * AText.size()));
    for (const QChar c : AText) {
        char bytes[2];
        qToLittleEndian(c.unicode(), bytes);
        FBytes.append(bytes, 2);
    }
}
