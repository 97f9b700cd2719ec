// Helpers for headless engine tests: one engine per test process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vyn.h"

namespace harness {

// The game's configuration: 256 x 256 canvas, 4:3 view, 30 fps.
VYN_Config game_config();
// VYN_Init with that configuration and no frame pacing; its result.
int start_unpaced();

// Redirects fd 2 into a temporary file until take() returns what was
// written since start().
void capture_start();
std::string capture_take();

// The engine's one window and renderer, reached through public SDL.
SDL_Window *window();
Uint32 window_id();
SDL_Renderer *renderer();

// One RGBA pixel (0xRRGGBBAA) of the current render target.
uint32_t pixel(int x, int y);

// Directory of the test executable, with a trailing separator.
std::string exe_dir();

// Writes a 32-bit BMP with an alpha channel that SDL honours. Pixels are
// 0xRRGGBBAA, row by row from the top.
bool write_bmp(const std::string &path, int w, int h, const std::vector<uint32_t> &rgba);

// Writes a BMP next to the test executable and returns its name relative
// to that directory (what VYN_ImageLoad expects); empty on failure. Each
// test should use its own name: tests run in parallel processes.
std::string put_bmp(const std::string &name, int w, int h, const std::vector<uint32_t> &rgba);

// A w x h BMP of one colour, as put_bmp.
std::string put_solid_bmp(const std::string &name, int w, int h, uint32_t rgba);

// Queues input as SDL would deliver it, for the engine's event pump.
void push_key(SDL_Scancode key, bool down, bool repeat = false);
void push_mouse_button(uint8_t button, bool down, int x, int y);
void push_mouse_motion(int x, int y);

// VYN_PollEvent and VYN_CycleEvents, taking a second poll cycle: SDL 2.26
// ends a cycle at its sentinel event, so input queued after a cycle was cut
// short (by an event returned mid-queue) waits for the next one.
bool poll_event(VYN_Event *e);
void cycle_events();

// True when SDL 2 is sdl2-compat over SDL 3 in this process.
bool sdl2_compat();

// A virtual game controller with every button and axis, plugged in now (the
// engine opens it at its next event poll). SDL maps such a pad button for
// button, so SDL_JoystickSetVirtualButton takes SDL_GameControllerButton
// values. Null on failure. SDL drops controller input while no window has
// keyboard focus, which the dummy driver's never has: this allows it.
SDL_Joystick *plug_pad();
// Pulls the pad out and closes the test's handle to it.
void unplug_pad(SDL_Joystick *pad);

}  // namespace harness
