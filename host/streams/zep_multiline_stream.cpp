#include "zep_multiline_stream.h"

#include <QString>
#include <QVarLengthArray>
#include <QtEndian>

#include "vko_bounded_read.h"
#include "vko_info.h"

namespace {

const QByteArray CMagic = QByteArrayLiteral("ZMLS");

[[noreturn]] void RaiseNoPart(qsizetype ALine, qsizetype ACount) {
    throw EVKO_Error(QStringLiteral("Den Teil %1 gibt es nicht; der Datenstrom hat %2 Teile.")
                         .arg(ALine)
                         .arg(ACount),
                     CVKO_Info_Fehler_Standard_IllegalerParameter);
}

}  // namespace

TZEP_MultiLine_Stream::TZEP_MultiLine_Stream() = default;

TZEP_MultiLine_Stream::~TZEP_MultiLine_Stream() = default;

void TZEP_MultiLine_Stream::SetLineCount(int ACount) {
    if (ACount < 0 || ACount > CMaxLines) {
        throw EVKO_Error(QStringLiteral("Ungültige Anzahl von Teilen: %1.").arg(ACount),
                         CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    SyncFromStream();
    FStream.reset();
    FLines.resize(static_cast<std::size_t>(ACount));
    FCurrent = -1;
    FPosition = 0;
}

void TZEP_MultiLine_Stream::SetCurrentLine(int ALine) {
    if (ALine < 0 || ALine >= LineCount()) {
        RaiseNoPart(ALine, LineCount());
    }
    SyncFromStream();
    FStream.reset();
    FCurrent = ALine;
    FPosition = 0;
}

QByteArray& TZEP_MultiLine_Stream::Current() {
    if (FCurrent < 0) {
        throw EVKO_Error(QStringLiteral("Es ist kein Teil des Datenstroms gewählt."),
                         CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    SyncFromStream();
    TLine& line = FLines[static_cast<std::size_t>(FCurrent)];
    if (!line.Owned) {
        line.Bytes = line.View.toByteArray();
        line.View = {};
        line.Owned = true;
    }
    return line.Bytes;
}

const QByteArray& TZEP_MultiLine_Stream::LineData() const {
    return const_cast<TZEP_MultiLine_Stream*>(this)->Current();
}

QByteArrayView TZEP_MultiLine_Stream::LineView() const {
    if (FCurrent < 0 || FStream) {
        return LineData();
    }
    const TLine& line = FLines[static_cast<std::size_t>(FCurrent)];
    return line.Owned ? QByteArrayView(line.Bytes) : line.View;
}

void TZEP_MultiLine_Stream::SyncFromStream() {
    // Whatever went through the device moves the position of the plain operations too.
    if (FStream) {
        FPosition = FStream->pos();
    }
}

qint64 TZEP_MultiLine_Stream::Size() const {
    return LineData().size();
}

void TZEP_MultiLine_Stream::Seek(qint64 APosition) {
    const qint64 size = Current().size();
    if (APosition < 0 || APosition > size) {
        throw EVKO_Error(QStringLiteral("Position %1 liegt außerhalb des Teils (Größe %2).")
                             .arg(APosition)
                             .arg(size),
                         CVKO_Info_Fehler_Standard_IllegalerParameter);
    }
    FPosition = APosition;
    if (FStream) {
        FStream->seek(APosition);
    }
}

QByteArray TZEP_MultiLine_Stream::Read(qint64 ACount) {
    const QByteArray& line = Current();
    const QByteArray bytes = line.mid(FPosition, qMax<qint64>(0, ACount));
    Seek(FPosition + bytes.size());
    return bytes;
}

QByteArray TZEP_MultiLine_Stream::ReadAll() {
    return Read(Current().size() - FPosition);
}

void TZEP_MultiLine_Stream::Write(const QByteArray& ABytes) {
    QByteArray& line = Current();
    const qint64 end = FPosition + ABytes.size();
    if (end > line.size()) {
        line.resize(end);
    }
    std::copy(ABytes.cbegin(), ABytes.cend(), line.begin() + FPosition);
    Seek(end);
}

QIODevice& TZEP_MultiLine_Stream::Stream() {
    QByteArray& line = Current();
    if (!FStream) {
        FStream = std::make_unique<QBuffer>(&line);
        FStream->open(QIODevice::ReadWrite);
        FStream->seek(FPosition);
    }
    return *FStream;
}

void TZEP_MultiLine_Stream::SaveFullData(QIODevice& AStream) const {
    const_cast<TZEP_MultiLine_Stream*>(this)->SyncFromStream();
    QByteArray header = CMagic;
    header.reserve(8 + 4 * LineCount());
    const auto appendUInt32 = [&header](quint32 AValue) {
        for (int shift = 0; shift < 32; shift += 8) {
            header.append(static_cast<char>((AValue >> shift) & 0xFF));
        }
    };
    appendUInt32(static_cast<quint32>(LineCount()));
    for (const TLine& line : FLines) {
        appendUInt32(static_cast<quint32>(line.Size()));
    }
    VKO_WriteAll(AStream, header);
    for (const TLine& line : FLines) {
        VKO_WriteAll(AStream, line.Owned ? line.Bytes : line.View.toByteArray());
    }
}

void TZEP_MultiLine_Stream::LoadFullData(QIODevice& AStream) {
    const QString was = QStringLiteral("Der mehrteilige Datenstrom");
    QByteArray bytes = VKO_ReadExactly(AStream, CMagic.size(), was);
    if (bytes == CMagic) {
        bytes += VKO_ReadExactly(AStream, 4, was);
        const quint32 count = qFromLittleEndian<quint32>(bytes.constData() + CMagic.size());
        if (count <= static_cast<quint32>(CMaxLines)) {
            const QByteArray sizes = VKO_ReadExactly(AStream, 4 * qint64(count), was);
            qint64 total = 0;
            for (quint32 i = 0; i < count; ++i) {
                total += qFromLittleEndian<quint32>(sizes.constData() + 4 * i);
            }
            // It grows only with the bytes that really arrive, whatever the sizes claim.
            bytes += sizes + VKO_ReadExactly(AStream, total, was);
        }
    }
    LoadFullData(bytes);
}

qsizetype TZEP_MultiLine_Stream::SplitFullData(QByteArrayView ABytes, TPartViews& AParts) {
    TVKO_ByteReader reader(ABytes, QStringLiteral("Der mehrteilige Datenstrom"));
    if (ABytes.size() < CMagic.size() || ABytes.first(CMagic.size()) != CMagic) {
        throw EVKO_Error(
            QStringLiteral("Die Daten sind kein mehrteiliger Datenstrom (die "
                           "Kennung „ZMLS“ fehlt)."));
    }
    reader.ReadUInt32();
    const quint32 count = reader.ReadUInt32();
    if (count > static_cast<quint32>(CMaxLines)) {
        throw EVKO_Error(
            QStringLiteral("Der mehrteilige Datenstrom ist beschädigt: %1 Teile angegeben.")
                .arg(count));
    }
    QVarLengthArray<quint32, 16> sizes(count);
    for (quint32& size : sizes) {
        size = reader.ReadUInt32();
    }
    AParts.resize(count);
    for (quint32 i = 0; i < count; ++i) {
        AParts[i] = reader.ReadBytes(sizes[i]);
    }
    return ABytes.size() - reader.Remaining();
}

QByteArrayView TZEP_MultiLine_Stream::Part(const TPartViews& AParts, qsizetype AIndex) {
    if (AIndex < 0 || AIndex >= AParts.size()) {
        RaiseNoPart(AIndex, AParts.size());
    }
    return AParts[AIndex];
}

qsizetype TZEP_MultiLine_Stream::LoadFullData(const QByteArray& ABytes) {
    // The parts stay views into the kept bytes until someone asks for a part of its own.
    TPartViews views;
    const qsizetype used = SplitFullData(ABytes, views);
    FStream.reset();
    FLines.resize(views.size());
    for (qsizetype i = 0; i < views.size(); ++i) {
        FLines[i] = TLine{QByteArray(), views[i], false};
    }
    FSource = ABytes;
    FCurrent = -1;
    FPosition = 0;
    return used;
}
