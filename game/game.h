// Shared by the entry, the two scenes and the tools that run them.
#pragma once

#include "pictures.h"
#include "vyn.h"

// The game's constant start-up record: a 256 x 256 canvas shown at 4:3.
inline constexpr VYN_Config cfg = {256, 256, 30, 16, "Quondel", 1.3333333333333333};

// Scene contract: init resets, update returns non-zero when finished,
// draw renders one frame into the canvas.
void intro_init();
int intro_update();
void intro_draw();

void musi_init();
int musi_update();
void musi_draw();

// One frame's scene work, shared by the game and its tools. The update
// advances state (0 intro, 1 second scene, 2 finished) when the current
// scene finishes; the draw, which follows it in the same frame, then
// already belongs to the next scene.
inline void game_update(int32_t &state) {
  if ((state == 0 && intro_update() != 0) || (state == 1 && musi_update() != 0)) state += 1;
}

inline void game_draw(int32_t state) {
  if (state == 0) {
    intro_draw();
  } else {
    musi_draw();
  }
}

// Centre of the hand cursor in canvas pixels; the second scene starts
// from wherever the intro left it.
inline double hand_x = 0;
inline double hand_y = 0;

// Start-up of the game and of the tools that run it: the engine from a
// copy of config, the pictures in order (the first failure stops), both
// scenes reset. 0, or 1 on failure; the caller shuts the engine down.
inline int game_start(VYN_Config config) {
  if (VYN_Init(&config) != 0) return 1;
  for (const char *file : image_files) {
    if (VYN_ImageLoad(file) < 0) return 1;
  }
  intro_init();
  musi_init();
  return 0;
}
