// The engine's count of frames shown, under a plain name the page can call.
#include <cstdint>

#include "vyn.h"

extern "C" uint32_t quondel_frames() { return static_cast<uint32_t>(VYN_GetTick()); }
