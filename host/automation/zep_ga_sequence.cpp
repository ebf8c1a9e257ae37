#include "zep_ga_sequence.h"

#include <QStringList>
#include <QtEndian>

#include "vko_bounded_read.h"
#include "vko_info.h"

namespace {

const QByteArray CMagic = QByteArrayLiteral("GASQ");
constexpr quint32 CVersion = 1;
// Kind, text size, X, Y and Millisekunden: the least bytes one action takes.
constexpr quint32 CMinActionBytes = 1 + 4 + 3 * 4;

}  // namespace

void TZEP_GA_Sequence::Clear() {
    FActions.clear();
}

void TZEP_GA_Sequence::SaveToStream(QIODevice& AStream) const {
    TVKO_ByteWriter body;
    body.WriteUInt32(CVersion);
    body.WriteText(FTargetProgramFile);
    body.WriteUInt32(static_cast<quint32>(FActions.size()));
    for (const TZEP_GA_SingleAction& action : FActions) {
        body.WriteUInt8(static_cast<quint8>(action.Kind));
        body.WriteText(action.Text);
        body.WriteInt32(action.X);
        body.WriteInt32(action.Y);
        body.WriteInt32(action.Millisekunden);
    }
    // The body's size in front lets a reader stop exactly at the end without a byte more.
    VKO_WriteAll(AStream, CMagic);
    VKO_WriteUInt32(AStream, static_cast<quint32>(body.Bytes().size()));
    VKO_WriteAll(AStream, body.Bytes());
}

void TZEP_GA_Sequence::LoadFromStream(QIODevice& AStream) {
    const QString was = QStringLiteral("Die gespeicherte Aktionsfolge");
    QByteArray bytes = VKO_ReadExactly(AStream, CMagic.size(), was);
    if (bytes == CMagic) {
        bytes += VKO_ReadExactly(AStream, 4, was);
        bytes += VKO_ReadExactly(
            AStream, qFromLittleEndian<quint32>(bytes.constData() + CMagic.size()), was);
    }
    LoadFromBytes(bytes);
}

qsizetype TZEP_GA_Sequence::LoadFromBytes(QByteArrayView ABytes) {
    QList<TZEP_GA_SingleAction> actions;
    QString target;
    const qsizetype used = Parse(ABytes, &actions, &target);
    FActions = std::move(actions);
    FTargetProgramFile = target;
    return used;
}

qsizetype TZEP_GA_Sequence::CountActions(QByteArrayView ABytes) {
    qsizetype count = 0;
    Parse(ABytes, nullptr, nullptr, &count);
    return count;
}

// One pass for reading and for checking: without AActions nothing is decoded or kept, but
// every check runs, so that a checked sequence always reads.
qsizetype TZEP_GA_Sequence::Parse(QByteArrayView ABytes, QList<TZEP_GA_SingleAction>* AActions,
                                  QString* ATarget, qsizetype* ACount) {
    const QString was = QStringLiteral("Die gespeicherte Aktionsfolge");
    if (ABytes.size() < CMagic.size() || ABytes.first(CMagic.size()) != CMagic) {
        throw EVKO_Error(
            QStringLiteral("Die Daten sind keine gespeicherte Aktionsfolge (die Kennung „GASQ“ "
                           "fehlt)."));
    }
    TVKO_ByteReader header(ABytes.sliced(CMagic.size()), was);
    const quint32 size = header.ReadUInt32();
    if (size > header.Remaining()) {
        throw EVKO_Error(QStringLiteral("Die gespeicherte Aktionsfolge ist unvollständig: %1 "
                                        "Bytes erwartet, nur %2 vorhanden.")
                             .arg(size)
                             .arg(header.Remaining()));
    }
    TVKO_ByteReader body(ABytes.sliced(CMagic.size() + 4, size), was);
    const quint32 version = body.ReadUInt32();
    if (version != CVersion) {
        throw EVKO_Error(
            QStringLiteral("Die gespeicherte Aktionsfolge hat die unbekannte Version %1.")
                .arg(version));
    }
    if (ATarget != nullptr) {
        *ATarget = body.ReadText();
    } else {
        body.SkipText();
    }
    const quint32 count = body.ReadUInt32();
    if (count > body.Remaining() / CMinActionBytes) {
        throw EVKO_Error(QStringLiteral("Die gespeicherte Aktionsfolge ist beschädigt: %1 "
                                        "Aktionen angegeben, aber nur %2 Bytes vorhanden.")
                             .arg(count)
                             .arg(body.Remaining()));
    }
    if (AActions != nullptr) {
        AActions->reserve(count);
    }
    for (quint32 i = 0; i < count; ++i) {
        TZEP_GA_SingleAction action;
        const quint8 kind = body.ReadUInt8();
        if (!ZEP_GA_IsKnownKind(kind)) {
            throw EVKO_Error(QStringLiteral("Die gespeicherte Aktionsfolge ist beschädigt: "
                                            "Aktion %1 hat die unbekannte Art %2.")
                                 .arg(i + 1)
                                 .arg(kind));
        }
        action.Kind = static_cast<TZEP_GA_ActionKind>(kind);
        if (AActions != nullptr) {
            action.Text = body.ReadText();
        } else {
            body.SkipText();
        }
        action.X = body.ReadInt32();
        action.Y = body.ReadInt32();
        action.Millisekunden = body.ReadInt32();
        if (AActions != nullptr) {
            AActions->append(std::move(action));
        }
    }
    if (body.Remaining() != 0) {
        throw EVKO_Error(QStringLiteral("Die gespeicherte Aktionsfolge ist beschädigt: %1 Bytes "
                                        "nach der letzten Aktion.")
                             .arg(body.Remaining()));
    }
    if (ACount != nullptr) {
        *ACount = count;
    }
    return CMagic.size() + 4 + size;
}

QString TZEP_GA_Sequence::ToString() const {
    QStringList steps;
    steps.reserve(FActions.size());
    for (const TZEP_GA_SingleAction& action : FActions) {
        steps.append(action.ToString());
    }
    return QStringLiteral("%1 (%2 Aktionen): %3")
        .arg(FTargetProgramFile.isEmpty() ? QStringLiteral("ohne Programm") : FTargetProgramFile,
             QString::number(FActions.size()), steps.join(QStringLiteral("; ")));
}
