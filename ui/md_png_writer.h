#pragma once

#include "zep_ga_player.h"
#include "zep_run_history.h"

// Encodes the screen picture of a failed run as PNG; the history writes the file.
class TZEP_MD_PngWriter : public IZEP_BildWriter {
public:
    QByteArray Png(const TZEP_GA_Bildschirm& ABild) override;
};
