#include "zep_ga_x11_session.h"

#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <type_traits>
#include <utility>
#include <vector>

#include "vko_info.h"
#include "zep_ga_x11_keys.h"
#include "zep_ga_x11_pixel.h"
#include "zep_ga_x11_shm_bild.h"
#include "zep_x11_connect.h"

// Xlib defines macros (Bool, Status) that Qt headers must not see.
extern "C" {
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <xdo.h>
}

#include <signal.h>

static_assert(std::is_same_v<TZEP_X11_Window, Window>);

namespace {

// Bounds for walking a window tree that another program changes meanwhile.
constexpr int CMaxWindows = 20000;
constexpr int CMaxDepth = 64;
// Titles longer than this (in 32-bit units of a property) are cut.
constexpr long CMaxTitleUnits = 1024;
constexpr int CLeftButton = 1;
// After binding, so that the target program reads the new map before the first key; before
// unbinding, so that it has read the last key.
constexpr int CBindSettleMs = 50;
constexpr int CUnbindSettleMs = 200;
// What can end or move the target or the focus: focus in and out, (un)map, reparent, destroy,
// and a property such as the root's active window.
constexpr long CWatchMask = FocusChangeMask | StructureNotifyMask | PropertyChangeMask;

// While keys are bound for a text, a signal that would end the run stops the typing and ends the
// process once they are unbound: the key map outlives the process. A process-directed signal may
// reach any thread (the toolkit reads its X events in one of its own), so a handler decides, not a
// signal mask.
constexpr int CHeldSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
constexpr int CKeyIdle = 0;
constexpr int CKeyBound = 1;
constexpr int CEnding = 2;
std::atomic<int> GKeyState{CKeyIdle};
std::atomic<int> GPendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void EndBySignal(int ASignal) {
    ::signal(ASignal, SIG_DFL);
    ::raise(ASignal);
}

void HoldWhileBound(int ASignal) {
    int idle = CKeyIdle;
    if (GKeyState.compare_exchange_strong(idle, CEnding)) {
        EndBySignal(ASignal);
        return;
    }
    int bound = CKeyBound;
    if (GKeyState.compare_exchange_strong(bound, CEnding)) {
        GPendingSignal = ASignal;
    }
}

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
    Atom Utf8String = None;
    Atom NetSupported = None;
    Atom NetActiveWindow = None;
    Atom NetWmUserTime = None;
    std::vector<int> HeldSignals;
    std::vector<std::pair<KeySym, KeyCode>> BoundKeys;

    ~TConnection() {
        Unbind();
        for (const int held : HeldSignals) {
            ::signal(held, SIG_DFL);
        }
        if (Xdo != nullptr) {
            xdo_free(Xdo);
        }
        if (XDisplay != nullptr) {
            XSetErrorHandler(GTrap.Previous);
            GTrap = TErrorTrap{};
            XCloseDisplay(XDisplay);
        }
    }

    // Restores the key map; a signal that came meanwhile ends the process now.
    void Unbind() noexcept {
        if (BoundKeys.empty()) {
            return;
        }
        // The target program may still be on its way to the keys typed last.
        XSync(XDisplay, False);
        usleep(CUnbindSettleMs * 1000);
        for (const auto& [keysym, key] : BoundKeys) {
            KeySym none[2] = {NoSymbol, NoSymbol};
            XChangeKeyboardMapping(XDisplay, key, 2, none, 1);
        }
        XSync(XDisplay, False);
        GTrap.Recorded = false;
        BoundKeys.clear();
        int bound = CKeyBound;
        if (!GKeyState.compare_exchange_strong(bound, CKeyIdle)) {
            EndBySignal(GPendingSignal);
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

TZEP_GA_X11Session::TZEP_GA_X11Session(const QByteArray& ADisplayName)
    : FConnection(std::make_unique<TConnection>()) {
    const QByteArray displayName = ADisplayName.isEmpty() ? qgetenv("DISPLAY") : ADisplayName;
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
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XResQueryExtension(FConnection->XDisplay, &eventBase, &errorBase) ||
        !XResQueryVersion(FConnection->XDisplay, &major, &minor) || (major == 1 && minor < 2) ||
        major < 1) {
        throw EVKO_Error(QStringLiteral("Der X-Bildschirm „%1“ bietet die Erweiterung X-Resource "
                                        "(ab Version 1.2) nicht an. Ohne sie lässt sich nicht "
                                        "feststellen, welchem Programm ein Fenster gehört; der "
                                        "Lauf sendet daher keine Eingabe.")
                             .arg(QString::fromLocal8Bit(displayName)));
    }

    for (const int held : CHeldSignals) {
        struct sigaction previous {};
        if (::sigaction(held, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
            struct sigaction hold {};
            hold.sa_handler = HoldWhileBound;
            hold.sa_flags = SA_RESTART;
            sigfillset(&hold.sa_mask);
            ::sigaction(held, &hold, nullptr);
            FConnection->HeldSignals.push_back(held);
        }
    }

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
    FConnection->Utf8String = XInternAtom(display, "UTF8_STRING", False);
    FConnection->NetSupported = XInternAtom(display, "_NET_SUPPORTED", False);
    FConnection->NetActiveWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    FConnection->NetWmUserTime = XInternAtom(display, "_NET_WM_USER_TIME", False);
    ThrowRecordedError(QStringLiteral("Verbinden mit dem X-Bildschirm"));
}

TZEP_GA_X11Session::~TZEP_GA_X11Session() = default;

TZEP_GA_X11Session::TBoundKeys::TBoundKeys(TZEP_GA_X11Session& ASession, const QString& AText)
    : FSession(ASession) {
    try {
        FSession.BindKeys(AText);
    } catch (...) {
        FSession.FConnection->Unbind();
        throw;
    }
}

TZEP_GA_X11Session::TBoundKeys::~TBoundKeys() {
    FSession.FConnection->Unbind();
}

void TZEP_GA_X11Session::BindKeys(const QString& AText) {
    Display* display = FConnection->XDisplay;
    std::vector<KeySym> missing;
    for (const char32_t character : AText.toUcs4()) {
        const KeySym keysym = ZEP_GA_CharacterKeysym(character);
        if (keysym != NoSymbol && XKeysymToKeycode(display, keysym) == 0 &&
            std::find(missing.begin(), missing.end(), keysym) == missing.end()) {
            missing.push_back(keysym);
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
    std::vector<KeyCode> spare;
    for (int key = last; map != nullptr && key >= first; --key) {
        const KeySym* symbols = map + static_cast<ptrdiff_t>(key - first) * perKey;
        if (std::all_of(symbols, symbols + perKey, [](KeySym s) { return s == NoSymbol; })) {
            spare.push_back(static_cast<KeyCode>(key));
        }
    }
    if (map != nullptr) {
        XFree(map);
    }
    if (missing.size() > spare.size()) {
        throw EVKO_Error(QStringLiteral("Für %1 Zeichen, die die Tastaturbelegung nicht kennt, "
                                        "gibt es nur %2 freie Tasten.")
                             .arg(QString::number(missing.size()), QString::number(spare.size())));
    }
    int idle = CKeyIdle;
    if (!GKeyState.compare_exchange_strong(idle, CKeyBound)) {
        throw EVKO_Error(QStringLiteral("Der Lauf wird durch ein Signal beendet."));
    }
    ForgetRecordedError();
    for (size_t i = 0; i < missing.size(); ++i) {
        // The same symbol on both levels: neither shift nor caps lock changes it.
        KeySym symbols[2] = {missing[i], missing[i]};
        FConnection->BoundKeys.emplace_back(missing[i], spare[i]);
        XChangeKeyboardMapping(display, spare[i], 2, symbols, 1);
    }
    ThrowRecordedError(QStringLiteral("Tasten für Sonderzeichen belegen"));
    usleep(CBindSettleMs * 1000);
}

void TZEP_GA_X11Session::TypeCharacter(char32_t ACharacter, int ADelayMs) {
    if (GKeyState == CEnding) {
        throw EVKO_Error(QStringLiteral("Der Lauf wird durch ein Signal beendet."));
    }
    const KeySym keysym = ZEP_GA_CharacterKeysym(ACharacter);
    const auto& bound = FConnection->BoundKeys;
    const auto key = std::find_if(bound.begin(), bound.end(),
                                  [keysym](const auto& AKey) { return AKey.first == keysym; });
    if (key == bound.end()) {
        SendKeys(ZEP_GA_CharacterKeys(ACharacter), ADelayMs);
        return;
    }
    ClearRecordedError();
    XTestFakeKeyEvent(FConnection->XDisplay, key->second, True, CurrentTime);
    XSync(FConnection->XDisplay, False);
    usleep(static_cast<useconds_t>(ADelayMs) * 1000);
    XTestFakeKeyEvent(FConnection->XDisplay, key->second, False, CurrentTime);
    ThrowRecordedError(QStringLiteral("Tastendruck senden"));
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
    // The server knows the process of a local client from its socket; _NET_WM_PID is only what
    // the window claims of itself.
    XResClientIdSpec wanted{AWindow, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    qint64 pid = 0;
    if (XResQueryClientIds(FConnection->XDisplay, 1, &wanted, &count, &ids) == Success) {
        for (long i = 0; i < count; ++i) {
            if (XResGetClientIdType(&ids[i]) == XRES_CLIENT_ID_PID) {
                pid = std::max<qint64>(0, XResGetClientPid(&ids[i]));
            }
        }
    }
    if (ids != nullptr) {
        XResClientIdsDestroy(count, ids);
    }
    ForgetRecordedError();
    return pid;
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

TZEP_GA_X11Session::TBild TZEP_GA_X11Session::Bildschirm() {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(FConnection->XDisplay, FConnection->Root, &attributes) == 0 ||
        attributes.width <= 0 || attributes.height <= 0) {
        ForgetRecordedError();
        return {};
    }
    TBild bild;
    {
        TZEP_GA_X11ShmBild geteilt(FConnection->XDisplay, attributes.width, attributes.height);
        const XImage* image = geteilt.Hole();
        if (image != nullptr) {
            bild = {image->width, image->height, ZEP_GA_X11Pixel(*image)};
        }
    }
    // A display of another machine refuses the shared memory with errors; they are no fault.
    ForgetRecordedError();
    if (!bild.Pixel.isEmpty()) {
        return bild;
    }
    const auto destroy = [](XImage* AImage) { XDestroyImage(AImage); };
    const std::unique_ptr<XImage, decltype(destroy)> image(
        XGetImage(FConnection->XDisplay, FConnection->Root, 0, 0,
                  static_cast<unsigned int>(attributes.width),
                  static_cast<unsigned int>(attributes.height), AllPlanes, ZPixmap),
        destroy);
    ForgetRecordedError();
    if (image == nullptr) {
        return {};
    }
    return {image->width, image->height, ZEP_GA_X11Pixel(*image)};
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
    ClearRecordedError();
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

bool TZEP_GA_X11Session::Watch(const QList<TZEP_X11_Window>& AWindows) {
    std::vector<Window> fresh;
    for (const Window window : AWindows + QList<TZEP_X11_Window>{FConnection->Root}) {
        if (!FWatched.contains(window) &&
            std::find(fresh.begin(), fresh.end(), window) == fresh.end()) {
            fresh.push_back(window);
        }
    }
    if (fresh.empty()) {
        return true;
    }
    ForgetRecordedError();
    for (const Window window : fresh) {
        XSelectInput(FConnection->XDisplay, window, CWatchMask);
    }
    XSync(FConnection->XDisplay, False);
    // A window that is gone reports nothing: it stays unwatched, and so checked every time.
    if (!GTrap.Recorded) {
        FWatched.insert(fresh.begin(), fresh.end());
    }
    GTrap.Recorded = false;
    return false;
}

bool TZEP_GA_X11Session::Changed() {
    bool changed = false;
    while (XPending(FConnection->XDisplay) > 0) {
        XEvent event;
        XNextEvent(FConnection->XDisplay, &event);
        // Its id may name another window later.
        if (event.type == DestroyNotify) {
            FWatched.erase(event.xdestroywindow.window);
        }
        // Many programs note the time of every key they get; no check depends on it.
        changed = changed || event.type != PropertyNotify ||
                  event.xproperty.atom != FConnection->NetWmUserTime;
    }
    return changed;
}

void TZEP_GA_X11Session::ClearRecordedError() {
    GTrap.Recorded = false;
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
