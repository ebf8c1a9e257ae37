#include "md_startup.h"
#include "zep_ga_player_x11.h"

int main(int argc, char** argv) {
    return MD_Programmstart(argc, argv, [] { return std::make_unique<TZEP_GA_Player_X11>(); });
}
