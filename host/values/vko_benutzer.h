#pragma once

#include "vko_inttrio.h"

// The logged-in user: the same pair for the same user.
TIntPair WpGetBenuAngemeldet();
