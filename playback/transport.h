// Opening, measuring and transporting one track. The enabled states of the
// transport buttons are the only record of where the player stands.
#pragma once
#include <string>

#include "core/player.h"

namespace vireo {

// Opens `title` in the folder the list was built from, measures it, shows its
// length and starts it from 1 ms; a file that is still being opened is shown
// playing, with no length yet, and measured once open (ShowLength). The
// previous track must be closed already.
// On an open failure: the error box and nothing else; false. A title that
// opens but does not start is closed, the transport shows nothing open, and
// the same box says so; false too.
bool PlayTrack(Player& p, const std::u16string& title);
// Measures the open title: its length into LengthMs, the two length displays
// and the bar's range.
void ShowLength(Player& p);
// The box of a title that did not open (or play).
void ShowOpenFailure(Player& p);
// A title its engine cannot pause (a stream Media Foundation can only play
// through) plays on, and Pause stays enabled.
void PauseTrack(Player& p);
// Restarts at PositionMs, the position polled in the latest pass, or where the
// device stands when it knows no position. When that fails: Stop, then the
// open-failure box.
void ResumeTrack(Player& p);
void StopTrack(Player& p);
// The transport with nothing open: Play and SELECTION enabled, Pause,
// Reprendre and Stop disabled.
void ShowNothingOpen(Player& p);
// Between two tracks: the title closed ("close Morceau") and nothing else.
void CloseTrack(Player& p);

}  // namespace vireo
