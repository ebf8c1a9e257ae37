#include "zep_ga_begleitung.h"

void TZEP_GA_Begleitung::SetBild(TZEP_GA_Bildschirm ABild) {
    const std::lock_guard lock(FMutex);
    FBild = std::move(ABild);
    FNeu = true;
}

bool TZEP_GA_Begleitung::TakeBild(TZEP_GA_Bildschirm& ABild) {
    const std::lock_guard lock(FMutex);
    if (!FNeu) {
        return false;
    }
    ABild = std::move(FBild);
    FBild = {};
    FNeu = false;
    return true;
}
