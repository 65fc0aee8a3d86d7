// Bottom layer reaching up.
#include "ui/layout.h"
