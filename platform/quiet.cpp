// Systems where standard error always reaches the player or a log: the
// game's lines need no second way out.
#include "platform.h"

void platform_start() {}
