// The numbers the platform gives Windows' own transport commands, as the
// commands of the player (core/platform.h). The window procedures translate
// with these and pass on every other command.
#pragma once
#include <optional>

#include "core/platform.h"

namespace vireo {

std::optional<TransportCommand> CommandForAppCommand(int appCommand);  // WM_APPCOMMAND's command
std::optional<TransportCommand> CommandForSystemButton(int button);    // the media controls' buttons
std::optional<TransportCommand> CommandForThumbButton(int id);         // the strip's control ids

}  // namespace vireo
