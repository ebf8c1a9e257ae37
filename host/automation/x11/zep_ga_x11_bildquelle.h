#pragma once

#include <QByteArray>
#include <atomic>
#include <thread>

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

private:
    void Lauf() noexcept;

    QByteArray FDisplay;
    TZEP_GA_Begleitung& FBegleitung;
    std::atomic<bool> FEnde{false};
    std::thread FThread;
};
