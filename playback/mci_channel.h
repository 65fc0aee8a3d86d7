// The one channel to the MCI command-string service, and every command text the
// player sends. All commands name the alias "Morceau".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/player.h"

namespace vireo {

// Sends one command; ReplyText is replaced by the service's reply, failed or not.
// Returns the service's result: 0 on success, an MCI error code otherwise.
int32_t SendMciCommand(Player& p, std::string_view command);
// The same through the wide service: only for an open of a path Windows-1252
// cannot spell.
int32_t SendMciCommand(Player& p, std::u16string_view command);

// The numeric value of a reply: leading blanks and tabs, one optional sign, then
// decimal digits, "$" and hexadecimal digits, or "%" and binary digits; 0 when no
// digit follows. Values beyond 64 bits wrap around (two's complement).
int64_t ReplyValue(std::string_view reply);

namespace mci {

constexpr const char* kAlias = "Morceau";

constexpr const char* kSetTimeFormatMs = "set Morceau time format ms";
constexpr const char* kSeekToEndWait = "seek Morceau to end wait";
constexpr const char* kStatusPositionWait = "status Morceau position wait";
// Only when the seek to the end failed (some drivers seek to the start only).
constexpr const char* kStatusLengthWait = "status Morceau length wait";
constexpr const char* kSeekToStart = "seek Morceau to start";
constexpr const char* kPlayFromStart = "play Morceau from 1 notify";
constexpr const char* kStatusPosition = "status Morceau position";
constexpr const char* kPauseWait = "pause Morceau wait";
// Resume where the device stands, when it reports no position.
constexpr const char* kPlay = "play Morceau";
constexpr const char* kClose = "close Morceau";
// Only when the position has stood still for a while.
constexpr const char* kStatusModeWait = "status Morceau mode wait";

// "open \"<path>\" alias Morceau"; the path stands between double quotes, whole.
std::string OpenCommand(std::string_view path);
std::u16string OpenCommand(std::u16string_view path);
// "play Morceau from <positionMs>" in plain decimal; no "wait", no "notify".
std::string PlayFromCommand(int32_t positionMs);

}  // namespace mci
}  // namespace vireo
