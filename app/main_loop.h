// The polling main loop and the sequencing of titles at the end of a track.
#pragma once
#include "core/player.h"

namespace vireo {

// Pause of a pass that found no event.
constexpr unsigned kIdleSleepMs = 20;
// How long the position of a playing title may stand still before the device
// is asked whether it has stopped.
constexpr uint32_t kStallMs = 3000;
// A title whose position has not moved from where it started for this long
// never will: as long as Media Foundation waits for a title to begin.
constexpr uint32_t kNeverStartedMs = 15000;
// A device that never says "stopped" (one was seen whose position runs on
// after the sound, "playing" for ever) does not hold the run. A title whose
// file gives its own length (an MPEG title's frame count) is over once its
// position has passed that and the device's length by kEndMarginMs: each frame
// holds a fixed number of samples, so no title that still plays gets there.
// One whose file gives none is over at kOverrunFactor times the device's
// length: a VBR MPEG title measured short was measured by the bit rate of one
// of its frames, and no frame's rate is more than 20 times the lowest of its
// MPEG version (320 and 32 kbit/s for MPEG-1, 160 and 8 for MPEG-2 and 2.5).
constexpr int32_t kEndMarginMs = 2000;
constexpr int32_t kOverrunFactor = 20;

// One pass: at most one event, the idle sleep, the position poll, the refresh,
// the end-of-track test, then the event's dispatch. False when the loop must end.
bool RunPass(Player& p);
// Passes until QuitFlag is 1 after a dispatched event; then closes the MCI
// device, before the windows and COM go, or it could stay unusable, and
// leaves the system's media controls.
void RunMainLoop(Player& p);
// What the pass found of the playing title.
enum class TitleEnd { No, Ended, Failed };
// Whether the playing title has ended. A paused one (Pause disabled) never
// has. Once its elapsed text has met its length text it has reached its last
// whole second, and it ends when its engine says it has stopped, asked on
// every pass: the rest of that second is heard, a position that falls back
// after the end (some MPEG drivers) does not hide it, and one that runs past a
// length measured short does not cut the tail, up to the bounds above.
// Otherwise, and as a last resort, the stall check below decides.
TitleEnd TrackEnded(Player& p);
// A title whose file holds less sound than its header promised stops short of
// its length, and its elapsed text never reaches the duration text. Ended
// when the position has stood still for kStallMs while the title plays (Pause
// enabled) and then either stands at its length, or has none (measured 0,
// or less), or its engine says it is over (StillTitleIsOver). Failed when it has not
// moved at all for kNeverStartedMs since it was started or resumed, whatever
// its device says (one that opens a title it cannot play, as a MIDI device
// without a synthesizer, says "playing" for ever): nothing was heard, so the
// title is shown as one that failed to open. A title that moved and then
// stands keeps the first rule. Watches the position of the open title; the
// loop forgets it when no title is open, and so do Play and Resume.
TitleEnd TrackStalled(Player& p);
// Closes the ended track and starts the next, first or same title, or ends the
// run, by the two mode check boxes. A successor that cannot be opened ends the
// run too, after its box.
void HandleEndOfTrack(Player& p);
// Plays the title the list shows; one that does not open (renamed or deleted
// since the scan) shows its box and ends the run.
void PlaySelected(Player& p);
// A title that opened but can no longer be decoded (damaged, protected): shown
// as a title that failed to open, and the run ends as after one.
void HandleFailedTrack(Player& p);

}  // namespace vireo
