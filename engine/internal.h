// The engine's private state and the helpers its parts share. vyn.h stays
// the only public header; nothing outside engine/ includes this one.
//
// All state lives in one record, split by the part that owns it. VYN_Quit
// releases and clears the handles in it; counters, the quit flag, the key
// map and the buttons outlive it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "vyn.h"

namespace vyn {

// Draw colour and modulation of every image drawn, as bytes.
struct Color {
  int32_t r, g, b, a;
};

// A game controller, the second source of the keyboard's buttons. A slot
// with a null controller is free.
struct Pad {
  SDL_GameController *controller;
  SDL_JoystickID id;
  std::array<uint8_t, VYN_KEY_BUTTONS> pressed;  // 1 while its d-pad or face button is down
  int8_t stick_x, stick_y;                       // left stick: -1, 0 or 1 on each axis
};
constexpr size_t max_pads = 8;

constexpr std::array<int32_t, VYN_KEY_BUTTONS> default_map = {
    SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_SPACE, SDL_SCANCODE_C,
};

struct State {
  // Lifecycle, pacing, letterbox and colour (core.cpp).
  struct Core {
    VYN_Config config;
    char *basepath;  // executable's directory, owned by SDL
    SDL_Window *window;
    SDL_Renderer *renderer;
    SDL_Texture *target;   // the canvas
    void (*gl_flush)();    // glFlush of an OpenGL renderer, else null
    uint64_t next_time;    // deadline of the current frame, ms
    uint64_t min_dt;       // frame period, ms
    uint64_t tick;         // frames presented
    int32_t off_x, off_y;  // scaled canvas inside the window, in output pixels
    float scale = 1.0f;    // output pixels per view unit: whole, or below 1 where one view does not fit
    // Output pixels per window point on each axis: above 1 on high-density
    // screens, where SDL reports the mouse in points but draws in pixels.
    double density_x = 1.0, density_y = 1.0;
    Color color;
    SDL_Texture *still;  // the view-sized still picture, made when first drawn
    bool showing_still;  // drawing the still picture rather than the canvas
  } core;

  // Keys, mouse, pads and the quit request (input.cpp); no other part
  // reads them.
  struct Input {
    bool should_quit;
    std::array<int32_t, VYN_KEY_BUTTONS> map = default_map;  // scancode of each keyboard button
    std::array<uint8_t, VYN_BUTTONS> input;                  // 1 while a key or mouse button holds it
    int32_t mouse_x, mouse_y;
    std::array<Pad, max_pads> pads;
    // Button events still to be returned: one controller event can press
    // or release several buttons at once.
    std::array<VYN_Event, VYN_KEY_BUTTONS> pending;
    size_t pending_count, pending_next;
    bool redraw;  // the window needs its picture again (VYN_WaitEvent)
  } input;

  // The image registry and the drawing's scratch buffer (draw.cpp).
  struct Pictures {
    std::array<VYN_Image, VYN_MAX_IMAGES> images;
    SDL_Point *points;  // one point per canvas pixel
  } pictures;
};

extern State state;

// SDL's error as one line on stderr, and -1; every SDL failure outside
// start-up reads so.
int _sdl_fail();

// Allocates the drawing's scratch buffer for the canvas in the config.
// 0, or -1 with a stderr line.
int _pictures_init();
// Destroys every loaded image (one stderr line each) and the scratch
// buffer, emptying their slots.
void _pictures_quit();
// Closes every open game controller, emptying its slot, and drops the
// button events still queued from them.
void _input_quit();

}  // namespace vyn
