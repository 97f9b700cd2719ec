// What the page may ask the running game, under plain names it can call:
// the engine's count of frames shown, and whether the game took the
// reduced-flashing option from the command line the page gave it.
#include <cstdint>

#include "game.h"
#include "vyn.h"

extern "C" uint32_t quondel_frames() { return static_cast<uint32_t>(VYN_GetTick()); }

extern "C" int quondel_reduce_flashing() { return reduce_flashing ? 1 : 0; }
