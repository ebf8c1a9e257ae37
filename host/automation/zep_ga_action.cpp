#include "zep_ga_action.h"

bool ZEP_GA_IsKnownKind(quint8 AKind) {
    return AKind >= static_cast<quint8>(TZEP_GA_ActionKind::Template) &&
           AKind <= static_cast<quint8>(TZEP_GA_ActionKind::Pause);
}

QString TZEP_GA_SingleAction::ToString() const {
    switch (Kind) {
        case TZEP_GA_ActionKind::Template:
            return QStringLiteral("Vorlage „%1“").arg(Text);
        case TZEP_GA_ActionKind::StartProgram:
            return Text.isEmpty() ? QStringLiteral("Programm starten")
                                  : QStringLiteral("Programm starten mit „%1“").arg(Text);
        case TZEP_GA_ActionKind::WaitWindow:
            // One pass: a "%1" in the title must stay as it is.
            return QStringLiteral("Auf das Fenster „%1“ warten (höchstens %2 ms)")
                .arg(Text,
                     QString::number(Millisekunden > 0 ? Millisekunden : CZEP_GA_DefaultWaitMs));
        case TZEP_GA_ActionKind::TypeText:
            return QStringLiteral("Text eingeben: „%1“").arg(Text);
        case TZEP_GA_ActionKind::PressKeys:
            return QStringLiteral("Tasten drücken: %1").arg(Text);
        case TZEP_GA_ActionKind::Click:
            return QStringLiteral("Klicken bei %1, %2").arg(X).arg(Y);
        case TZEP_GA_ActionKind::Pause:
            return QStringLiteral("%1 ms warten").arg(Millisekunden);
    }
    return QStringLiteral("Unbekannte Aktion %1").arg(static_cast<int>(Kind));
}
