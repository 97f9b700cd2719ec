// Helpers for the scene tests: stand-in pictures, injected keys, pixels.
#pragma once

#include <cstdint>
#include <string>

#include "game.h"
#include "harness.h"

namespace scene {

// Stand-in pictures, plain colours and sizes picked so each one can be
// told apart on the canvas.
constexpr uint32_t HAND_OPEN = 0x0000ffff;   // blue, 6 x 6
constexpr uint32_t HAND_CLOSE = 0x00ffffff;  // cyan, 6 x 6
constexpr uint32_t STAMP = 0x00ff00ff;       // green, 20 x 20
constexpr uint32_t BLOODY = 0xff00ffff;      // magenta, 4 x 4
constexpr int FIGURE_SIZE = 264;             // reaches 4 px into the canvas
constexpr int INSPI_SIZES[4] = {8, 24, 48, 80};

// Writes a stand-in for each of the game's pictures into res/ under dir
// (which ends with a separator): the scene tests' and, through
// quondel_standins, those of the tests that drive the real game.
bool write_pictures(const std::string &dir);

// Starts the engine with the game's configuration and loads the pictures
// in the game's order. Returns false with a gtest failure on any error.
bool start();

// Pushes one key event (not a repeat) and lets the engine drain the queue.
void key(SDL_Scancode code, bool down);

// The value game_rand() gives after n calls from seed 1: a frame's draw
// takes a fixed number, which decides every later frame.
int rand_after(int n);

// Canvas pixel as 0xRRGGBBAA while the canvas is the render target.
inline uint32_t px(int x, int y) { return harness::pixel(x, y); }
inline int red(uint32_t p) { return static_cast<int>(p >> 24); }
inline int green(uint32_t p) { return static_cast<int>(p >> 16 & 0xff); }
inline int blue(uint32_t p) { return static_cast<int>(p >> 8 & 0xff); }

// Canvas red while the intro's key is held: full red, dark flicker only.
inline bool is_held_red(uint32_t p) { return red(p) == 255 && green(p) <= 6 && blue(p) <= 6; }
// Picture drawn opaque at full intensity in one of the eight colours.
inline bool is_full_colour(uint32_t p) {
  const int c[3] = {red(p), green(p), blue(p)};
  for (int v : c) {
    if (v != 0 && v != 255) return false;
  }
  return true;
}
inline bool is_bright(uint32_t p) { return red(p) == 255 || green(p) == 255 || blue(p) == 255; }

struct Box {
  int x0, y0, x1, y1;  // inclusive; x0 > x1 when nothing was found
};
// Bounding box of the canvas pixels exactly equal to colour.
Box find(uint32_t colour);

}  // namespace scene
