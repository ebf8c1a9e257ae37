#pragma once

#include <QString>
#include <QtGlobal>

// The kinds of action the automation engine knows. Kind 1 is a Mandorel's template step; the
// others are played against the target program's window.
enum class TZEP_GA_ActionKind : quint8 {
    Template = 1,      // Text: the key of a catalogue template
    StartProgram = 2,  // starts the sequence's target program; Text: extra arguments
    WaitWindow = 3,    // waits for a window whose title contains Text; Millisekunden: timeout
    TypeText = 4,      // types Text into the target program's focused window
    PressKeys = 5,     // Text: key combinations separated by blanks, e.g. "ctrl+s Tab Return"
    Click = 6,         // left click at X, Y relative to the target program's window
    Pause = 7,         // waits Millisekunden
};

bool ZEP_GA_IsKnownKind(quint8 AKind);

// A wait without a timeout of its own gives up after this long.
inline constexpr qint32 CZEP_GA_DefaultWaitMs = 10000;

// One automation action, a value copied on assignment.
struct TZEP_GA_SingleAction {
    TZEP_GA_ActionKind Kind = TZEP_GA_ActionKind::Template;
    QString Text;
    qint32 X = 0;
    qint32 Y = 0;
    qint32 Millisekunden = 0;

    // A reset action; the caller then sets kind and text.
    void Clear() { *this = TZEP_GA_SingleAction{}; }
    // One line describing the action, for display.
    QString ToString() const;

    friend bool operator==(const TZEP_GA_SingleAction&, const TZEP_GA_SingleAction&) = default;
};
