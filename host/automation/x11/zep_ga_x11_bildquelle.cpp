#include "zep_ga_x11_bildquelle.h"

#include <poll.h>

#include <QElapsedTimer>
#include <cstring>

#include "zep_ga_begleitung.h"
#include "zep_x11_connect.h"

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

namespace {

constexpr int CWarteMs = 30;

// The connection, closed on every path.
class TVerbindung {
public:
    explicit TVerbindung(const QByteArray& AName) : FDisplay(ZEP_X11_Connect(AName)) {}
    ~TVerbindung() {
        if (FDisplay != nullptr) {
            XCloseDisplay(FDisplay);
        }
    }
    TVerbindung(const TVerbindung&) = delete;
    TVerbindung& operator=(const TVerbindung&) = delete;
    Display* Get() const { return FDisplay; }

private:
    Display* FDisplay;
};

// The whole screen, every CMaxBreite-th column and row kept as the width asks.
TZEP_GA_Bildschirm Aufnahme(Display* ADisplay) {
    const Window root = DefaultRootWindow(ADisplay);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(ADisplay, root, &attributes) == 0 || attributes.width <= 0 ||
        attributes.height <= 0) {
        return {};
    }
    XImage* image = XGetImage(ADisplay, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return {};
    }
    const int breite = qMin(attributes.width, TZEP_GA_X11Bildquelle::CMaxBreite);
    const int hoehe = qMax(1, attributes.height * breite / attributes.width);
    TZEP_GA_Bildschirm bild{breite, hoehe, QByteArray(breite * hoehe * 4, Qt::Uninitialized)};
    auto* ziel = reinterpret_cast<quint32*>(bild.Pixel.data());
    const bool direkt = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    for (int y = 0; y < hoehe; ++y) {
        const int sy = y * attributes.height / hoehe;
        const char* zeile = image->data + static_cast<qsizetype>(sy) * image->bytes_per_line;
        for (int x = 0; x < breite; ++x) {
            const int sx = x * attributes.width / breite;
            quint32 pixel = 0;
            if (direkt) {
                std::memcpy(&pixel, zeile + static_cast<qsizetype>(sx) * 4, sizeof pixel);
            } else {
                pixel = static_cast<quint32>(XGetPixel(image, sx, sy));
            }
            *ziel++ = 0xff000000U | (pixel & 0xffffffU);
        }
    }
    XDestroyImage(image);
    return bild;
}

}  // namespace

TZEP_GA_X11Bildquelle::TZEP_GA_X11Bildquelle(QByteArray ADisplay, TZEP_GA_Begleitung& ABegleitung)
    : FDisplay(std::move(ADisplay)), FBegleitung(ABegleitung), FThread([this] { Lauf(); }) {}

TZEP_GA_X11Bildquelle::~TZEP_GA_X11Bildquelle() {
    FEnde.store(true);
    FThread.join();
}

void TZEP_GA_X11Bildquelle::Lauf() noexcept {
    try {
        const TVerbindung verbindung(FDisplay);
        Display* display = verbindung.Get();
        if (display == nullptr) {
            return;
        }
        int damageEvent = 0;
        int damageError = 0;
        Damage damage = 0;
        if (XDamageQueryExtension(display, &damageEvent, &damageError)) {
            damage = XDamageCreate(display, DefaultRootWindow(display), XDamageReportNonEmpty);
        }
        bool geaendert = true;
        QElapsedTimer seitBild;
        seitBild.start();
        qint64 letztes = -CAbstandMs;
        while (!FEnde.load()) {
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                if (damage != 0 && event.type == damageEvent + XDamageNotify) {
                    geaendert = true;
                }
            }
            const bool faellig = seitBild.elapsed() - letztes >= CAbstandMs;
            if (faellig && (geaendert || damage == 0)) {
                if (damage != 0) {
                    XDamageSubtract(display, damage, None, None);
                }
                geaendert = false;
                letztes = seitBild.elapsed();
                TZEP_GA_Bildschirm bild = Aufnahme(display);
                if (!bild.IsEmpty()) {
                    FBegleitung.SetBild(std::move(bild));
                }
                continue;
            }
            pollfd warte{ConnectionNumber(display), POLLIN, 0};
            ::poll(&warte, 1, CWarteMs);
        }
        if (damage != 0) {
            XDamageDestroy(display, damage);
        }
    } catch (...) {
        // Without a picture the run goes on all the same.
    }
}
