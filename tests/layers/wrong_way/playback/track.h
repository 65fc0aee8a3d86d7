// One subsystem reaching sideways.
#include <string>
#include "library/prefs_file.h"
#include "playback/mci_channel.h"
