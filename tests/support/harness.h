// Helpers for headless engine tests: one engine per test process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vyn.h"

namespace harness {

// The game's configuration: 256 x 256 canvas, 4:3 view, 30 fps.
VYN_Config game_config();

// Redirects fd 2 into a temporary file until take() returns what was
// written since start().
void capture_start();
std::string capture_take();

// The engine's one window and renderer, reached through public SDL.
SDL_Window *window();
SDL_Renderer *renderer();

// One RGBA pixel (0xRRGGBBAA) of the current render target.
uint32_t pixel(int x, int y);

// Directory of the test executable, with a trailing separator.
std::string exe_dir();

// Writes a 32-bit BMP with an alpha channel that SDL honours. Pixels are
// 0xRRGGBBAA, row by row from the top.
bool write_bmp(const std::string &path, int w, int h, const std::vector<uint32_t> &rgba);

}  // namespace harness
