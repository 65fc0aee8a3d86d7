// Windows' own transport commands (the media keys, a headset's buttons, the
// system's media controls, the taskbar's thumbnail buttons) as presses of the
// strip's buttons, and what the taskbar and the media controls are told back.
// The player binds no key of its own: each source only hands over what
// Windows routed to it.
#pragma once
#include <cstdint>

#include "core/commands.h"
#include "core/player.h"

namespace vireo {

// Where the transport stands, as the strip shows it.
struct TransportView {
    TransportButtons buttons;
    int32_t titleCount = 0;
    int64_t selected = -1;
    bool continuous = false;
    bool blocked = false;  // a box or the folder requester is open
};
TransportView ViewOf(Player& p);

enum class CommandAction { None, Play, Pause, Resume, Stop, Next, Previous };
// What a command does: the press of an enabled button, a move to the
// neighbouring title, or nothing (its button disabled, a box open, no title).
CommandAction ActionFor(TransportCommand command, const TransportView& view);
// The title Next (+1) or Previous (-1) goes to: wrapping only with "Lecture
// continue" ticked; -1 when there is none other.
int64_t NeighbourTitle(const TransportView& view, int step);

// Brings the thumbnail's buttons and the system's media controls in step
// with the strip. `changed`: the pass ran a command or ended a title;
// otherwise only the flyout's bar of a playing title is refreshed, every
// kTimelineEveryMs. The media controls are started at the first title played.
void TellSystem(Player& p, bool changed);
constexpr uint32_t kTimelineEveryMs = 5000;
// The taskbar has made the program's button: the thumbnail's buttons go on it.
void AddThumbButtons(Player& p);
// Before the windows go.
void StopTellingSystem(Player& p);

}  // namespace vireo
