#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

// Reads exactly ACount bytes or raises EVKO_Error naming AWas. Memory grows only with the
// bytes that really arrive, so a damaged size field never causes a large allocation.
QByteArray VKO_ReadExactly(QIODevice& ADevice, qint64 ACount, const QString& AWas);

quint32 VKO_ReadUInt32(QIODevice& ADevice, const QString& AWas);
qint32 VKO_ReadInt32(QIODevice& ADevice, const QString& AWas);
quint8 VKO_ReadUInt8(QIODevice& ADevice, const QString& AWas);

// Writes all of ABytes or raises EVKO_Error.
void VKO_WriteAll(QIODevice& ADevice, const QByteArray& ABytes);
void VKO_WriteUInt32(QIODevice& ADevice, quint32 AValue);
void VKO_WriteInt32(QIODevice& ADevice, qint32 AValue);
void VKO_WriteUInt8(QIODevice& ADevice, quint8 AValue);

// Reads values from bytes in memory; every read is checked against the bytes that are left.
class TVKO_ByteReader {
public:
    TVKO_ByteReader(QByteArrayView ABytes, QString AWas);

    quint8 ReadUInt8() { return static_cast<quint8>(Take(1).at(0)); }
    quint32 ReadUInt32() { return qFromLittleEndian<quint32>(Take(4).data()); }
    qint32 ReadInt32() { return qFromLittleEndian<qint32>(Take(4).data()); }
    // A UTF-16LE text behind its byte count (32 bit); every text round-trips exactly.
    QString ReadText();
    // Checks and passes over such a text without decoding it.
    void SkipText();
    QByteArrayView ReadBytes(qsizetype ACount) { return Take(ACount); }
    qsizetype Remaining() const { return FBytes.size() - FPosition; }

private:
    // Inline, since a record's check takes many small values.
    QByteArrayView Take(qsizetype ACount) {
        if (ACount < 0 || ACount > Remaining()) {
            RaiseShort(ACount);
        }
        const QByteArrayView bytes = FBytes.sliced(FPosition, ACount);
        FPosition += ACount;
        return bytes;
    }
    [[noreturn]] void RaiseShort(qsizetype ACount) const;
    qsizetype TextSize();

    QByteArrayView FBytes;
    qsizetype FPosition = 0;
    QString FWas;
};

// Appends values in the byte order and forms that TVKO_ByteReader reads.
class TVKO_ByteWriter {
public:
    void WriteUInt8(quint8 AValue);
    void WriteUInt32(quint32 AValue);
    void WriteInt32(qint32 AValue);
    void WriteText(const QString& AText);
    const QByteArray& Bytes() const { return FBytes; }

private:
    QByteArray FBytes;
};
