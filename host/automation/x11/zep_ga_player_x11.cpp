#include "zep_ga_player_x11.h"

#include "vko_info.h"
#include "zep_ga_begleitung.h"
#include "zep_ga_private_display.h"
#include "zep_ga_target_process.h"
#include "zep_ga_x11_bildquelle.h"
#include "zep_ga_x11_run.h"

namespace {

constexpr int CEndGraceMs = 3000;

bool StartsItsProgram(const TZEP_GA_Sequence& ASequence) {
    return ASequence.Count() > 0 && ASequence.Action(0).Kind == TZEP_GA_ActionKind::StartProgram;
}

}  // namespace

TZEP_GA_Player_X11::TZEP_GA_Player_X11() try {
} catch (...) {
    RethrowRegistered("TZEP_GA_Player_X11.Create");
}

TZEP_GA_Player_X11::~TZEP_GA_Player_X11() = default;

void TZEP_GA_Player_X11::PlaySequence(const TZEP_GA_Sequence& ASequence) try {
    Play(ASequence, nullptr, nullptr, nullptr);
} catch (...) {
    RethrowRegistered("TZEP_GA_Player_X11.PlaySequence");
}

void TZEP_GA_Player_X11::PlayBeside(const TZEP_GA_Sequence& ASequence,
                                    TZEP_GA_Begleitung& ABegleitung) try {
    FFehlerBildschirm = {};
    if (!StartsItsProgram(ASequence)) {
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            throw EVKO_Error(VKOInfo().MeldungText(MD_Koord(1050)), MD_Koord(1050));
        }
        Play(ASequence, nullptr, &ABegleitung, nullptr);
        return;
    }
    const TZEP_GA_PrivateDisplay display(ABegleitung.Bildschirmgroesse());
    ABegleitung.SetEigenerBildschirm(true);
    TZEP_GA_X11Bildquelle quelle(display.Name(), ABegleitung);
    Play(ASequence, &display, &ABegleitung, &quelle);
} catch (...) {
    RethrowRegistered("TZEP_GA_Player_X11.PlayBeside");
}

void TZEP_GA_Player_X11::Play(const TZEP_GA_Sequence& ASequence,
                              const TZEP_GA_PrivateDisplay* ADisplay,
                              const TZEP_GA_Begleitung* ABegleitung,
                              TZEP_GA_X11Bildquelle* AQuelle) {
    std::erase_if(FLeftRunning, [](const auto& AProcess) { return !AProcess->IsRunning(); });
    FFehlerBildschirm = {};
    TZEP_GA_X11Run run(ASequence);
    if (ADisplay != nullptr || ABegleitung != nullptr) {
        run.SetZiel(ADisplay != nullptr ? ADisplay->Name() : QByteArray(),
                    ADisplay != nullptr ? ADisplay->Umgebung() : QByteArrayList(), ABegleitung);
    }
    try {
        run.Play();
    } catch (...) {
        TZEP_GA_X11Session::TBild bild = run.TakeBildschirm();
        FFehlerBildschirm = {bild.Breite, bild.Hoehe, std::move(bild.Pixel)};
        throw;
    }
    if (ADisplay == nullptr) {
        for (auto& process : run.TakeStillRunning()) {
            FLeftRunning.push_back(std::move(process));
        }
        return;
    }
    // The display goes with the run, and so does what still runs on it; its last picture stays.
    // The pictures' memory already holds the screen; without it the run takes the screen anew.
    FFehlerBildschirm = AQuelle != nullptr ? AQuelle->Schlussbild() : TZEP_GA_Bildschirm{};
    if (FFehlerBildschirm.IsEmpty()) {
        run.KeepScreen();
        TZEP_GA_X11Session::TBild bild = run.TakeBildschirm();
        FFehlerBildschirm = {bild.Breite, bild.Hoehe, std::move(bild.Pixel)};
    }
    for (auto& process : run.TakeStillRunning()) {
        process->End(CEndGraceMs);
    }
}
