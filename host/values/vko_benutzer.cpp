#include "vko_benutzer.h"

#include <unistd.h>

TIntPair WpGetBenuAngemeldet() {
    // The user id of the process; the second number stays 0 (one installation).
    return TIntPair{static_cast<qint32>(::getuid()), 0};
}
