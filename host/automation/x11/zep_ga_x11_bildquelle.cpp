#include "zep_ga_x11_bildquelle.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <array>
#include <cstring>
#include <memory>

#include "zep_ga_begleitung.h"
#include "zep_ga_x11_pixel.h"
#include "zep_ga_x11_shm_bild.h"
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

// The picture scaled to at most CMaxBreite pixels wide, every n-th column and row kept.
TZEP_GA_Bildschirm Verkleinert(const XImage& AImage) {
    const int breite = qMin(AImage.width, TZEP_GA_X11Bildquelle::CMaxBreite);
    const int hoehe = qMax(1, AImage.height * breite / AImage.width);
    TZEP_GA_Bildschirm bild{breite, hoehe, QByteArray(breite * hoehe * 4, Qt::Uninitialized)};
    auto* ziel = reinterpret_cast<quint32*>(bild.Pixel.data());
    const bool direkt = AImage.bits_per_pixel == 32 && AImage.byte_order == LSBFirst;
    for (int y = 0; y < hoehe; ++y) {
        const int sy = y * AImage.height / hoehe;
        const char* zeile = AImage.data + static_cast<qsizetype>(sy) * AImage.bytes_per_line;
        for (int x = 0; x < breite; ++x) {
            const int sx = x * AImage.width / breite;
            quint32 pixel = 0;
            if (direkt) {
                std::memcpy(&pixel, zeile + static_cast<qsizetype>(sx) * 4, sizeof pixel);
            } else {
                pixel = static_cast<quint32>(XGetPixel(const_cast<XImage*>(&AImage), sx, sy));
            }
            *ziel++ = 0xff000000U | (pixel & 0xffffffU);
        }
    }
    return bild;
}

// The whole screen at full size.
TZEP_GA_Bildschirm Voll(const XImage& AImage) {
    return {AImage.width, AImage.height, ZEP_GA_X11Pixel(AImage)};
}

// The screen through the connection, where shared memory is not usable.
template <typename TWandlung>
TZEP_GA_Bildschirm Aufnahme(Display* ADisplay, int ABreite, int AHoehe, TWandlung AWandlung) {
    const auto destroy = [](XImage* AImage) { XDestroyImage(AImage); };
    const std::unique_ptr<XImage, decltype(destroy)> image(
        XGetImage(ADisplay, DefaultRootWindow(ADisplay), 0, 0, static_cast<unsigned>(ABreite),
                  static_cast<unsigned>(AHoehe), AllPlanes, ZPixmap),
        destroy);
    return image != nullptr ? AWandlung(*image) : TZEP_GA_Bildschirm{};
}

}  // namespace

TZEP_GA_X11Bildquelle::TZEP_GA_X11Bildquelle(QByteArray ADisplay, TZEP_GA_Begleitung& ABegleitung)
    : FDisplay(std::move(ADisplay)),
      FBegleitung(ABegleitung),
      FWecker(::eventfd(0, EFD_CLOEXEC)),
      FThread([this] { Lauf(); }) {}

TZEP_GA_X11Bildquelle::~TZEP_GA_X11Bildquelle() {
    Beenden();
    if (FWecker >= 0) {
        ::close(FWecker);
    }
}

void TZEP_GA_X11Bildquelle::Beenden() noexcept {
    if (!FThread.joinable()) {
        return;
    }
    FEnde.store(true);
    if (FWecker >= 0) {
        const quint64 eins = 1;
        static_cast<void>(::write(FWecker, &eins, sizeof eins));
    }
    FThread.join();
}

TZEP_GA_Bildschirm TZEP_GA_X11Bildquelle::Schlussbild() {
    FSchlussGewuenscht.store(true);
    Beenden();
    return std::move(FSchlussbild);
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
        const int breite = DisplayWidth(display, DefaultScreen(display));
        const int hoehe = DisplayHeight(display, DefaultScreen(display));
        TZEP_GA_X11ShmBild geteilt(display, breite, hoehe);
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
                const XImage* image = geteilt.Hole();
                TZEP_GA_Bildschirm bild = image != nullptr
                                              ? Verkleinert(*image)
                                              : Aufnahme(display, breite, hoehe, Verkleinert);
                if (!bild.IsEmpty()) {
                    FBegleitung.SetBild(std::move(bild));
                }
                continue;
            }
            std::array<pollfd, 2> warte{pollfd{ConnectionNumber(display), POLLIN, 0},
                                        pollfd{FWecker, POLLIN, 0}};
            ::poll(warte.data(), warte.size(), CWarteMs);
        }
        if (FSchlussGewuenscht.load()) {
            const XImage* image = geteilt.Hole();
            FSchlussbild = image != nullptr ? Voll(*image) : Aufnahme(display, breite, hoehe, Voll);
        }
        if (damage != 0) {
            XDamageDestroy(display, damage);
        }
    } catch (...) {
        // Without a picture the run goes on all the same.
    }
}
