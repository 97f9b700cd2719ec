// Engine core: start-up and shutdown, frame pacing, the letterbox, the
// draw colour and fullscreen.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "internal.h"

namespace vyn {

State state;

int _sdl_fail() {
  std::fprintf(stderr, "%s\n", SDL_GetError());
  return -1;
}

}  // namespace vyn

using namespace vyn;

namespace {

State::Core &core = state.core;

// Start-up's failures end their line, as every other failure's does: the
// player reads them in a terminal, a message box or on the web page.
int _init_fail() { return _sdl_fail(); }

// The horizontal stretch of canvas pixels for a wanted display aspect.
// The canvas's own shape is taken in double precision: in single
// precision a canvas already at its aspect (640 x 480 at 4:3) came out a
// hair under 1 and lost a unit of width.
double _stretch(const VYN_Config &c) {
  if (c.ratio <= 0) return 1.0;
  return c.ratio / (static_cast<double>(c.display_width) / static_cast<double>(c.display_height));
}

// Width of the view in stretched units, with the stretch already applied
// to c; 0 when it does not fit an int.
int _view_width(const VYN_Config &c) {
  const double vw = static_cast<double>(c.display_width) * c.ratio;
  if (!(vw >= 1.0 && vw < 2147483648.0)) return 0;
  return static_cast<int>(vw);
}

// Sleeps to the frame's deadline; a late frame restarts the cadence from
// now rather than rushing to catch up.
void _pace() {
  if (core.config.fps == 0) return;
  const uint64_t now = SDL_GetTicks64();
  if (now < core.next_time) {
    SDL_Delay(static_cast<Uint32>(core.next_time - now));
  } else {
    core.next_time = now;
  }
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

// Clamps to int so positions far off the window stay defined.
int _to_int(double v) {
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// A window position in points to output pixels, truncated toward zero
// like the rest of the transform; exact when a point is one pixel.
int64_t _to_pixels(int v, double density) { return static_cast<int64_t>(static_cast<double>(v) * density); }

// The one window, hidden until it has its renderer.
SDL_Window *_open_window() {
  return SDL_CreateWindow(core.config.title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, _view_width(core.config),
                          static_cast<int>(core.config.display_height),
                          SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
}

// Without OpenGL (a virtual machine, a remote desktop, a browser with
// WebGL off, no screen at all) SDL has no accelerated renderer; its
// software one draws the same frames on the processor, a small job for a
// 256 x 256 canvas. Every failed OpenGL attempt recreates the window, and
// one that cannot load OpenGL at all leaves it without a native window,
// so the software renderer gets a fresh one: still hidden, the player
// sees one window open. Null with SDL's error when that fails too.
SDL_Renderer *_software_renderer() {
  SDL_DestroyWindow(core.window);
  core.window = _open_window();
  if (core.window == nullptr) return nullptr;
  return SDL_CreateRenderer(core.window, -1, SDL_RENDERER_SOFTWARE);
}

// True on the software renderer unless the player asked for it by name.
// SDL 3 (under sdl2-compat) takes it by itself where SDL 2 fails above.
bool _fell_back(const SDL_RendererInfo &info) {
  if ((info.flags & SDL_RENDERER_SOFTWARE) == 0) return false;
  const char *asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  return asked == nullptr || SDL_strcasecmp(asked, "software") != 0;
}

}  // namespace

// ---- Core ---------------------------------------------------------------

int VYN_Init(const VYN_Config *cfg) {
  if (cfg == nullptr) {
    std::fputs("config is NULL\n", stderr);
    return -1;
  }
  core.config = *cfg;
  if (core.config.display_width == 0) {
    std::fputs("display_width can't be 0\n", stderr);
    return -1;
  }
  if (core.config.display_height == 0) {
    std::fputs("display_height can't be 0\n", stderr);
    return -1;
  }
  if (core.config.title == nullptr) {
    std::fputs("title is NULL, defaulting to 'VYN'\n", stderr);
    core.config.title = "VYN";
  }
  if (core.config.tile_size == 0) core.config.tile_size = 1;
  core.config.ratio = _stretch(core.config);
  // The letterbox divides by the view width every frame.
  if (_view_width(core.config) == 0) {
    std::fputs("display_width * ratio must be at least 1\n", stderr);
    return -1;
  }

  // sdl2-compat over SDL 3 sizes Wayland windows in the display's pixels
  // for programs unaware of high density, which on a doubled desktop
  // opens the window at half its size. This one letterboxes in pixels and
  // maps the mouse by the density, so it asks for points as every other
  // SDL gives them (they ignore the hint). sdl2-compat sets its own value
  // when SDL first starts, hence the empty SDL_Init before; a player's
  // environment variable still wins.
  if (SDL_Init(0) < 0) return _init_fail();
  SDL_SetHint("SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY", "0");
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
  // Controllers are optional: without them the keyboard alone plays.
  // Those present at start-up, and any plugged in later, arrive as events.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) < 0) {
    std::fprintf(stderr, "game controllers unavailable: %s\n", SDL_GetError());
  }
  core.basepath = SDL_GetBasePath();
  if (core.basepath == nullptr) return _init_fail();

  // Shown only once it has its renderer: an OpenGL renderer makes SDL
  // replace a window created without OpenGL, and the player would see the
  // first one open and close.
  core.window = _open_window();
  if (core.window == nullptr) return _init_fail();
  core.renderer = SDL_CreateRenderer(core.window, -1, SDL_RENDERER_ACCELERATED);
  if (core.renderer == nullptr) core.renderer = _software_renderer();
  if (core.renderer == nullptr) return _init_fail();
  SDL_ShowWindow(core.window);
  // With an OpenGL renderer the frame can be rendered ahead of its present.
  SDL_RendererInfo info{};
  const bool known = SDL_GetRendererInfo(core.renderer, &info) == 0;
  if (known && std::strcmp(info.name, "opengl") == 0) {
    core.gl_flush = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFlush"));
  }
  if (known && _fell_back(info)) std::fputs("no accelerated renderer; drawing with SDL's software renderer\n", stderr);
  core.target =
      SDL_CreateTexture(core.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                        static_cast<int>(core.config.display_width), static_cast<int>(core.config.display_height));
  if (core.target == nullptr) return _init_fail();
  // Never smaller than one view. Set only once the renderer exists: SDL
  // 2.26's OpenGL renderer replaces the X11 window and does not carry its
  // minimum size over.
  SDL_SetWindowMinimumSize(core.window, _view_width(core.config), static_cast<int>(core.config.display_height));

  if (_pictures_init() != 0) return -1;

  SDL_SetHint("SDL_RENDER_SCALE_QUALITY", nullptr);
  if (core.config.fps != 0) {
    core.min_dt = 1000 / core.config.fps;
    core.next_time = SDL_GetTicks64();
  }
  return 0;
}

// Only what start-up acquired goes; each handle is cleared as it is
// released, so nothing is left pointing at freed memory. Counters, the
// quit flag and the key map are the caller's to read afterwards.
void VYN_Quit() {
  _pictures_quit();
  if (core.still != nullptr) SDL_DestroyTexture(core.still);
  core.still = nullptr;
  if (core.target != nullptr) SDL_DestroyTexture(core.target);
  core.target = nullptr;
  if (core.renderer != nullptr) SDL_DestroyRenderer(core.renderer);
  core.renderer = nullptr;
  core.gl_flush = nullptr;  // belonged to the renderer's context
  if (core.window != nullptr) SDL_DestroyWindow(core.window);
  core.window = nullptr;
  if (core.basepath != nullptr) SDL_free(core.basepath);
  core.basepath = nullptr;
  _input_quit();
  SDL_Quit();
}

void VYN_ViewSize(const VYN_Config *config, int *w, int *h) {
  int vw = 0, vh = 0;
  if (config != nullptr && config->display_width != 0 && config->display_height != 0) {
    VYN_Config c = *config;
    c.ratio = _stretch(c);
    vw = _view_width(c);
    if (vw != 0) vh = static_cast<int>(c.display_height);
  }
  if (w != nullptr) *w = vw;
  if (h != nullptr) *h = vh;
}

int VYN_DrawBegin() {
  core.showing_still = false;
  if (core.config.fps != 0) core.next_time += core.min_dt;
  if (SDL_SetRenderTarget(core.renderer, core.target) < 0) return _sdl_fail();
  SDL_SetRenderDrawColor(core.renderer, 0, 0, 0, 255);
  SDL_RenderClear(core.renderer);
  return 0;
}

// The still picture is as wide as the view, so the letterbox's copy to
// the view's place in the window is a whole-number enlargement of it,
// pixel for pixel. It takes no part in the pacing: the game's first frame
// after it starts the cadence afresh, as a late frame does.
int VYN_DrawBeginStill() {
  if (core.still == nullptr) {
    core.still = SDL_CreateTexture(core.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                   _view_width(core.config), static_cast<int>(core.config.display_height));
    if (core.still == nullptr) return _sdl_fail();
  }
  if (SDL_SetRenderTarget(core.renderer, core.still) < 0) return _sdl_fail();
  core.showing_still = true;
  SDL_SetRenderDrawColor(core.renderer, 0, 0, 0, 255);
  SDL_RenderClear(core.renderer);
  return 0;
}

int VYN_DrawEnd() {
  if (SDL_SetRenderTarget(core.renderer, nullptr) != 0) return _sdl_fail();
  VYN_DrawSetColor(0, 0, 0, 1);
  // From here on every way out sleeps to the deadline first: a failure
  // that repeats must not turn the loop into a spin, nor leave the next
  // good frame to sleep off the deadlines piled up meanwhile.
  if (VYN_DrawClear() != 0) {
    std::fputs("VYN_DrawClear failed\n", stderr);
    _pace();
    return -1;
  }

  // The scale is chosen in the device's pixels, so a high-density screen
  // shows the canvas as large and as sharp as its pixels allow instead of
  // having the system blur a small one up. The window's size in points is
  // only needed to map the mouse, which SDL reports in points.
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(core.renderer, &w, &h) != 0) {
    _sdl_fail();
    _pace();
    return -1;
  }
  int points_w = 0, points_h = 0;
  SDL_GetWindowSize(core.window, &points_w, &points_h);
  core.density_x = points_w > 0 ? static_cast<double>(w) / points_w : 1.0;
  core.density_y = points_h > 0 ? static_cast<double>(h) / points_h : 1.0;
  const int vw = _view_width(core.config);
  const int vh = static_cast<int>(core.config.display_height);
  const int sx = w / vw;
  const int sy = h / vh;
  core.scale = static_cast<float>(sx < sy ? sx : sy);
  // An output smaller than one view anyway (no window manager to hold
  // the minimum size, a smaller display) shows all of it scaled down
  // rather than nothing.
  if (core.scale == 0.0f) {
    const float fx = static_cast<float>(w) / static_cast<float>(vw);
    const float fy = static_cast<float>(h) / static_cast<float>(vh);
    core.scale = fx < fy ? fx : fy;
  }
  core.off_x = static_cast<int32_t>((static_cast<float>(w) - core.scale * static_cast<float>(vw)) / 2.0f);
  core.off_y = static_cast<int32_t>((static_cast<float>(h) - core.scale * static_cast<float>(vh)) / 2.0f);

  // The upscale is queued and handed to the driver before the sleep, so it
  // renders while we wait and the present lands on the deadline.
  const SDL_Rect dst = {core.off_x, core.off_y, static_cast<int>(core.scale * static_cast<float>(vw)),
                        static_cast<int>(core.scale * static_cast<float>(vh))};
  SDL_Texture *shown = core.showing_still ? core.still : core.target;
  const bool copied = SDL_RenderCopyEx(core.renderer, shown, nullptr, &dst, 0, nullptr, SDL_FLIP_NONE) >= 0;
  if (!copied) {
    _sdl_fail();
  } else {
    SDL_RenderFlush(core.renderer);
    if (core.gl_flush != nullptr) core.gl_flush();
  }

  _pace();
  if (!copied) return -1;
  SDL_RenderPresent(core.renderer);
  if (!core.showing_still) core.tick += 1;
  return 0;
}

int VYN_DrawSetColor(float r, float g, float b, float a) {
  const Color c = {_channel(r), _channel(g), _channel(b), _channel(a)};
  if (SDL_SetRenderDrawColor(core.renderer, static_cast<Uint8>(c.r), static_cast<Uint8>(c.g), static_cast<Uint8>(c.b),
                             static_cast<Uint8>(c.a)) < 0) {
    return _sdl_fail();
  }
  core.color = c;
  return 0;
}

int VYN_DrawClear() {
  if (SDL_RenderClear(core.renderer) < 0) return _sdl_fail();
  return 0;
}

void VYN_ToggleFullscreen() {
  // The window's own state rather than a copy of ours: a browser leaves
  // fullscreen on Esc, and a window manager may too, without asking.
  const bool on = (SDL_GetWindowFlags(core.window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(core.window, on ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

uint64_t VYN_GetTick() { return core.tick; }

void VYN_ScreenTransform(int *x, int *y) {
  if (core.scale == 0) return;
  if (x != nullptr) *x = _to_int(static_cast<float>(_to_pixels(*x, core.density_x) - core.off_x) / core.scale);
  if (y != nullptr) *y = _to_int(static_cast<float>(_to_pixels(*y, core.density_y) - core.off_y) / core.scale);
}
