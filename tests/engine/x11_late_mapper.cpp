#include "x11_late_mapper.h"

#include <map>

// After the Qt headers: Xlib's macros must not reach them.
extern "C" {
#include <X11/Xlib.h>
#include <X11/Xutil.h>
}

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto CPoll = std::chrono::milliseconds(5);

std::atomic<int> GLastError = 0;

int RecordError(Display*, XErrorEvent* AEvent) {
    GLastError = AEvent->error_code;
    return 0;
}

// Errors of this test's connections (a window that vanished, a redirect that another manager
// holds) are expected; Xlib's default handler would end the process. Installed for good,
// since the handler is one for all threads.
void ExpectErrors() {
    XSetErrorHandler(RecordError);
}

QString Title(Display* ADisplay, Window AWindow) {
    QString title;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(ADisplay, AWindow, XInternAtom(ADisplay, "_NET_WM_NAME", False), 0, 1024,
                           False, AnyPropertyType, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr) {
        title =
            QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return title;
}

// A window manager puts the program's window into a frame of its own, so the search goes
// a few levels down.
Window FindWindow(Display* ADisplay, Window AParent, const QString& ATitle, int ADepth) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(ADisplay, AParent, &root, &parent, &children, &count) == 0) {
        return None;
    }
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        if (Title(ADisplay, children[i]).startsWith(ATitle)) {
            found = children[i];
        } else if (ADepth > 0) {
            found = FindWindow(ADisplay, children[i], ATitle, ADepth - 1);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

bool Viewable(Display* ADisplay, Window AWindow) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(ADisplay, AWindow, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

}  // namespace

TLateMapper::TLateMapper(std::chrono::milliseconds ADelay)
    : FThread([this, ADelay] { Run(ADelay); }) {
    while (!FReady) {
        std::this_thread::sleep_for(CPoll);
    }
}

TLateMapper::~TLateMapper() {
    FStop = true;
    FThread.join();
}

void TLateMapper::Run(std::chrono::milliseconds ADelay) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        FMaps = false;
        FReady = true;
        return;
    }
    ExpectErrors();
    GLastError = 0;
    XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask);
    XSync(display, False);
    FMaps = GLastError == 0;
    FReady = true;
    std::map<Window, TClock::time_point> due;
    while (FMaps && !FStop) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapRequest) {
                due.emplace(event.xmaprequest.window, TClock::now() + ADelay);
            } else if (event.type == ConfigureRequest) {
                const XConfigureRequestEvent& request = event.xconfigurerequest;
                XWindowChanges changes{request.x,
                                       request.y,
                                       request.width,
                                       request.height,
                                       request.border_width,
                                       request.above,
                                       request.detail};
                XConfigureWindow(display, request.window,
                                 static_cast<unsigned int>(request.value_mask), &changes);
            }
        }
        for (auto it = due.begin(); it != due.end();) {
            if (TClock::now() >= it->second) {
                XMapWindow(display, it->first);
                it = due.erase(it);
            } else {
                ++it;
            }
        }
        XFlush(display);
        std::this_thread::sleep_for(CPoll);
    }
    for (const auto& [window, time] : due) {
        XMapWindow(display, window);
    }
    XCloseDisplay(display);
}

std::optional<QRgb> X11_PixelOfWindow(const QString& ATitle, QPoint APoint,
                                      std::chrono::milliseconds ATimeout,
                                      std::chrono::milliseconds ASettle) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return std::nullopt;
    }
    ExpectErrors();
    const auto deadline = TClock::now() + ATimeout;
    Window window = None;
    while (TClock::now() < deadline) {
        window = FindWindow(display, DefaultRootWindow(display), ATitle, 3);
        if (window != None && Viewable(display, window)) {
            break;
        }
        window = None;
        std::this_thread::sleep_for(CPoll);
    }
    std::optional<QRgb> colour;
    if (window != None) {
        std::this_thread::sleep_for(ASettle);
        if (XImage* image =
                XGetImage(display, window, APoint.x(), APoint.y(), 1, 1, AllPlanes, ZPixmap)) {
            const unsigned long pixel = XGetPixel(image, 0, 0);
            colour = qRgb(static_cast<int>((pixel & image->red_mask) >> 16),
                          static_cast<int>((pixel & image->green_mask) >> 8),
                          static_cast<int>(pixel & image->blue_mask));
            XDestroyImage(image);
        }
    }
    XCloseDisplay(display);
    return colour;
}
