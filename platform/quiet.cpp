// Systems where standard error always reaches the player or a log, and
// where the game's own start screen asks the player: nothing to add to
// the game's start.
#include "platform.h"

void platform_start() {}

void platform_start_failed() {}

bool platform_asks_player() { return false; }

bool platform_wait_for_player(bool reduce) { return reduce; }

void platform_yield() {}
