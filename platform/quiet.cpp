// Systems where standard error always reaches the player or a log, and
// where starting the program is the player's asking to play: nothing to
// add to the game's start.
#include "platform.h"

void platform_start() {}

void platform_start_failed() {}

bool platform_wait_for_player(bool reduce) { return reduce; }

void platform_yield() {}
