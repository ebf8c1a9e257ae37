#pragma once

#include <QByteArray>

#include "vko_error.h"
#include "zep_ga_sequence.h"

// A picture of the screen: 32-bit pixels 0xffRRGGBB, row by row from the top.
struct TZEP_GA_Bildschirm {
    int Breite = 0;
    int Hoehe = 0;
    QByteArray Pixel;

    bool IsEmpty() const { return Pixel.isEmpty(); }
};

class TZEP_GA_Begleitung;

// Plays a sequence against its target program. Raises an exception when the program cannot
// be driven; returns when all actions were played.
class TZEP_GA_Player {
public:
    virtual ~TZEP_GA_Player() = default;
    virtual void PlaySequence(const TZEP_GA_Sequence& ASequence) = 0;
    // A test run beside the user, on a thread of its own: where the player can, it plays on a
    // display of the run's own, shows it to ABegleitung and stops when asked to.
    virtual void PlayBeside(const TZEP_GA_Sequence& ASequence, TZEP_GA_Begleitung& ABegleitung) {
        static_cast<void>(ABegleitung);
        PlaySequence(ASequence);
    }
    // The screen as it showed when the last play failed, or when the last play beside the user
    // ended on its own display; taken once; empty when the player keeps none.
    virtual TZEP_GA_Bildschirm TakeFehlerBildschirm() { return {}; }
};

// A play that failed at one action of its sequence; ASchritt counts from 1.
class EZEP_GA_SchrittFehler : public EVKO_Error {
public:
    EZEP_GA_SchrittFehler(QString AText, int ASchritt)
        : EVKO_Error(std::move(AText)), FSchritt(ASchritt) {}
    int Schritt() const { return FSchritt; }

private:
    int FSchritt;
};
