// A subsystem reaching up into the application.
#include "core/player.h"
#include "app/player.h"
