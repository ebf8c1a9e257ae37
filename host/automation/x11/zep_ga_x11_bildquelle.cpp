#include "zep_ga_x11_bildquelle.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <QElapsedTimer>
#include <cstring>

#include "zep_ga_begleitung.h"
#include "zep_x11_connect.h"

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
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

// The screen taken through shared memory: the server writes the picture straight into it,
// instead of sending it over the connection. Not usable when the server offers no MIT-SHM.
class TShmBild {
public:
    TShmBild(Display* ADisplay, int ABreite, int AHoehe) : FDisplay(ADisplay) {
        if (!XShmQueryExtension(ADisplay)) {
            return;
        }
        const int screen = DefaultScreen(ADisplay);
        FImage =
            XShmCreateImage(ADisplay, DefaultVisual(ADisplay, screen),
                            static_cast<unsigned>(DefaultDepth(ADisplay, screen)), ZPixmap, nullptr,
                            &FInfo, static_cast<unsigned>(ABreite), static_cast<unsigned>(AHoehe));
        if (FImage == nullptr) {
            return;
        }
        FInfo.shmid = shmget(
            IPC_PRIVATE,
            static_cast<size_t>(FImage->bytes_per_line) * static_cast<size_t>(FImage->height),
            IPC_CREAT | 0600);
        if (FInfo.shmid < 0) {
            return;
        }
        void* address = shmat(FInfo.shmid, nullptr, 0);
        // Gone with the last detach, also when the process is killed.
        shmctl(FInfo.shmid, IPC_RMID, nullptr);
        if (address == reinterpret_cast<void*>(-1)) {
            return;
        }
        FInfo.shmaddr = FImage->data = static_cast<char*>(address);
        FInfo.readOnly = False;
        FAttached = XShmAttach(ADisplay, &FInfo) != 0;
        XSync(ADisplay, False);
    }
    ~TShmBild() {
        if (FAttached) {
            XShmDetach(FDisplay, &FInfo);
            XSync(FDisplay, False);
        }
        if (FInfo.shmaddr != nullptr) {
            shmdt(FInfo.shmaddr);
        }
        if (FImage != nullptr) {
            FImage->data = nullptr;
            XDestroyImage(FImage);
        }
    }
    TShmBild(const TShmBild&) = delete;
    TShmBild& operator=(const TShmBild&) = delete;

    // The screen now; null when shared memory is not usable.
    const XImage* Hole() {
        return FAttached &&
                       XShmGetImage(FDisplay, DefaultRootWindow(FDisplay), FImage, 0, 0, AllPlanes)
                   ? FImage
                   : nullptr;
    }

private:
    Display* FDisplay;
    XImage* FImage = nullptr;
    XShmSegmentInfo FInfo{};
    bool FAttached = false;
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

// The screen through the connection, where shared memory is not usable.
TZEP_GA_Bildschirm Aufnahme(Display* ADisplay, int ABreite, int AHoehe) {
    XImage* image =
        XGetImage(ADisplay, DefaultRootWindow(ADisplay), 0, 0, static_cast<unsigned>(ABreite),
                  static_cast<unsigned>(AHoehe), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return {};
    }
    TZEP_GA_Bildschirm bild = Verkleinert(*image);
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
        const int breite = DisplayWidth(display, DefaultScreen(display));
        const int hoehe = DisplayHeight(display, DefaultScreen(display));
        TShmBild geteilt(display, breite, hoehe);
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
                TZEP_GA_Bildschirm bild =
                    image != nullptr ? Verkleinert(*image) : Aufnahme(display, breite, hoehe);
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
