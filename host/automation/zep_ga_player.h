#pragma once

#include "vko_error.h"
#include "zep_ga_sequence.h"

// Plays a sequence against its target program. Raises an exception when the program cannot
// be driven; returns when all actions were played.
class TZEP_GA_Player {
public:
    virtual ~TZEP_GA_Player() = default;
    virtual void PlaySequence(const TZEP_GA_Sequence& ASequence) = 0;
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
