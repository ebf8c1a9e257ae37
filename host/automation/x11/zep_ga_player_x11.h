#pragma once

#include <memory>
#include <vector>

#include "zep_ga_player.h"

class TZEP_GA_TargetProcess;

// Plays sequences against real windows on X11: starts the target program through the program
// directory (MD_Programme.ini), waits for its window, types, presses keys and clicks through
// XTEST. Input goes only to a window of the target program; every wait has a timeout. A failed
// run raises an error naming the step and ends the programs it started.
class TZEP_GA_Player_X11 : public TZEP_GA_Player {
public:
    TZEP_GA_Player_X11();
    ~TZEP_GA_Player_X11() override;
    TZEP_GA_Player_X11(const TZEP_GA_Player_X11&) = delete;
    TZEP_GA_Player_X11& operator=(const TZEP_GA_Player_X11&) = delete;

    void PlaySequence(const TZEP_GA_Sequence& ASequence) override;
    // A sequence whose first action starts its program plays on a private display, with a
    // picture of it for ABegleitung; any other on the user's display, which on a Wayland
    // session no X11 input reaches: there it fails before it begins.
    void PlayBeside(const TZEP_GA_Sequence& ASequence, TZEP_GA_Begleitung& ABegleitung) override;
    TZEP_GA_Bildschirm TakeFehlerBildschirm() override { return std::move(FFehlerBildschirm); }

private:
    void Play(const TZEP_GA_Sequence& ASequence, const class TZEP_GA_PrivateDisplay* ADisplay,
              const TZEP_GA_Begleitung* ABegleitung, class TZEP_GA_X11Bildquelle* AQuelle);

    // Programs that completed runs left open; kept so that they are reaped once they end.
    std::vector<std::unique_ptr<TZEP_GA_TargetProcess>> FLeftRunning;
    TZEP_GA_Bildschirm FFehlerBildschirm;
};
