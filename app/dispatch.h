// What each user action does: control notifications, the drag press, close requests.
#pragma once
#include "core/player.h"

namespace vireo {

// The maker's web page (a reserved example domain: no real third party).
constexpr const char* kWebAddress = "http://www.example.com/vireo/";
// The platform's volume mixer, behind the system directory.
constexpr const char* kVolumeMixer = "\\SndVol.exe";

// Handles one event taken by the main loop; keeps no state of its own.
void Dispatch(Player& p, const Event& event);

}  // namespace vireo
