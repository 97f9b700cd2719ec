#include "vyn.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// ---- State --------------------------------------------------------------

// Everything the engine keeps between calls. VYN_Quit returns each of
// these to the value it starts with here, so the engine can be started
// again as if for the first time.

// Window and renderer.
VYN_Config config{};
char *basepath = nullptr;  // executable's directory, owned by SDL
SDL_Window *window = nullptr;
SDL_Renderer *renderer = nullptr;
SDL_Texture *target = nullptr;  // the canvas
SDL_Point *points = nullptr;    // scratch buffer, one point per canvas pixel
void (*gl_flush)() = nullptr;   // glFlush of an OpenGL renderer, else null

// Pacing and presentation.
uint64_t next_time = 0;  // deadline of the current frame, ms
uint64_t min_dt = 0;     // frame period, ms
uint64_t tick = 0;       // frames presented
bool should_quit = false;
int32_t off_x = 0, off_y = 0;  // scaled canvas inside the window, in output pixels
float scale = 1.0f;            // whole-number presentation scale, output pixels per view unit
// Output pixels per window point on each axis: above 1 on high-density
// screens, where SDL reports the mouse in points but draws in pixels.
double density_x = 1.0, density_y = 1.0;

// Colour: draw colour and modulation of every image drawn.
struct Color {
  int32_t r, g, b, a;
};
Color color{0, 0, 0, 0};

// Input.
constexpr std::array<int32_t, VYN_KEY_BUTTONS> default_map = {
    SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_SPACE, SDL_SCANCODE_C,
};
std::array<int32_t, VYN_KEY_BUTTONS> map = default_map;  // scancode of each keyboard button
std::array<uint8_t, VYN_BUTTONS> input{};                // 1 while a key or mouse button holds it
int32_t mouse_x = 0, mouse_y = 0;

// Game controllers, the second source of the keyboard's buttons. A slot
// with a null controller is free.
struct Pad {
  SDL_GameController *controller;
  SDL_JoystickID id;
  std::array<uint8_t, VYN_KEY_BUTTONS> pressed;  // 1 while its d-pad or face button is down
  int8_t stick_x, stick_y;                       // left stick: -1, 0 or 1 on each axis
};
constexpr size_t max_pads = 8;
std::array<Pad, max_pads> pads{};
// Button events still to be returned: one controller event can press or
// release several buttons at once.
std::array<VYN_Event, VYN_KEY_BUTTONS> pending{};
size_t pending_count = 0, pending_next = 0;

// Images.
std::array<VYN_Image, VYN_MAX_IMAGES> images{};

// ---- Private helpers ----------------------------------------------------

// Half the side of a square centred on the origin that holds every render
// target. SDL's own arithmetic overflows or allocates without bound for
// shapes and copies far beyond it, so those are cut or dropped first;
// nothing inside it changes.
constexpr int64_t reach = 65536;

// SDL's error as one line; every SDL failure outside start-up reads so.
int _sdl_fail() {
  std::fprintf(stderr, "%s\n", SDL_GetError());
  return -1;
}

// Start-up writes SDL's text bare, as it comes.
int _init_fail() {
  std::fputs(SDL_GetError(), stderr);
  return -1;
}

// Width of the view in stretched units; 0 when it does not fit an int.
int _view_width() {
  const double vw = static_cast<double>(config.display_width) * config.ratio;
  if (!(vw >= 1.0 && vw < 2147483648.0)) return 0;
  return static_cast<int>(vw);
}

// One colour channel: 255 x value truncated to 64 bits, low byte kept, so
// values outside 0..1 wrap. NaN counts as 0; values too large for 64 bits
// saturate instead of being undefined.
int32_t _channel(float value) {
  const float v = 255.0f * value;
  int64_t n = 0;
  if (std::isnan(v)) {
    n = 0;
  } else if (v >= 9223372036854775808.0f) {
    n = std::numeric_limits<int64_t>::max();
  } else if (v <= -9223372036854775808.0f) {
    n = std::numeric_limits<int64_t>::min();
  } else {
    n = static_cast<int64_t>(v);
  }
  return static_cast<int32_t>(static_cast<uint64_t>(n) & 0xffu);
}

// True when SDL settled on a driver without a screen although nobody asked
// for one: the game would otherwise run invisibly.
bool _headless_fallback() {
  const char *driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return false;
  const char *asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return asked == nullptr || std::strstr(asked, driver) == nullptr;
}

// Stick travel past which a direction presses, and below which it lets go
// again: the gap keeps a stick resting near the line from flickering.
constexpr int stick_press = 16384;
constexpr int stick_release = 8192;

int8_t _stick(int8_t held, int value) {
  if (value >= stick_press) return 1;
  if (value <= -stick_press) return -1;
  if ((held > 0 && value >= stick_release) || (held < 0 && value <= -stick_release)) return held;
  return 0;
}

bool _pad_holds(const Pad &p, unsigned button) {
  if (p.controller == nullptr) return false;
  switch (button) {
    case VYN_BTN_LEFT:
      return p.pressed[button] != 0 || p.stick_x < 0;
    case VYN_BTN_RIGHT:
      return p.pressed[button] != 0 || p.stick_x > 0;
    case VYN_BTN_UP:
      return p.pressed[button] != 0 || p.stick_y < 0;
    case VYN_BTN_DOWN:
      return p.pressed[button] != 0 || p.stick_y > 0;
    default:
      return button < VYN_KEY_BUTTONS && p.pressed[button] != 0;
  }
}

bool _any_pad_holds(unsigned button) {
  for (const Pad &p : pads) {
    if (_pad_holds(p, button)) return true;
  }
  return false;
}

// Held by any source: a key, a mouse button, any controller.
bool _held(unsigned button) { return input[button] != 0 || _any_pad_holds(button); }

std::array<bool, VYN_KEY_BUTTONS> _held_keys() {
  std::array<bool, VYN_KEY_BUTTONS> held{};
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) held[b] = _held(b);
  return held;
}

// The next queued event into e's type and button; false when none is left.
bool _pop_pending(VYN_Event *e) {
  if (pending_next == pending_count) {
    pending_next = pending_count = 0;
    return false;
  }
  e->type = pending[pending_next].type;
  e->button = pending[pending_next].button;
  pending_next++;
  return true;
}

// Queues an event for every keyboard button whose held state differs from
// before, in button order, and writes the first of them to e. False when
// nothing changed. Only called with the queue empty.
bool _report_changes(const std::array<bool, VYN_KEY_BUTTONS> &before, VYN_Event *e) {
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) {
    const bool now = _held(b);
    if (now == before[b]) continue;
    VYN_Event &q = pending[pending_count++];
    q.type = now ? VYN_BUTTON_DOWN : VYN_BUTTON_UP;
    q.button = b;
  }
  return _pop_pending(e);
}

Pad *_pad(SDL_JoystickID id) {
  for (Pad &p : pads) {
    if (p.controller != nullptr && p.id == id) return &p;
  }
  return nullptr;
}

// The pad whose input this is, while it is still plugged in. Input a pad
// left queued when it was pulled out (and SDL 3's own recentring of it on
// the way out) counts for nothing: its removal releases what it held.
Pad *_pad_attached(SDL_JoystickID id) {
  Pad *p = _pad(id);
  if (p == nullptr || SDL_GameControllerGetAttached(p->controller) == SDL_FALSE) return nullptr;
  return p;
}

// Opens the controller at a device index unless it is open already.
void _pad_open(int index) {
  SDL_GameController *controller = SDL_GameControllerOpen(index);
  if (controller == nullptr) {
    _sdl_fail();
    return;
  }
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  Pad *slot = nullptr;
  for (Pad &p : pads) {
    if (p.controller != nullptr && p.id == id) slot = &p;
  }
  if (slot != nullptr) {
    SDL_GameControllerClose(controller);  // SDL counted a second open
    return;
  }
  for (Pad &p : pads) {
    if (p.controller == nullptr && slot == nullptr) slot = &p;
  }
  if (slot == nullptr) {
    std::fprintf(stderr, "too many game controllers, ignoring %s\n", SDL_GameControllerName(controller));
    SDL_GameControllerClose(controller);
    return;
  }
  *slot = Pad{controller, id, {}, 0, 0};
}

// The keyboard button a controller button stands for, or -1.
int _pad_button(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return VYN_BTN_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return VYN_BTN_RIGHT;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return VYN_BTN_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return VYN_BTN_DOWN;
    case SDL_CONTROLLER_BUTTON_A:
      return VYN_BTN_ACTION;
    case SDL_CONTROLLER_BUTTON_B:
      return VYN_BTN_ALT;
    default:
      return -1;
  }
}

int _scode_to_button(SDL_Scancode key) {
  for (unsigned i = 0; i < VYN_KEY_BUTTONS; i++) {
    if (map[i] == key) return static_cast<int>(i);
  }
  return -1;
}

// Clamps to int so positions far off the window stay defined.
int _to_int(double v) {
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// A window position in points to output pixels, truncated toward zero
// like the rest of the transform; exact when a point is one pixel.
int64_t _to_pixels(int v, double density) { return static_cast<int64_t>(static_cast<double>(v) * density); }

// Shared checks of the image draws: the id, then the modulation.
VYN_Image *_image_lookup(int id, const char *negative_message) {
  if (id < 0) {
    std::fputs(negative_message, stderr);
    return nullptr;
  }
  if (id >= VYN_MAX_IMAGES || images[id].texture == nullptr) {
    std::fprintf(stderr, "no image with id %d\n", id);
    return nullptr;
  }
  return &images[id];
}

int _image_modulate(const VYN_Image *img) {
  if (SDL_SetTextureColorMod(img->texture, static_cast<Uint8>(color.r), static_cast<Uint8>(color.g),
                             static_cast<Uint8>(color.b)) < 0) {
    return _sdl_fail();
  }
  SDL_SetTextureAlphaMod(img->texture, static_cast<Uint8>(color.a));
  return 0;
}

// SDL's loader allocates and clears whatever size a header claims before
// reading a pixel, so a damaged picture could take gigabytes. Pictures
// beyond the usual largest texture are refused up front; anything else,
// including headers too short to judge, is left to SDL.
bool _bmp_too_large(SDL_RWops *rw) {
  constexpr int64_t max_side = 16384;
  char magic[2] = {};
  int64_t w = 0, h = 0;
  if (SDL_RWread(rw, magic, 2, 1) == 1 && magic[0] == 'B' && magic[1] == 'M' && SDL_RWseek(rw, 14, RW_SEEK_SET) == 14) {
    // The old 12-byte header has 16-bit sizes, the others 32-bit signed
    // ones (a negative height means rows run top-down). A short read gives
    // zeros, which SDL then reports itself.
    if (SDL_ReadLE32(rw) == 12) {
      w = SDL_ReadLE16(rw);
      h = SDL_ReadLE16(rw);
    } else {
      w = static_cast<int32_t>(SDL_ReadLE32(rw));
      h = static_cast<int32_t>(SDL_ReadLE32(rw));
    }
  }
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  if (w <= max_side && h <= max_side && h >= -max_side) return false;
  SDL_SetError("picture too large (%lld x %lld)", static_cast<long long>(w), static_cast<long long>(h));
  return true;
}

// A BMP file as a surface, or null with SDL's error set. The file is opened
// first so a missing one reports why it could not be opened, not the
// loader's complaint about a null stream.
SDL_Surface *_load_bmp(const char *full) {
  SDL_RWops *rw = SDL_RWFromFile(full, "rb");
  if (rw == nullptr) return nullptr;
  if (_bmp_too_large(rw)) {
    SDL_RWclose(rw);
    return nullptr;
  }
  SDL_ClearError();
  SDL_Surface *surface = SDL_LoadBMP_RW(rw, 1);
  // SDL 3's loader (under sdl2-compat) gives no reason for a file that
  // ends early; SDL 2's words for it are used then.
  if (surface == nullptr && *SDL_GetError() == '\0') SDL_SetError("Error reading from datastream");
  return surface;
}

// SDL plots a line point by point into a buffer as long as the whole line,
// so a line between far-off coordinates would cost gigabytes. Lines that
// leave a square far larger than any render target are cut at its edges
// (Liang-Barsky); everything else reaches SDL untouched. False when
// nothing of the line is inside.
bool _clip_line(int &x0, int &y0, int &x1, int &y1) {
  if (std::abs(static_cast<double>(x0)) <= reach && std::abs(static_cast<double>(y0)) <= reach &&
      std::abs(static_cast<double>(x1)) <= reach && std::abs(static_cast<double>(y1)) <= reach) {
    return true;
  }
  const double ax = x0, ay = y0, dx = static_cast<double>(x1) - ax, dy = static_cast<double>(y1) - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax + reach, reach - ax, ay + reach, reach - ay};
  double t0 = 0.0, t1 = 1.0;
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  x0 = static_cast<int>(std::lround(ax + t0 * dx));
  y0 = static_cast<int>(std::lround(ay + t0 * dy));
  x1 = static_cast<int>(std::lround(ax + t1 * dx));
  y1 = static_cast<int>(std::lround(ay + t1 * dy));
  return true;
}

// A double that can be truncated to int without leaving its range.
bool _fits_int(double v) { return v > -2147483649.0 && v < 2147483648.0; }

// True when a copy to dst, turned any way about its centre, lands wholly
// outside the square every target fits in: SDL's rotation overflows on
// such positions, and there is nothing to see anyway.
bool _far_away(const SDL_Rect &dst) {
  const double cx = dst.x + dst.w / 2.0;
  const double cy = dst.y + dst.h / 2.0;
  const double radius = std::hypot(static_cast<double>(dst.w), static_cast<double>(dst.h)) / 2.0;
  const auto r = static_cast<double>(reach);
  return cx + radius < -r || cx - radius > r || cy + radius < -r || cy - radius > r;
}

}  // namespace

// ---- Core ---------------------------------------------------------------

int VYN_Init(const VYN_Config *cfg) {
  if (cfg == nullptr) {
    std::fputs("config is NULL\n", stderr);
    return -1;
  }
  config = *cfg;
  if (config.display_width == 0) {
    std::fputs("display_width can't be 0\n", stderr);
    return -1;
  }
  if (config.display_height == 0) {
    std::fputs("display_height can't be 0\n", stderr);
    return -1;
  }
  if (config.title == nullptr) {
    std::fputs("title is NULL, defaulting to 'VYN'\n", stderr);
    config.title = "VYN";
  }
  if (config.tile_size == 0) config.tile_size = 1;
  if (config.ratio <= 0) {
    config.ratio = 1.0;
  } else {
    const float q = static_cast<float>(config.display_width) / static_cast<float>(config.display_height);
    config.ratio = config.ratio / static_cast<double>(q);
  }
  // The letterbox divides by the view width every frame.
  if (_view_width() == 0) {
    std::fputs("display_width * ratio must be at least 1\n", stderr);
    return -1;
  }

  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    // SDL 3 (under sdl2-compat) has no headless driver to fall back on
    // unless asked: with no screen, its start-up itself fails.
    if (SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr) {
      std::array<char, 256> why{};
      SDL_strlcpy(why.data(), SDL_GetError(), why.size());
      SDL_SetError("no display found (SDL: %s); set DISPLAY or WAYLAND_DISPLAY", why.data());
    }
    return _init_fail();
  }
  if (_headless_fallback()) {
    SDL_SetError("no display found (SDL fell back to its '%s' video driver); set DISPLAY or WAYLAND_DISPLAY",
                 SDL_GetCurrentVideoDriver());
    return _init_fail();
  }
  // Controllers are optional: without them the game plays as before.
  // Those present now, and any plugged in later, arrive as events.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) < 0) {
    std::fprintf(stderr, "game controllers unavailable: %s\n", SDL_GetError());
  }
  basepath = SDL_GetBasePath();
  if (basepath == nullptr) return _init_fail();

  // Shown only once it has its renderer: an OpenGL renderer makes SDL
  // replace a window created without OpenGL, and the player would see the
  // first one open and close.
  window = SDL_CreateWindow(config.title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, _view_width(),
                            static_cast<int>(config.display_height),
                            SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window == nullptr) return _init_fail();
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
  if (renderer == nullptr) return _init_fail();
  SDL_ShowWindow(window);
  // With an OpenGL renderer the frame can be rendered ahead of its present.
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) == 0 && std::strcmp(info.name, "opengl") == 0) {
    gl_flush = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFlush"));
  }
  target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                             static_cast<int>(config.display_width), static_cast<int>(config.display_height));
  if (target == nullptr) return _init_fail();

  // 64-bit count: a large canvas must not wrap to a small buffer.
  const uint64_t count = static_cast<uint64_t>(config.display_width) * config.display_height;
  if (count <= SIZE_MAX / sizeof(SDL_Point)) {
    points = static_cast<SDL_Point *>(std::malloc(static_cast<size_t>(count) * sizeof(SDL_Point)));
  }
  if (points == nullptr) {
    std::fputs("malloc failed\n", stderr);
    return -1;
  }

  SDL_SetHint("SDL_RENDER_SCALE_QUALITY", nullptr);
  if (config.fps != 0) {
    min_dt = 1000 / config.fps;
    next_time = SDL_GetTicks64();
  }
  return 0;
}

void VYN_Quit() {
  for (int i = 0; i < VYN_MAX_IMAGES; i++) {
    if (images[i].texture == nullptr) continue;
    SDL_DestroyTexture(images[i].texture);
    images[i] = VYN_Image{};
    std::fprintf(stderr, "destroyed image %d\n", i);
  }
  std::free(points);
  points = nullptr;
  if (target != nullptr) SDL_DestroyTexture(target);
  target = nullptr;
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  renderer = nullptr;
  if (window != nullptr) SDL_DestroyWindow(window);
  window = nullptr;
  gl_flush = nullptr;
  if (basepath != nullptr) SDL_free(basepath);
  basepath = nullptr;
  for (Pad &p : pads) {
    if (p.controller != nullptr) SDL_GameControllerClose(p.controller);
  }
  SDL_Quit();

  // Everything else back to its start value.
  config = VYN_Config{};
  next_time = 0;
  min_dt = 0;
  tick = 0;
  should_quit = false;
  off_x = 0;
  off_y = 0;
  scale = 1.0f;
  density_x = density_y = 1.0;
  color = Color{0, 0, 0, 0};
  map = default_map;
  input = {};
  mouse_x = 0;
  mouse_y = 0;
  pads = {};
  pending_count = pending_next = 0;
}

bool VYN_ShouldQuit() { return should_quit; }

int VYN_DrawBegin() {
  if (config.fps != 0) next_time += min_dt;
  if (SDL_SetRenderTarget(renderer, target) < 0) return _sdl_fail();
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  return 0;
}

int VYN_DrawEnd() {
  if (SDL_SetRenderTarget(renderer, nullptr) != 0) return _sdl_fail();
  VYN_DrawSetColor(0, 0, 0, 1);
  if (VYN_DrawClear() != 0) {
    std::fputs("VYN_DrawClear failed\n", stderr);
    return -1;
  }

  // The scale is chosen in the device's pixels, so a high-density screen
  // shows the canvas as large and as sharp as its pixels allow instead of
  // having the system blur a small one up. The window's size in points is
  // only needed to map the mouse, which SDL reports in points.
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(renderer, &w, &h) != 0) return _sdl_fail();
  int points_w = 0, points_h = 0;
  SDL_GetWindowSize(window, &points_w, &points_h);
  density_x = points_w > 0 ? static_cast<double>(w) / points_w : 1.0;
  density_y = points_h > 0 ? static_cast<double>(h) / points_h : 1.0;
  const int vw = _view_width();
  const int vh = static_cast<int>(config.display_height);
  const int sx = w / vw;
  const int sy = h / vh;
  scale = static_cast<float>(sx < sy ? sx : sy);
  off_x = static_cast<int32_t>((static_cast<float>(w) - scale * static_cast<float>(vw)) / 2.0f);
  off_y = static_cast<int32_t>((static_cast<float>(h) - scale * static_cast<float>(vh)) / 2.0f);

  // The upscale is queued and handed to the driver before the sleep, so it
  // renders while we wait and the present lands on the deadline.
  const SDL_Rect dst = {off_x, off_y, static_cast<int>(scale * static_cast<float>(vw)),
                        static_cast<int>(scale * static_cast<float>(vh))};
  const bool copied = SDL_RenderCopyEx(renderer, target, nullptr, &dst, 0, nullptr, SDL_FLIP_NONE) >= 0;
  if (!copied) {
    _sdl_fail();
  } else {
    SDL_RenderFlush(renderer);
    if (gl_flush != nullptr) gl_flush();
  }

  // Sleep to the deadline, also after a failed copy so the loop stays
  // paced; a late frame restarts the cadence from now rather than rushing
  // to catch up.
  if (config.fps != 0) {
    const uint64_t now = SDL_GetTicks64();
    if (now < next_time) {
      SDL_Delay(static_cast<Uint32>(next_time - now));
    } else {
      next_time = now;
    }
  }
  if (!copied) return -1;
  SDL_RenderPresent(renderer);
  tick += 1;
  return 0;
}

int VYN_DrawSetColor(float r, float g, float b, float a) {
  const Color c = {_channel(r), _channel(g), _channel(b), _channel(a)};
  if (SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c.r), static_cast<Uint8>(c.g), static_cast<Uint8>(c.b),
                             static_cast<Uint8>(c.a)) < 0) {
    return _sdl_fail();
  }
  color = c;
  return 0;
}

int VYN_DrawClear() {
  if (SDL_RenderClear(renderer) < 0) return _sdl_fail();
  return 0;
}

void VYN_ToggleFullscreen() {
  // The window's own state rather than a copy of ours: a browser leaves
  // fullscreen on Esc, and a window manager may too, without asking.
  const bool on = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(window, on ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

uint64_t VYN_GetTick() { return tick; }

void VYN_ScreenTransform(int *x, int *y) {
  if (scale == 0) return;
  if (x != nullptr) *x = _to_int(static_cast<float>(_to_pixels(*x, density_x) - off_x) / scale);
  if (y != nullptr) *y = _to_int(static_cast<float>(_to_pixels(*y, density_y) - off_y) / scale);
}

// ---- Events and buttons -------------------------------------------------

bool VYN_PollEvent(VYN_Event *e) {
  if (e == nullptr) {
    std::fputs("e is NULL\n", stderr);
    return false;
  }
  if (_pop_pending(e)) return true;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    switch (ev.type) {
      case SDL_QUIT:
        e->type = VYN_QUIT;
        should_quit = true;
        return true;
      case SDL_KEYDOWN: {
        if (ev.key.keysym.scancode == SDL_SCANCODE_F11) VYN_ToggleFullscreen();
        const int b = _scode_to_button(ev.key.keysym.scancode);
        if (ev.key.repeat != 0 || b < 0) break;
        const bool pad = _any_pad_holds(static_cast<unsigned>(b));
        input[b] = 1;
        if (pad) break;  // already held
        e->type = VYN_BUTTON_DOWN;
        e->button = static_cast<uint32_t>(b);
        return true;
      }
      case SDL_KEYUP: {
        const int b = _scode_to_button(ev.key.keysym.scancode);
        if (b < 0) break;
        input[b] = 0;
        if (_any_pad_holds(static_cast<unsigned>(b))) break;  // still held
        e->type = VYN_BUTTON_UP;
        e->button = static_cast<uint32_t>(b);
        return true;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        e->type = down ? VYN_BUTTON_DOWN : VYN_BUTTON_UP;
        e->button = static_cast<uint32_t>(ev.button.button) + 5;
        e->x = ev.button.x;
        e->y = ev.button.y;
        VYN_ScreenTransform(&e->x, &e->y);
        mouse_x = e->x;
        mouse_y = e->y;
        // X1 and X2 move the pointer but are not buttons of ours.
        if (e->button > VYN_BTN_MOUSE_RIGHT) break;
        input[e->button] = down ? 1 : 0;
        return true;
      }
      case SDL_CONTROLLERDEVICEADDED:
        _pad_open(ev.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED: {
        Pad *p = _pad(ev.cdevice.which);
        if (p == nullptr) break;
        const auto before = _held_keys();
        SDL_GameControllerClose(p->controller);
        *p = Pad{};
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP: {
        Pad *p = _pad_attached(ev.cbutton.which);
        if (p == nullptr) break;
        const bool down = ev.type == SDL_CONTROLLERBUTTONDOWN;
        if (down && ev.cbutton.button == SDL_CONTROLLER_BUTTON_BACK) VYN_ToggleFullscreen();
        const int b = _pad_button(ev.cbutton.button);
        if (b < 0) break;
        const auto before = _held_keys();
        p->pressed[b] = down ? 1 : 0;
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_CONTROLLERAXISMOTION: {
        Pad *p = _pad_attached(ev.caxis.which);
        if (p == nullptr) break;
        int8_t *held = ev.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX   ? &p->stick_x
                       : ev.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY ? &p->stick_y
                                                                    : nullptr;
        if (held == nullptr) break;
        const auto before = _held_keys();
        *held = _stick(*held, ev.caxis.value);
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_MOUSEMOTION:
        e->type = VYN_MOUSE_MOTION;
        e->x = ev.motion.x;
        e->y = ev.motion.y;
        VYN_ScreenTransform(&e->x, &e->y);
        mouse_x = e->x;
        mouse_y = e->y;
        return true;
      case SDL_DROPFILE:
      case SDL_DROPTEXT:
        // Nothing is dropped on the game, but SDL hands each dropped
        // file's name over to us to free.
        SDL_free(ev.drop.file);
        break;
      default:
        break;
    }
  }
  return false;
}

void VYN_CycleEvents() {
  VYN_Event e{};
  while (VYN_PollEvent(&e)) {
  }
}

bool VYN_ButtonDown(unsigned button) {
  if (button < VYN_BUTTONS) return _held(button);
  std::fprintf(stderr, "%d button doesn't exist\n", static_cast<int>(button));
  return false;
}

void VYN_ButtonBind(unsigned button, SDL_Scancode key) {
  if (button >= VYN_KEY_BUTTONS) {
    std::fprintf(stderr, "button %u can't be remapped to key %s\n", button, SDL_GetScancodeName(key));
    return;
  }
  map[button] = key;
  std::fprintf(stderr, "bound key %s to button %u\n", SDL_GetScancodeName(key), button);
}

void VYN_MousePosition(int *x, int *y) {
  if (x != nullptr) *x = mouse_x;
  if (y != nullptr) *y = mouse_y;
}

// ---- Image registry -----------------------------------------------------

char *VYN_PathPrefix(const char *path) {
  if (path == nullptr) {
    std::fputs("path is NULL\n", stderr);
    return nullptr;
  }
  const size_t plen = std::strlen(path);
  if (basepath == nullptr) {
    std::fputs("basepath is NULL", stderr);
    char *copy = static_cast<char *>(std::malloc(plen + 1));
    if (copy != nullptr) std::memcpy(copy, path, plen + 1);
    return copy;
  }
  const size_t blen = std::strlen(basepath);
  char *full = static_cast<char *>(std::malloc(blen + plen + 1));
  if (full == nullptr) {
    std::fputs("malloc failed\n", stderr);
    return nullptr;
  }
  std::memcpy(full, basepath, blen);
  std::memcpy(full + blen, path, plen + 1);
  return full;
}

int VYN_ImageLoad(const char *path) {
  int slot = 0;
  while (slot < VYN_MAX_IMAGES && images[slot].texture != nullptr) slot++;
  if (slot == VYN_MAX_IMAGES) {
    std::fprintf(stderr, "reached image limit (%d)\n", VYN_MAX_IMAGES);
    return -1;
  }
  char *full = VYN_PathPrefix(path);
  if (full == nullptr) {
    std::fputs("VYN_PathPrefix failed\n", stderr);
    return -1;
  }
  SDL_Surface *surface = _load_bmp(full);
  std::free(full);
  if (surface == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path, SDL_GetError());
    return -1;
  }
  SDL_Texture *texture = SDL_CreateTextureFromSurface(renderer, surface);
  SDL_FreeSurface(surface);
  if (texture == nullptr) return _sdl_fail();

  VYN_Image &img = images[slot];
  img.texture = texture;
  if (SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND) < 0) return _sdl_fail();
  if (SDL_QueryTexture(texture, nullptr, nullptr, &img.width, &img.height) != 0) return _sdl_fail();
  return slot;
}

int VYN_WindowIcon(const char *path) {
  char *full = VYN_PathPrefix(path);
  if (full == nullptr) {
    std::fputs("VYN_PathPrefix failed\n", stderr);
    return -1;
  }
  SDL_Surface *icon = _load_bmp(full);
  std::free(full);
  if (icon != nullptr && window == nullptr) {
    SDL_FreeSurface(icon);
    icon = nullptr;
    SDL_SetError("no window");
  }
  if (icon == nullptr) {
    std::fprintf(stderr, "window icon %s: %s\n", path, SDL_GetError());
    return -1;
  }
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
  return 0;
}

// ---- Shape drawing ------------------------------------------------------

int VYN_DrawPoint(int x, int y) {
  if (SDL_RenderDrawPoint(renderer, x, y) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawPoints(const int *xs, const int *ys, int count) {
  const auto limit = static_cast<int>(config.display_width * config.display_height);
  if (count > limit) {
    std::fprintf(stderr, "%d > %u\n", count, static_cast<unsigned>(limit));
    return -1;
  }
  if (count > 0 && (xs == nullptr || ys == nullptr)) {
    std::fputs("xs or ys is NULL\n", stderr);
    return -1;
  }
  for (int i = 0; i < count; i++) points[i] = SDL_Point{xs[i], ys[i]};
  if (SDL_RenderDrawPoints(renderer, points, count) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawLine(int x0, int y0, int x1, int y1) {
  if (!_clip_line(x0, y0, x1, y1)) return 0;
  if (SDL_RenderDrawLine(renderer, x0, y0, x1, y1) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawRectangle(bool fill, int x, int y, int w, int h) {
  // SDL's rectangle code overflows (and writes out of bounds) when x + w or
  // y + h leaves the int range. A rectangle reaching beyond a square far
  // larger than any render target is cut to it; the cut edges stay
  // outside every target, so what is drawn does not change.
  const int64_t x0 = x, y0 = y, x1 = x0 + w, y1 = y0 + h;
  if (x0 < -reach || y0 < -reach || x1 > reach || y1 > reach) {
    const int64_t cx0 = std::max(x0, -reach), cy0 = std::max(y0, -reach);
    const int64_t cx1 = std::min(x1, reach), cy1 = std::min(y1, reach);
    if (w <= 0 || h <= 0 || cx1 <= cx0 || cy1 <= cy0) return 0;
    x = static_cast<int>(cx0);
    y = static_cast<int>(cy0);
    w = static_cast<int>(cx1 - cx0);
    h = static_cast<int>(cy1 - cy0);
  }
  const SDL_Rect r = {x, y, w, h};
  const int result = fill ? SDL_RenderFillRect(renderer, &r) : SDL_RenderDrawRect(renderer, &r);
  if (result != 0) return _sdl_fail();
  return 0;
}

// ---- Image drawing ------------------------------------------------------

int VYN_DrawImage(int id, int x, int y) {
  const VYN_Image *img = _image_lookup(id, "id is negative\n");
  if (img == nullptr || _image_modulate(img) != 0) return -1;
  const SDL_Rect dst = {x, y, img->width, img->height};
  if (_far_away(dst)) return 0;
  if (SDL_RenderCopy(renderer, img->texture, nullptr, &dst) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawImageEx(int id, int x, int y, const VYN_DrawExOptions *options) {
  const VYN_Image *img = _image_lookup(id, "id is negative\n");
  if (img == nullptr) return -1;
  if (options == nullptr) {
    std::fputs("options is NULL\n", stderr);
    return -1;
  }
  const VYN_DrawExOptions &o = *options;
  // A negative offset would reach outside the texture: refused, not guessed.
  if (o.src_x < 0 || o.src_y < 0) {
    std::fputs(o.src_x < 0 ? "src_x is negative\n" : "src_y is negative\n", stderr);
    return -1;
  }

  const int w = o.src_w > 0 ? o.src_w : img->width;
  const int h = o.src_h > 0 ? o.src_h : img->height;
  const double dw = w * o.scale_x;
  const double dh = h * o.scale_y;
  double dx = x;
  double dy = y;
  if (o.center) {
    dx = x - dw / 2.0;
    dy = y - dh / 2.0;
  }
  // NaN, infinities and sizes beyond an int have no rectangle to draw.
  if (!_fits_int(dw) || !_fits_int(dh) || !_fits_int(dx) || !_fits_int(dy) || !std::isfinite(o.angle)) {
    std::fputs("draw options out of range\n", stderr);
    return -1;
  }
  SDL_Rect src = {o.src_x, o.src_y, w, h};
  SDL_Rect dst = {static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dw), static_cast<int>(dh)};
  if (static_cast<int64_t>(o.src_x) + w > img->width) src.w = dst.w = img->width - o.src_x;
  if (static_cast<int64_t>(o.src_y) + h > img->height) src.h = dst.h = img->height - o.src_y;

  if (_image_modulate(img) != 0) return -1;
  if (_far_away(dst)) return 0;
  const int flip = (o.flip_h ? SDL_FLIP_HORIZONTAL : 0) | (o.flip_v ? SDL_FLIP_VERTICAL : 0);
  if (SDL_RenderCopyEx(renderer, img->texture, &src, &dst, o.angle, nullptr, static_cast<SDL_RendererFlip>(flip)) !=
      0) {
    return _sdl_fail();
  }
  return 0;
}

int VYN_DrawTile(int id, int tile, int x, int y, double angle, SDL_RendererFlip flip) {
  const VYN_Image *img = _image_lookup(id, "id is negative");
  if (img == nullptr) return -1;
  if (tile < 0) {
    std::fputs("tile is negative\n", stderr);
    return -1;
  }
  const uint32_t size = config.tile_size;
  const uint32_t columns = static_cast<uint32_t>(img->width) / size;
  const uint32_t rows = static_cast<uint32_t>(img->height) / size;
  if (static_cast<uint64_t>(tile) >= static_cast<uint64_t>(columns) * rows) {
    std::fputs("tile exceeds boundaries\n", stderr);
    return -1;
  }
  // SDL's rotation has no answer for an infinite or NaN angle and crashes.
  if (!std::isfinite(angle)) {
    std::fputs("angle out of range\n", stderr);
    return -1;
  }
  if (_image_modulate(img) != 0) return -1;
  const auto t = static_cast<uint32_t>(tile);
  const auto edge = static_cast<int>(size);
  const SDL_Rect src = {static_cast<int>(t % columns * size), static_cast<int>(t / columns * size), edge, edge};
  const SDL_Rect dst = {x, y, edge, edge};
  if (_far_away(dst)) return 0;
  if (SDL_RenderCopyEx(renderer, img->texture, &src, &dst, angle, nullptr, flip) < 0) return _sdl_fail();
  return 0;
}
