// The taskbar thumbnail toolbar's buttons and their embedded icons.
#pragma once
#include "core/controls.h"

namespace vireo {

// The buttons, in the order the thumbnail shows them.
constexpr ControlId kThumbButtons[] = {PlayButton, PauseButton, ResumeButton, StopButton};

// Each button's ICON resource is kThumbIconBase + its control number; each
// holds the small-icon size of every drawn scale, 16 to 48 pixels.
constexpr int kThumbIconBase = 200;
constexpr int ThumbIconResource(ControlId id) { return kThumbIconBase + id; }

}  // namespace vireo
