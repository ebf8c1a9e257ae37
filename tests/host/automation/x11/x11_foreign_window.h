#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <thread>

// A bare X window of some other program, for the focus tests. It counts the key presses it
// receives, and it can take the keyboard focus behind a player's back.
class TForeignWindow {
public:
    // Opens its own connection to DISPLAY and shows a window titled ATitle; with AClaimedPid
    // its _NET_WM_PID says that process owns it.
    explicit TForeignWindow(const QString& ATitle, qint64 AClaimedPid = 0);
    ~TForeignWindow();
    TForeignWindow(const TForeignWindow&) = delete;
    TForeignWindow& operator=(const TForeignWindow&) = delete;

    // From a thread of its own: as soon as a window whose title contains ATitlePart has the
    // focus, gives the focus to this window ...
    void StealFocusFrom(const QString& ATitlePart);
    // ... or lays a window with this title exactly over that one, wherever a window manager
    // placed it.
    void CoverWhenFocused(const QString& ATitlePart);
    // ... or, once a window whose title contains ATitlePart has the focus, waits for the first
    // key it gets and then does one thing to it.
    enum class TAfterKey { StealFocus, Unmap, Replace };
    void ActAfterKeyTo(const QString& ATitlePart, TAfterKey AAct);
    // Whether the thread acted; ends it.
    bool Acted();
    int KeyPresses();

    // Whether any key of the server's key map produces AKeysym.
    static bool KeyMapHolds(unsigned long AKeysym);

private:
    struct TConnection;
    void ActWhenFocused(const QString& ATitlePart, bool ACover);

    std::unique_ptr<TConnection> FConnection;
    std::thread FThread;
    std::atomic<bool> FActed = false;
    std::atomic<bool> FStop = false;
};
