// The time texts and the per-pass refresh of the elapsed-time indicators.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/player.h"

namespace vireo {

// Whole seconds as minutes, ":" and two-digit seconds: 65 -> "1:05", 3725 -> "62:05".
// No hour field. A negative count (only a broken reply gives one) reads "-0:05".
std::string FormatTime(int64_t seconds);

// The text of FormatTime written into `out` (at least kTimeTextSize bytes, not
// NUL-terminated); returns its length.
constexpr size_t kTimeTextSize = 32;
size_t FormatTimeInto(int64_t seconds, char* out);

// ElapsedDisplay, CountDisplay and TrackProgressBar from PositionMs, on every pass.
void RefreshIndicators(Player& p);

}  // namespace vireo
