// The open title, whichever engine plays it: MCI for the four formats it has
// always played (alias "Morceau", the same command strings), Media Foundation
// for FLAC, AAC and ALAC, which MCI cannot open on a stock Windows. The
// transport and the main loop speak only to these operations.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/player.h"

namespace vireo {

// Opens `path` with the engine of its name; 0 when it opened (Media
// Foundation: began to open). When an MCI open fails and the path has a short
// form that differs and keeps the extension's engine, that is tried once: it
// reaches what a driver cannot open by its long name (one limited to 128
// characters, or to the system's code page).
int32_t OpenTitle(Player& p, const std::u16string& path);
// The open title's length in milliseconds, as its engine measures it.
int32_t MeasureTitle(Player& p);
// Plays the open title from its start; 0 when it plays.
int32_t StartTitle(Player& p);

// Whether the open title's file is still being opened (a Media Foundation
// title, which opens while the strip answers): nothing is known of it yet.
bool TitleOpening(Player& p);

enum class PollResult { Open, NotOpen, Opening, Failed };
// The position of the open title into PositionMs. With nothing open (or an
// MCI title) this is the pass's "status Morceau position", as always; Opening
// (position 0) while its file is being opened; Failed when a title could not
// be opened in time or can no longer be decoded. A pause the engine refused
// after it was shown gives the strip back its Pause.
PollResult PollTitle(Player& p);
// The engine says the title has stopped: played to its end, or failed.
bool TitleStopped(Player& p);
// The same where knowing costs no command (a Media Foundation title, whose
// position reads 0 once it has ended, so that its last second may never be
// seen); false for MCI, which is asked only once the last second is reached.
bool TitleEndedUnasked(Player& p);
// A title whose position has stood still for a while when it should play:
// whether it is over. MCI is asked for its mode; a Media Foundation title is
// (its clock never stands still while it plays: a decoder that reports no
// position, or stopped without saying so, must not hold the run).
bool StillTitleIsOver(Player& p);
// False when the title's engine cannot pause it: it plays on.
bool PauseTitle(Player& p);
// Plays on from PositionMs, or from where the device stands when it knows
// no position; 0 when it plays.
int32_t ResumeTitle(Player& p);
// Closes the open title; with nothing open, "close Morceau" as always.
void CloseTitle(Player& p);

}  // namespace vireo
