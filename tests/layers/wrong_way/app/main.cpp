// The top may include every layer.
#include "ui/layout.h"
#include "playback/transport.h"
