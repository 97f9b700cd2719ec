#include "harness.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

// The game's own start-up record, so that the tests start what the game
// starts. Reached by its path: every build of this file, the fuzzers'
// too, has the engine's headers but not necessarily the game's.
#include "../../game/game.h"

namespace harness {

namespace {
// Headless unless the environment asks otherwise; the software renderer is
// the one that works without a display.
const bool headless = [] {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_RENDER_DRIVER", "software", 0);
  return true;
}();

int saved_fd = -1;
std::FILE *sink = nullptr;

void put16(std::ofstream &out, uint16_t v) {
  const char b[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
  out.write(b, 2);
}
void put32(std::ofstream &out, uint32_t v) {
  for (int i = 0; i < 4; i++) out.put(static_cast<char>((v >> (8 * i)) & 0xff));
}
}  // namespace

VYN_Config game_config() { return cfg; }

int start_unpaced() {
  VYN_Config c = game_config();
  c.fps = 0;
  return VYN_Init(&c);
}

void capture_start() {
  std::fflush(stderr);
  sink = std::tmpfile();
  saved_fd = dup(2);
  dup2(fileno(sink), 2);
}

std::string capture_take() {
  std::fflush(stderr);
  dup2(saved_fd, 2);
  close(saved_fd);
  std::string text;
  std::rewind(sink);
  int c;
  while ((c = std::fgetc(sink)) != EOF) text.push_back(static_cast<char>(c));
  std::fclose(sink);
  sink = nullptr;
  return text;
}

// Window ids are not promised to start at 1: SDL 3 (under sdl2-compat)
// numbers its displays from the same counter.
SDL_Window *window() {
  for (Uint32 id = 1; id < 64; id++) {
    SDL_Window *w = SDL_GetWindowFromID(id);
    if (w != nullptr) return w;
  }
  return nullptr;
}

Uint32 window_id() { return SDL_GetWindowID(window()); }

SDL_Renderer *renderer() { return SDL_GetRenderer(window()); }

uint32_t pixel(int x, int y) {
  uint32_t value = 0;
  const SDL_Rect r = {x, y, 1, 1};
  SDL_RenderReadPixels(renderer(), &r, SDL_PIXELFORMAT_RGBA8888, &value, 4);
  return value;
}

std::string exe_dir() {
  char *base = SDL_GetBasePath();
  std::string dir = base != nullptr ? base : "./";
  SDL_free(base);
  return dir;
}

bool write_bmp(const std::string &path, int w, int h, const std::vector<uint32_t> &rgba) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  const uint32_t header = 14 + 108;  // file header + BITMAPV4HEADER
  const uint32_t size = static_cast<uint32_t>(w * h * 4);
  out.put('B');
  out.put('M');
  put32(out, header + size);
  put32(out, 0);
  put32(out, header);
  put32(out, 108);
  put32(out, static_cast<uint32_t>(w));
  put32(out, static_cast<uint32_t>(-h));  // top-down rows
  put16(out, 1);
  put16(out, 32);
  put32(out, 3);  // BI_BITFIELDS
  put32(out, size);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0x00ff0000);                      // red mask
  put32(out, 0x0000ff00);                      // green
  put32(out, 0x000000ff);                      // blue
  put32(out, 0xff000000);                      // alpha
  put32(out, 0x73524742);                      // 'sRGB'
  for (int i = 0; i < 12; i++) put32(out, 0);  // endpoints and gamma
  for (uint32_t p : rgba) {
    const uint32_t argb = (p & 0xff) << 24 | p >> 8;
    put32(out, argb);
  }
  return static_cast<bool>(out);
}

std::string put_bmp(const std::string &name, int w, int h, const std::vector<uint32_t> &rgba) {
  return write_bmp(exe_dir() + name, w, h, rgba) ? name : std::string();
}

std::string put_solid_bmp(const std::string &name, int w, int h, uint32_t rgba) {
  return put_bmp(name, w, h, std::vector<uint32_t>(static_cast<size_t>(w) * static_cast<size_t>(h), rgba));
}

void push_key(SDL_Scancode key, bool down, bool repeat) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.scancode = key;
  e.key.keysym.sym = SDL_GetKeyFromScancode(key);
  e.key.windowID = window_id();
  SDL_PushEvent(&e);
}

void push_mouse_button(uint8_t button, bool down, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = button;
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  e.button.windowID = window_id();
  SDL_PushEvent(&e);
}

void push_mouse_motion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.windowID = window_id();
  SDL_PushEvent(&e);
}

bool poll_event(VYN_Event *e) { return VYN_PollEvent(e) || VYN_PollEvent(e); }

void cycle_events() {
  VYN_CycleEvents();
  VYN_CycleEvents();
}

bool sdl2_compat() {
  void *sdl3 = dlopen("libSDL3.so.0", RTLD_LAZY | RTLD_NOLOAD);
  if (sdl3 == nullptr) return false;
  dlclose(sdl3);
  return true;
}

SDL_Joystick *plug_pad() {
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return nullptr;
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "virtual pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  return index < 0 ? nullptr : SDL_JoystickOpen(index);
}

void unplug_pad(SDL_Joystick *pad) {
  const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
  for (int i = 0; i < SDL_NumJoysticks(); i++) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_JoystickClose(pad);
}

}  // namespace harness
