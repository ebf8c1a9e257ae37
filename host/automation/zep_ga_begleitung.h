#pragma once

#include <QSize>
#include <atomic>
#include <mutex>

#include "vko_error.h"
#include "zep_ga_player.h"

// What a test run shares with the window that watches it while it plays on a thread of its
// own: the user's screen size, the wish to stop, and the newest picture of its private display.
// Every member may be used from any thread.
class TZEP_GA_Begleitung {
public:
    explicit TZEP_GA_Begleitung(QSize ABildschirmgroesse = {}) : FGroesse(ABildschirmgroesse) {}

    QSize Bildschirmgroesse() const { return FGroesse; }

    void Anhalten() noexcept { FAngehalten.store(true); }
    bool Angehalten() const noexcept { return FAngehalten.load(); }

    // Set by the player while the run shows on a private display.
    void SetEigenerBildschirm(bool AEigener) noexcept { FEigener.store(AEigener); }
    bool EigenerBildschirm() const noexcept { return FEigener.load(); }

    void SetBild(TZEP_GA_Bildschirm ABild);
    // The picture set since the last call, if any.
    bool TakeBild(TZEP_GA_Bildschirm& ABild);

private:
    const QSize FGroesse;
    std::atomic<bool> FAngehalten{false};
    std::atomic<bool> FEigener{false};
    std::mutex FMutex;
    TZEP_GA_Bildschirm FBild;
    bool FNeu = false;
};

// The play ended because the user stopped it.
class EZEP_GA_Angehalten : public EVKO_Error {
public:
    EZEP_GA_Angehalten() : EVKO_Error(QStringLiteral("Der Testlauf wurde angehalten.")) {}
};
