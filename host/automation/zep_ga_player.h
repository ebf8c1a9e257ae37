#pragma once

#include "zep_ga_sequence.h"

// Plays a sequence against its target program. Raises an exception when the program cannot
// be driven; returns when all actions were played.
class TZEP_GA_Player {
public:
    virtual ~TZEP_GA_Player() = default;
    virtual void PlaySequence(const TZEP_GA_Sequence& ASequence) = 0;
};
