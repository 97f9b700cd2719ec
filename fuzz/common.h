// Shared set-up of the engine fuzzers: a headless engine without pacing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

namespace fuzz {

// Starts the engine on SDL's dummy video and software renderer with the
// game's canvas and no frame pacing. Aborts when the engine cannot start.
void start_engine();

// Writes a BMP (24 or 32 bits per pixel, bottom-up) filled with a pattern.
bool write_bmp(const std::string &path, int w, int h, int bits);

}  // namespace fuzz
