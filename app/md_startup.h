#pragma once

#include <functional>
#include <memory>

#include "md_commandline.h"

class TZEP_GA_Player;

using TZEP_MD_PlayerFactory = std::function<std::unique_ptr<TZEP_GA_Player>()>;

// Starts the program for its command line: the unattended run of one Mandorel, or the window.
// Answers the exit code.
int MD_Programmstart(int argc, char** argv, const TZEP_MD_PlayerFactory& APlayerFactory);
