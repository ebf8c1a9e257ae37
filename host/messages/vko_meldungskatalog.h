#pragma once

#include <QString>

#include "vko_info.h"

// The German text of a catalogue entry with %1, %2 ... for its arguments; empty when unknown.
QString VKO_KatalogText(const TInfoKoord& AKoord);
