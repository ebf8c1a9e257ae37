#pragma once

#include <memory>

struct _XDisplay;
struct _XImage;

// The whole screen taken through shared memory: the server writes the picture straight into
// it instead of sending it over the connection. Not usable when the server offers no MIT-SHM or
// cannot reach this machine's memory; errors of a refused segment go to the connection's error
// handler.
class TZEP_GA_X11ShmBild {
public:
    TZEP_GA_X11ShmBild(_XDisplay* ADisplay, int ABreite, int AHoehe);
    ~TZEP_GA_X11ShmBild();
    TZEP_GA_X11ShmBild(const TZEP_GA_X11ShmBild&) = delete;
    TZEP_GA_X11ShmBild& operator=(const TZEP_GA_X11ShmBild&) = delete;

    // The screen now, valid until the next call; null when shared memory is not usable.
    const _XImage* Hole();

private:
    struct TSegment;

    _XDisplay* FDisplay;
    std::unique_ptr<TSegment> FSegment;
    _XImage* FImage = nullptr;
    bool FAttached = false;
};
