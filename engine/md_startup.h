#pragma once

#include <functional>
#include <memory>

class TZEP_GA_Player;

using TZEP_MD_PlayerFactory = std::function<std::unique_ptr<TZEP_GA_Player>()>;

// Exit codes of the program: a scheduler tells a played run from one that failed.
inline constexpr int CMD_Exit_OK = 0;
inline constexpr int CMD_Exit_Fehler = 1;
inline constexpr int CMD_Exit_NichtGefunden = 2;

// Starts the program for its command line: the unattended run of one Mandorel, or the window.
// Answers the exit code.
int MD_Programmstart(int argc, char** argv, const TZEP_MD_PlayerFactory& APlayerFactory);
