#include "zep_ga_x11_session.h"

#include <QByteArray>
#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include "vko_info.h"
#include "zep_x11_connect.h"

// Xlib defines macros (Bool, Status) that Qt headers must not see.
extern "C" {
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xdo.h>
}

static_assert(std::is_same_v<TZEP_X11_Window, Window>);

namespace {

// Bounds for walking a window tree that another program changes meanwhile.
constexpr int CMaxWindows = 20000;
constexpr int CMaxDepth = 64;
// Titles longer than this (in 32-bit units of a property) are cut.
constexpr long CMaxTitleUnits = 1024;
constexpr int CLeftButton = 1;

// The one X error trap of the process; Xlib's handler is global.
struct TErrorTrap {
    Display* Watched = nullptr;
    XErrorHandler Previous = nullptr;
    bool Recorded = false;
    int Code = 0;
    int Request = 0;
};
TErrorTrap GTrap;

int RecordError(Display* ADisplay, XErrorEvent* AEvent) {
    if (ADisplay != GTrap.Watched) {
        return GTrap.Previous != nullptr ? GTrap.Previous(ADisplay, AEvent) : 0;
    }
    if (!GTrap.Recorded) {
        GTrap.Recorded = true;
        GTrap.Code = AEvent->error_code;
        GTrap.Request = AEvent->request_code;
    }
    return 0;
}

// A property's bytes, freed by Xlib's XFree.
struct TProperty {
    unsigned char* Data = nullptr;
    Atom Type = None;
    int Format = 0;
    unsigned long Count = 0;

    TProperty() = default;
    TProperty(const TProperty&) = delete;
    TProperty& operator=(const TProperty&) = delete;
    ~TProperty() {
        if (Data != nullptr) {
            XFree(Data);
        }
    }
};

}  // namespace

struct TZEP_GA_X11Session::TConnection {
    Display* XDisplay = nullptr;
    xdo_t* Xdo = nullptr;
    Window Root = None;
    Atom NetWmName = None;
    Atom NetWmPid = None;
    Atom Utf8String = None;
    Atom NetSupported = None;
    Atom NetActiveWindow = None;
    std::vector<KeyCode> BoundKeys;

    ~TConnection() {
        if (Xdo != nullptr) {
            xdo_free(Xdo);
        }
        for (const KeyCode key : BoundKeys) {
            KeySym none = NoSymbol;
            XChangeKeyboardMapping(XDisplay, key, 1, &none, 1);
        }
        if (XDisplay != nullptr) {
            XSetErrorHandler(GTrap.Previous);
            GTrap = TErrorTrap{};
            XCloseDisplay(XDisplay);
        }
    }

    bool ReadProperty(Window AWindow, Atom AProperty, long AMaxUnits, TProperty& AResult) const {
        unsigned long remaining = 0;
        return XGetWindowProperty(XDisplay, AWindow, AProperty, 0, AMaxUnits, False,
                                  AnyPropertyType, &AResult.Type, &AResult.Format, &AResult.Count,
                                  &remaining, &AResult.Data) == Success &&
               AResult.Data != nullptr;
    }
};

TZEP_GA_X11Session::TZEP_GA_X11Session(const QList<unsigned long>& AKeysyms)
    : FConnection(std::make_unique<TConnection>()) {
    const QByteArray displayName = qgetenv("DISPLAY");
    if (displayName.isEmpty()) {
        throw EVKO_Error(
            QStringLiteral("Kein X-Bildschirm: die Umgebungsvariable DISPLAY ist nicht "
                           "gesetzt, ein Programm kann daher nicht bedient werden."));
    }
    FConnection->XDisplay = ZEP_X11_Connect(displayName);
    if (FConnection->XDisplay == nullptr) {
        throw EVKO_Error(QStringLiteral("Der X-Bildschirm „%1“ (DISPLAY) ist nicht erreichbar.")
                             .arg(QString::fromLocal8Bit(displayName)));
    }
    GTrap = TErrorTrap{};
    GTrap.Watched = FConnection->XDisplay;
    GTrap.Previous = XSetErrorHandler(RecordError);
    BindMissingKeys(AKeysyms);

    // Created after the binding, so that libxdo knows the bound keys and needs no others.
    FConnection->Xdo =
        xdo_new_with_opened_display(FConnection->XDisplay, displayName.constData(), False);
    if (FConnection->Xdo == nullptr) {
        throw EVKO_Error(QStringLiteral("Der X-Bildschirm „%1“ bietet keine Eingabe über die "
                                        "Erweiterung XTEST an.")
                             .arg(QString::fromLocal8Bit(displayName)));
    }
    FConnection->Xdo->quiet = True;
    Display* display = FConnection->XDisplay;
    FConnection->Root = DefaultRootWindow(display);
    FConnection->NetWmName = XInternAtom(display, "_NET_WM_NAME", False);
    FConnection->NetWmPid = XInternAtom(display, "_NET_WM_PID", False);
    FConnection->Utf8String = XInternAtom(display, "UTF8_STRING", False);
    FConnection->NetSupported = XInternAtom(display, "_NET_SUPPORTED", False);
    FConnection->NetActiveWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    ThrowRecordedError(QStringLiteral("Verbinden mit dem X-Bildschirm"));
}

TZEP_GA_X11Session::~TZEP_GA_X11Session() = default;

void TZEP_GA_X11Session::BindMissingKeys(const QList<unsigned long>& AKeysyms) {
    Display* display = FConnection->XDisplay;
    // Lower and upper case share a key; shift then gives the upper one.
    std::vector<std::pair<KeySym, KeySym>> missing;
    for (const KeySym keysym : AKeysyms) {
        if (XKeysymToKeycode(display, keysym) != 0) {
            continue;
        }
        KeySym lower = NoSymbol;
        KeySym upper = NoSymbol;
        XConvertCase(keysym, &lower, &upper);
        if (std::find(missing.begin(), missing.end(), std::pair(lower, upper)) == missing.end()) {
            missing.emplace_back(lower, upper);
        }
    }
    if (missing.empty()) {
        return;
    }
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perKey = 0;
    KeySym* map =
        XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perKey);
    std::vector<KeyCode> free;
    for (int key = first; map != nullptr && key <= last; ++key) {
        const KeySym* symbols = map + static_cast<ptrdiff_t>(key - first) * perKey;
        if (std::all_of(symbols, symbols + perKey, [](KeySym s) { return s == NoSymbol; })) {
            free.push_back(static_cast<KeyCode>(key));
        }
    }
    if (map != nullptr) {
        XFree(map);
    }
    if (missing.size() > free.size()) {
        throw EVKO_Error(QStringLiteral("Für %1 Zeichen, die die Tastaturbelegung nicht kennt, "
                                        "gibt es nur %2 freie Tasten.")
                             .arg(missing.size())
                             .arg(free.size()));
    }
    for (size_t i = 0; i < missing.size(); ++i) {
        KeySym symbols[2] = {missing[i].first, missing[i].second};
        XChangeKeyboardMapping(display, free[i], 2, symbols, 1);
        FConnection->BoundKeys.push_back(free[i]);
    }
    ThrowRecordedError(QStringLiteral("Tasten für Sonderzeichen belegen"));
}

QList<TZEP_X11_Window> TZEP_GA_X11Session::FindWindows(const QString& ATitlePart) {
    QList<TZEP_X11_Window> found;
    QList<Window> pending{FConnection->Root};
    int visited = 0;
    while (!pending.isEmpty() && visited < CMaxWindows) {
        const Window window = pending.takeLast();
        ++visited;
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(FConnection->XDisplay, window, &root, &parent, &children, &count) != 0) {
            for (unsigned int i = 0; i < count; ++i) {
                pending.append(children[i]);
            }
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (window != FConnection->Root && IsShown(window) && Title(window).contains(ATitlePart)) {
            found.append(window);
        }
    }
    // Windows that closed during the walk are no error.
    ForgetRecordedError();
    return found;
}

QString TZEP_GA_X11Session::Title(TZEP_X11_Window AWindow) {
    TProperty name;
    if (FConnection->ReadProperty(AWindow, FConnection->NetWmName, CMaxTitleUnits, name) &&
        name.Type == FConnection->Utf8String && name.Format == 8) {
        return QString::fromUtf8(reinterpret_cast<const char*>(name.Data),
                                 static_cast<qsizetype>(name.Count));
    }
    TProperty legacy;
    if (!FConnection->ReadProperty(AWindow, XA_WM_NAME, CMaxTitleUnits, legacy) ||
        legacy.Format != 8) {
        return {};
    }
    const auto* bytes = reinterpret_cast<const char*>(legacy.Data);
    const auto size = static_cast<qsizetype>(legacy.Count);
    if (legacy.Type == XA_STRING) {
        return QString::fromLatin1(bytes, size);
    }
    if (legacy.Type == FConnection->Utf8String) {
        return QString::fromUtf8(bytes, size);
    }
    XTextProperty text{legacy.Data, legacy.Type, legacy.Format, legacy.Count};
    char** list = nullptr;
    int listCount = 0;
    QString title;
    if (Xutf8TextPropertyToTextList(FConnection->XDisplay, &text, &list, &listCount) >= Success &&
        list != nullptr) {
        if (listCount > 0) {
            title = QString::fromUtf8(list[0]);
        }
        XFreeStringList(list);
    }
    return title;
}

qint64 TZEP_GA_X11Session::Pid(TZEP_X11_Window AWindow) {
    TProperty pid;
    if (!FConnection->ReadProperty(AWindow, FConnection->NetWmPid, 1, pid) ||
        pid.Type != XA_CARDINAL || pid.Format != 32 || pid.Count != 1) {
        return 0;
    }
    // Xlib hands format-32 items over as longs.
    return static_cast<qint64>(*reinterpret_cast<const unsigned long*>(pid.Data));
}

bool TZEP_GA_X11Session::IsShown(TZEP_X11_Window AWindow) {
    XWindowAttributes attributes{};
    const bool exists = XGetWindowAttributes(FConnection->XDisplay, AWindow, &attributes) != 0;
    ForgetRecordedError();
    return exists && attributes.map_state == IsViewable && attributes.c_class == InputOutput;
}

QRect TZEP_GA_X11Session::Geometry(TZEP_X11_Window AWindow) {
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = None;
    const bool exists = XGetWindowAttributes(FConnection->XDisplay, AWindow, &attributes) != 0 &&
                        XTranslateCoordinates(FConnection->XDisplay, AWindow, FConnection->Root, 0,
                                              0, &x, &y, &child) != 0;
    ForgetRecordedError();
    return exists ? QRect(x, y, attributes.width, attributes.height) : QRect();
}

TZEP_X11_Window TZEP_GA_X11Session::Focus() {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(FConnection->XDisplay, &focus, &revert);
    return focus == PointerRoot || focus == FConnection->Root ? None : focus;
}

QList<TZEP_X11_Window> TZEP_GA_X11Session::Lineage(TZEP_X11_Window AWindow) {
    QList<TZEP_X11_Window> lineage;
    Window window = AWindow;
    while (window != None && window != FConnection->Root && lineage.size() < CMaxDepth) {
        lineage.append(window);
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        const bool known =
            XQueryTree(FConnection->XDisplay, window, &root, &parent, &children, &count) != 0;
        if (children != nullptr) {
            XFree(children);
        }
        window = known ? parent : None;
    }
    ForgetRecordedError();
    return lineage;
}

TZEP_X11_Window TZEP_GA_X11Session::WindowAt(QPoint APoint) {
    Window window = FConnection->Root;
    for (int depth = 0; depth < CMaxDepth; ++depth) {
        int x = 0;
        int y = 0;
        Window child = None;
        if (XTranslateCoordinates(FConnection->XDisplay, FConnection->Root, window, APoint.x(),
                                  APoint.y(), &x, &y, &child) == 0 ||
            child == None) {
            break;
        }
        window = child;
    }
    ForgetRecordedError();
    return window == FConnection->Root ? None : window;
}

void TZEP_GA_X11Session::Activate(TZEP_X11_Window AWindow) {
    ForgetRecordedError();
    XRaiseWindow(FConnection->XDisplay, AWindow);
    TProperty supported;
    bool manager = false;
    if (FConnection->ReadProperty(FConnection->Root, FConnection->NetSupported, 4096, supported) &&
        supported.Type == XA_ATOM && supported.Format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(supported.Data);
        for (unsigned long i = 0; i < supported.Count; ++i) {
            manager = manager || atoms[i] == FConnection->NetActiveWindow;
        }
    }
    if (manager) {
        xdo_activate_window(FConnection->Xdo, AWindow);
    }
    xdo_focus_window(FConnection->Xdo, AWindow);
    ThrowRecordedError(QStringLiteral("Fenster in den Vordergrund holen"));
}

void TZEP_GA_X11Session::SendKeys(const QByteArray& ACombination, int ADelayMs) {
    ForgetRecordedError();
    xdo_send_keysequence_window(FConnection->Xdo, CURRENTWINDOW, ACombination.constData(),
                                static_cast<useconds_t>(ADelayMs) * 1000);
    ThrowRecordedError(QStringLiteral("Tastendruck senden"));
}

void TZEP_GA_X11Session::Click(QPoint APoint) {
    ForgetRecordedError();
    xdo_move_mouse(FConnection->Xdo, APoint.x(), APoint.y(), DefaultScreen(FConnection->XDisplay));
    xdo_click_window(FConnection->Xdo, CURRENTWINDOW, CLeftButton);
    ThrowRecordedError(QStringLiteral("Mausklick senden"));
}

void TZEP_GA_X11Session::ForgetRecordedError() {
    XSync(FConnection->XDisplay, False);
    GTrap.Recorded = false;
}

void TZEP_GA_X11Session::ThrowRecordedError(const QString& AWas) {
    XSync(FConnection->XDisplay, False);
    if (!GTrap.Recorded) {
        return;
    }
    GTrap.Recorded = false;
    char text[256] = {};
    XGetErrorText(FConnection->XDisplay, GTrap.Code, text, sizeof text);
    throw EVKO_Error(QStringLiteral("Das X-System meldet bei „%1“ einen Fehler: %2 "
                                    "(Anfrage %3).")
                         .arg(AWas, QString::fromLocal8Bit(text), QString::number(GTrap.Request)));
}
