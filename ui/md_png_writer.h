#pragma once

#include "zep_ga_player.h"
#include "zep_run_history.h"

// Writes the screen picture of a failed run as a PNG file, for the owner only.
class TZEP_MD_PngWriter : public IZEP_BildWriter {
public:
    qint64 WritePng(const TZEP_GA_Bildschirm& ABild, const QString& APath) override;
};
