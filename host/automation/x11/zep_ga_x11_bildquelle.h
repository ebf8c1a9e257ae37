#pragma once

#include <QByteArray>
#include <atomic>
#include <thread>

#include "zep_ga_player.h"

class TZEP_GA_Begleitung;

// Hands pictures of a display to a run's window while the run plays: on a thread and an X
// connection of its own, a new picture, scaled to at most CMaxBreite pixels wide, each time the
// screen changed (XDamage), at most one per CAbstandMs; without XDamage one per CAbstandMs.
class TZEP_GA_X11Bildquelle {
public:
    static constexpr int CMaxBreite = 640;
    static constexpr int CAbstandMs = 150;

    TZEP_GA_X11Bildquelle(QByteArray ADisplay, TZEP_GA_Begleitung& ABegleitung);
    ~TZEP_GA_X11Bildquelle();
    TZEP_GA_X11Bildquelle(const TZEP_GA_X11Bildquelle&) = delete;
    TZEP_GA_X11Bildquelle& operator=(const TZEP_GA_X11Bildquelle&) = delete;

    // Ends the pictures and answers the whole screen as it shows now, at full size, through the
    // memory the pictures already use; empty when the display handed out none.
    TZEP_GA_Bildschirm Schlussbild();

private:
    void Lauf() noexcept;
    void Beenden() noexcept;

    QByteArray FDisplay;
    TZEP_GA_Begleitung& FBegleitung;
    std::atomic<bool> FEnde{false};
    std::atomic<bool> FSchlussGewuenscht{false};
    // Wakes the thread from its wait for the server at once when it is to end.
    int FWecker = -1;
    TZEP_GA_Bildschirm FSchlussbild;
    std::thread FThread;
};
