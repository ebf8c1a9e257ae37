#include "zep_ga_x11_shm_bild.h"

#include <sys/ipc.h>
#include <sys/shm.h>

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

// The image keeps a pointer to it: it must not move while the image lives.
struct TZEP_GA_X11ShmBild::TSegment {
    XShmSegmentInfo Info{};
};

TZEP_GA_X11ShmBild::TZEP_GA_X11ShmBild(Display* ADisplay, int ABreite, int AHoehe)
    : FDisplay(ADisplay), FSegment(std::make_unique<TSegment>()) {
    if (!XShmQueryExtension(ADisplay)) {
        return;
    }
    XShmSegmentInfo& info = FSegment->Info;
    info.shmid = -1;
    const int screen = DefaultScreen(ADisplay);
    FImage =
        XShmCreateImage(ADisplay, DefaultVisual(ADisplay, screen),
                        static_cast<unsigned>(DefaultDepth(ADisplay, screen)), ZPixmap, nullptr,
                        &info, static_cast<unsigned>(ABreite), static_cast<unsigned>(AHoehe));
    if (FImage == nullptr) {
        return;
    }
    info.shmid =
        shmget(IPC_PRIVATE,
               static_cast<size_t>(FImage->bytes_per_line) * static_cast<size_t>(FImage->height),
               IPC_CREAT | 0600);
    if (info.shmid < 0) {
        return;
    }
    void* address = shmat(info.shmid, nullptr, 0);
    // Gone with the last detach, also when the process is killed.
    shmctl(info.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) {
        return;
    }
    info.shmaddr = FImage->data = static_cast<char*>(address);
    info.readOnly = False;
    FAttached = XShmAttach(ADisplay, &info) != 0;
    XSync(ADisplay, False);
}

TZEP_GA_X11ShmBild::~TZEP_GA_X11ShmBild() {
    XShmSegmentInfo& info = FSegment->Info;
    if (FAttached) {
        XShmDetach(FDisplay, &info);
        XSync(FDisplay, False);
    }
    if (info.shmaddr != nullptr) {
        shmdt(info.shmaddr);
    }
    if (FImage != nullptr) {
        FImage->data = nullptr;
        XDestroyImage(FImage);
    }
}

const XImage* TZEP_GA_X11ShmBild::Hole() {
    return FAttached && XShmGetImage(FDisplay, DefaultRootWindow(FDisplay), FImage, 0, 0, AllPlanes)
               ? FImage
               : nullptr;
}
