#pragma once

class TZEP_GA_Begleitung;
class TZEP_GA_Player;
class TZEP_GA_Sequence;

// Plays ASequence beside the user on a thread of its own, while the calling thread goes on
// handling its events (the window with the picture and the stop button). Returns when the play
// has ended; what the play raised is raised again on the calling thread, never across threads.
void MD_PlayBeside(TZEP_GA_Player& APlayer, const TZEP_GA_Sequence& ASequence,
                   TZEP_GA_Begleitung& ABegleitung);
