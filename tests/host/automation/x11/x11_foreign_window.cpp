#include "x11_foreign_window.h"

#include <QByteArray>
#include <chrono>
#include <stdexcept>

// After the Qt headers: Xlib's macros must not reach them.
extern "C" {
#include <X11/Xatom.h>
#include <X11/Xlib.h>
}

namespace {

constexpr auto CPoll = std::chrono::milliseconds(5);
constexpr auto CGiveUp = std::chrono::seconds(30);
// The target program may still be settling its own focus right after it got it.
constexpr auto CSettled = std::chrono::milliseconds(300);

// The X server here may refuse a connection opened right after another one closed.
Display* OpenDisplay() {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) {
            return display;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

QString NetWmName(Display* ADisplay, Window AWindow) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    QString name;
    if (XGetWindowProperty(ADisplay, AWindow, XInternAtom(ADisplay, "_NET_WM_NAME", False), 0, 1024,
                           False, AnyPropertyType, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr) {
        name =
            QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return name;
}

}  // namespace

struct TForeignWindow::TConnection {
    Display* XDisplay = nullptr;
    Window XWindow = None;
    // Not managed by a window manager, so it lands exactly where it is put, above the others.
    Window XCover = None;

    ~TConnection() {
        if (XDisplay != nullptr) {
            XCloseDisplay(XDisplay);
        }
    }
};

TForeignWindow::TForeignWindow(const QString& ATitle, qint64 AClaimedPid)
    : FConnection(std::make_unique<TConnection>()) {
    Display* display = OpenDisplay();
    if (display == nullptr) {
        throw std::runtime_error("no X display for the foreign window");
    }
    FConnection->XDisplay = display;
    const Window root = DefaultRootWindow(display);
    FConnection->XWindow =
        XCreateSimpleWindow(display, root, 600, 500, 300, 200, 0, 0, WhitePixel(display, 0));
    XSetWindowAttributes unmanaged{};
    unmanaged.override_redirect = True;
    unmanaged.background_pixel = WhitePixel(display, 0);
    FConnection->XCover =
        XCreateWindow(display, root, 0, 0, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel, &unmanaged);
    const QByteArray title = ATitle.toUtf8();
    for (const Window window : {FConnection->XWindow, FConnection->XCover}) {
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.constData()),
                        static_cast<int>(title.size()));
    }
    if (AClaimedPid > 0) {
        const long pid = static_cast<long>(AClaimedPid);
        XChangeProperty(display, FConnection->XWindow, XInternAtom(display, "_NET_WM_PID", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
    }
    XSelectInput(display, FConnection->XWindow, KeyPressMask);
    XMapRaised(display, FConnection->XWindow);
    XSync(display, False);
}

TForeignWindow::~TForeignWindow() {
    Acted();
}

void TForeignWindow::StealFocusFrom(const QString& ATitlePart) {
    ActWhenFocused(ATitlePart, false);
}

void TForeignWindow::CoverWhenFocused(const QString& ATitlePart) {
    ActWhenFocused(ATitlePart, true);
}

void TForeignWindow::ActWhenFocused(const QString& ATitlePart, bool ACover) {
    FThread = std::thread([this, ATitlePart, ACover, own = FConnection->XWindow,
                           cover = FConnection->XCover] {
        Display* display = OpenDisplay();
        if (display == nullptr) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + CGiveUp;
        // No std::optional here: GCC's optimiser then warns of an uninitialised time point.
        bool wasFocused = false;
        auto focusedSince = std::chrono::steady_clock::time_point();
        while (!FStop && std::chrono::steady_clock::now() < deadline) {
            Window focus = None;
            int revert = 0;
            XGetInputFocus(display, &focus, &revert);
            const bool focused = focus != None && focus != PointerRoot &&
                                 NetWmName(display, focus).contains(ATitlePart);
            if (focused && !wasFocused) {
                focusedSince = std::chrono::steady_clock::now();
            }
            wasFocused = focused;
            if (focused && std::chrono::steady_clock::now() - focusedSince >= CSettled) {
                if (ACover) {
                    // A window manager keeps the target in a frame of its own: its position
                    // counts from the screen, not from its parent.
                    XWindowAttributes attributes{};
                    XGetWindowAttributes(display, focus, &attributes);
                    int x = 0;
                    int y = 0;
                    Window child = None;
                    XTranslateCoordinates(display, focus, DefaultRootWindow(display), 0, 0, &x, &y,
                                          &child);
                    XMoveResizeWindow(display, cover, x, y, static_cast<unsigned>(attributes.width),
                                      static_cast<unsigned>(attributes.height));
                    XMapRaised(display, cover);
                } else {
                    XSetInputFocus(display, own, RevertToParent, CurrentTime);
                }
                XSync(display, False);
                FActed = true;
                break;
            }
            std::this_thread::sleep_for(CPoll);
        }
        XCloseDisplay(display);
    });
}

void TForeignWindow::ActAfterKeyTo(const QString& ATitlePart, TAfterKey AAct) {
    FThread = std::thread([this, ATitlePart, AAct, own = FConnection->XWindow] {
        Display* display = OpenDisplay();
        if (display == nullptr) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + CGiveUp;
        Window target = None;
        while (!FStop && !FActed && std::chrono::steady_clock::now() < deadline) {
            if (target == None) {
                Window focus = None;
                int revert = 0;
                XGetInputFocus(display, &focus, &revert);
                if (focus != None && focus != PointerRoot &&
                    NetWmName(display, focus).contains(ATitlePart)) {
                    target = focus;
                    XSelectInput(display, target, KeyPressMask);
                    XSync(display, False);
                }
            }
            while (target != None && !FActed && XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type != KeyPress) {
                    continue;
                }
                // Any client may unmap or destroy any window; the look-alike then gets the
                // focus that the target's window had.
                if (AAct == TAfterKey::Unmap) {
                    XUnmapWindow(display, target);
                } else {
                    if (AAct == TAfterKey::Replace) {
                        XDestroyWindow(display, target);
                    }
                    XSetInputFocus(display, own, RevertToParent, CurrentTime);
                }
                XSync(display, False);
                FActed = true;
            }
            std::this_thread::sleep_for(CPoll);
        }
        XCloseDisplay(display);
    });
}

bool TForeignWindow::Acted() {
    FStop = true;
    if (FThread.joinable()) {
        FThread.join();
    }
    return FActed;
}

bool TForeignWindow::KeyMapHolds(unsigned long AKeysym) {
    Display* display = OpenDisplay();
    if (display == nullptr) {
        throw std::runtime_error("no X display for the key map");
    }
    // A connection of its own reads the key map afresh.
    const bool holds = XKeysymToKeycode(display, static_cast<KeySym>(AKeysym)) != 0;
    XCloseDisplay(display);
    return holds;
}

int TForeignWindow::KeyPresses() {
    Display* display = FConnection->XDisplay;
    XSync(display, False);
    int presses = 0;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        presses += event.type == KeyPress ? 1 : 0;
    }
    return presses;
}
