#pragma once

#include <QPoint>
#include <QRgb>
#include <QString>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

// Stands in for a window manager that maps a window some time after its program showed it, as
// a real one does after reparenting and placing it. When a window manager already runs on the
// display, that one does the mapping and this one stays idle.
class TLateMapper {
public:
    explicit TLateMapper(std::chrono::milliseconds ADelay);
    ~TLateMapper();
    TLateMapper(const TLateMapper&) = delete;
    TLateMapper& operator=(const TLateMapper&) = delete;

    // False once it found another window manager in charge.
    bool Maps() const { return FMaps; }

private:
    void Run(std::chrono::milliseconds ADelay);

    std::thread FThread;
    std::atomic<bool> FStop = false;
    std::atomic<bool> FMaps = true;
    std::atomic<bool> FReady = false;
};

// The colour of a point of the window whose title begins with ATitle, read from the display ASettle
// after the window became viewable; none when no such window was shown within ATimeout.
std::optional<QRgb> X11_PixelOfWindow(const QString& ATitle, QPoint APoint,
                                      std::chrono::milliseconds ATimeout,
                                      std::chrono::milliseconds ASettle);
