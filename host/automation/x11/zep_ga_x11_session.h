#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <set>

// An X window id (Xlib's Window), kept apart from the X headers.
using TZEP_X11_Window = unsigned long;

// One connection to the X display for one run, with libxdo for the input it sends. While it is
// open, an X error (a window that closed meanwhile) is recorded, never the end of the process.
class TZEP_GA_X11Session {
public:
    // Opens ADisplayName, or the display that DISPLAY names when it is empty; raises EVKO_Error
    // when there is none, or when the server cannot say which program owns a window
    // (X-Resource 1.2): then any program could pass its window off as the target's.
    explicit TZEP_GA_X11Session(const QByteArray& ADisplayName = {});
    ~TZEP_GA_X11Session();
    TZEP_GA_X11Session(const TZEP_GA_X11Session&) = delete;
    TZEP_GA_X11Session& operator=(const TZEP_GA_X11Session&) = delete;

    // Viewable windows whose title contains ATitlePart.
    QList<TZEP_X11_Window> FindWindows(const QString& ATitlePart);
    QString Title(TZEP_X11_Window AWindow);
    // The process id of the client that created the window, as the X server knows it; 0 when
    // it does not know it (a client over the network, a window that is gone).
    qint64 Pid(TZEP_X11_Window AWindow);
    // False also when the window no longer exists.
    bool IsShown(TZEP_X11_Window AWindow);
    // The window's area in screen coordinates; empty when it no longer exists.
    QRect Geometry(TZEP_X11_Window AWindow);
    // The window with the keyboard focus; 0 when no window (or the root) has it.
    TZEP_X11_Window Focus();
    // The window and its ancestors below the root, innermost first.
    QList<TZEP_X11_Window> Lineage(TZEP_X11_Window AWindow);
    // The whole screen as it shows now, 32-bit pixels 0xffRRGGBB row by row; empty when the
    // server does not hand it out.
    struct TBild {
        int Breite = 0;
        int Hoehe = 0;
        QByteArray Pixel;
    };
    TBild Bildschirm();
    // The innermost window that is shown at a point of the screen; 0 for the bare root.
    TZEP_X11_Window WindowAt(QPoint APoint);

    // Has the server report to this connection every change of the focus, mapping, place and
    // properties of these windows and of the root window. True when all of them were reported
    // on before this call already, so that what was seen of them since is still true while
    // Changed() says nothing; false after choosing new ones, or when one of them is gone.
    bool Watch(const QList<TZEP_X11_Window>& AWindows);
    // Whether the server reported a change since the last call; reads what has arrived
    // without asking the server.
    bool Changed();

    // Raises the window and gives it the keyboard focus; with a window manager also asks it to
    // activate the window.
    void Activate(TZEP_X11_Window AWindow);
    // Presses and releases one key combination ("alt+v") through XTEST.
    void SendKeys(const QByteArray& ACombination, int ADelayMs);
    // Binds the characters of AText that no key produces to free keys, for the typing of this
    // one text: every X client can read the key map. A key bound anew for each keystroke is no
    // way out, since a program reads the map only when it gets to the notice of the change, and
    // then finds the next character's binding. While keys are bound, SIGTERM, SIGINT, SIGHUP and
    // SIGQUIT (where they would end the process) stop the typing, and end the process once the
    // map is restored.
    class TBoundKeys {
    public:
        TBoundKeys(TZEP_GA_X11Session& ASession, const QString& AText);
        ~TBoundKeys();
        TBoundKeys(const TBoundKeys&) = delete;
        TBoundKeys& operator=(const TBoundKeys&) = delete;

    private:
        TZEP_GA_X11Session& FSession;
    };
    // Types one character, on its bound key if it has one.
    void TypeCharacter(char32_t ACharacter, int ADelayMs);
    // A left click at a point of the screen through XTEST.
    void Click(QPoint APoint);

private:
    struct TConnection;
    void BindKeys(const QString& AText);
    // Raises the X error recorded since the last check, naming what was being done.
    void ThrowRecordedError(const QString& AWas);
    // Forgets an error that a query about a closing window left.
    void ForgetRecordedError();
    // The same before sending input: every operation ends in a round trip, so nothing is
    // outstanding that could still report an error.
    void ClearRecordedError();

    std::unique_ptr<TConnection> FConnection;
    std::set<TZEP_X11_Window> FWatched;
};
