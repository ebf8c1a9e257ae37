#include "zep_ga_player_x11.h"

#include "vko_info.h"
#include "zep_ga_target_process.h"
#include "zep_ga_x11_run.h"

TZEP_GA_Player_X11::TZEP_GA_Player_X11() try {
} catch (...) {
    RethrowRegistered("TZEP_GA_Player_X11.Create");
}

TZEP_GA_Player_X11::~TZEP_GA_Player_X11() = default;

void TZEP_GA_Player_X11::PlaySequence(const TZEP_GA_Sequence& ASequence) try {
    std::erase_if(FLeftRunning, [](const auto& AProcess) { return !AProcess->IsRunning(); });
    FFehlerBildschirm = {};
    TZEP_GA_X11Run run(ASequence);
    try {
        run.Play();
    } catch (...) {
        TZEP_GA_X11Session::TBild bild = run.TakeBildschirm();
        FFehlerBildschirm = {bild.Breite, bild.Hoehe, std::move(bild.Pixel)};
        throw;
    }
    for (auto& process : run.TakeStillRunning()) {
        FLeftRunning.push_back(std::move(process));
    }
} catch (...) {
    RethrowRegistered("TZEP_GA_Player_X11.PlaySequence");
}
