// The polling main loop and the sequencing of titles at the end of a track.
#pragma once
#include "core/player.h"

namespace vireo {

// Pause of a pass that found no event.
constexpr unsigned kIdleSleepMs = 20;

// One pass: at most one event, the idle sleep, the position poll, the refresh,
// the end-of-track test, then the event's dispatch. False when the loop must end.
bool RunPass(Player& p);
// Passes until QuitFlag is 1 after a dispatched event.
void RunMainLoop(Player& p);
// Closes the ended track and starts the next, first or same title, or ends the
// run, by the two mode check boxes.
void HandleEndOfTrack(Player& p);

}  // namespace vireo
