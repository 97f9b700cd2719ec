// Start-up refusals, the letterbox, colour bytes and frame pacing.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "harness.h"
#include "internal.h"

namespace {

// One frame whose canvas is filled with opaque red.
void red_frame() {
  ASSERT_EQ(VYN_DrawBegin(), 0);
  ASSERT_EQ(VYN_DrawSetColor(1, 0, 0, 1), 0);
  ASSERT_EQ(VYN_DrawClear(), 0);
  ASSERT_EQ(VYN_DrawEnd(), 0);
}

// The red canvas covers exactly w x h pixels from (x, y) of the window:
// its corners red, the pixels just past them black.
void expect_red_canvas(int x, int y, int w, int h) {
  const int right = x + w - 1, bottom = y + h - 1;
  EXPECT_EQ(harness::pixel(x, y), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(right, bottom), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(x - 1, y), 0x000000ffu);
  EXPECT_EQ(harness::pixel(x, y - 1), 0x000000ffu);
  EXPECT_EQ(harness::pixel(right + 1, bottom), 0x000000ffu);
  EXPECT_EQ(harness::pixel(right, bottom + 1), 0x000000ffu);
}

int transformed_x(int x) {
  VYN_ScreenTransform(&x, nullptr);
  return x;
}

struct Color {
  Uint8 r, g, b, a;
};

Color set_color(float r, float g, float b, float a) {
  EXPECT_EQ(VYN_DrawSetColor(r, g, b, a), 0);
  Color c{};
  SDL_GetRenderDrawColor(harness::renderer(), &c.r, &c.g, &c.b, &c.a);
  return c;
}

}  // namespace

// ---- Start-up ----------------------------------------------------------

// Shutdown releases what start-up acquired and clears each handle; what
// the caller may still report (frames shown, the quit request, the key
// map, held buttons) stays. A second start then opens a fresh window.
TEST(VynQuit, ReleasesEveryHandleAndKeepsCountersFlagsAndKeys) {
  ASSERT_EQ(harness::start_unpaced(), 0);
  const std::string picture = harness::put_solid_bmp("restart.bmp", 8, 8, 0xffffffff);
  ASSERT_EQ(VYN_ImageLoad(picture.c_str()), 0);
  harness::capture_start();
  VYN_ButtonBind(VYN_BTN_ACTION, SDL_SCANCODE_X);
  harness::capture_take();
  harness::push_key(SDL_SCANCODE_X, true);
  harness::push_key(SDL_SCANCODE_F11, true);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  harness::cycle_events();
  for (int i = 0; i < 3; i++) red_frame();
  ASSERT_TRUE(VYN_ButtonDown(VYN_BTN_ACTION) && VYN_ShouldQuit() && VYN_GetTick() == 3);
  harness::capture_start();
  VYN_Quit();
  EXPECT_EQ(harness::capture_take(), "destroyed image 0\n");

  EXPECT_EQ(VYN_GetTick(), 3u);
  EXPECT_TRUE(VYN_ShouldQuit());
  EXPECT_TRUE(VYN_ButtonDown(VYN_BTN_ACTION));
  const vyn::State &s = vyn::state;
  EXPECT_TRUE(s.core.window == nullptr && s.core.renderer == nullptr && s.core.target == nullptr);
  EXPECT_TRUE(s.core.basepath == nullptr && s.core.gl_flush == nullptr);
  EXPECT_TRUE(s.pictures.points == nullptr && s.pictures.images[0].texture == nullptr);

  ASSERT_EQ(harness::start_unpaced(), 0);
  EXPECT_EQ(SDL_GetWindowFlags(harness::window()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
  EXPECT_EQ(VYN_ImageLoad(picture.c_str()), 0) << "the registry's slots were emptied";
  // Still X's: its release lets go of the action button, Space does not
  // press it.
  harness::push_key(SDL_SCANCODE_X, false);
  harness::push_key(SDL_SCANCODE_SPACE, true);
  harness::cycle_events();
  EXPECT_FALSE(VYN_ButtonDown(VYN_BTN_ACTION));
  // F11 fullscreens the new window at the first press.
  harness::push_key(SDL_SCANCODE_F11, true);
  harness::cycle_events();
  EXPECT_NE(SDL_GetWindowFlags(harness::window()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
  harness::capture_start();
  VYN_Quit();
  harness::capture_take();
}

// Each refusal names its reason and leaves SDL unstarted; a width of 0 is
// reported before a height of 0, and a view narrower than one pixel (the
// letterbox would divide by zero) or a NaN ratio counts as too narrow.
TEST(VynInit, BadConfigsAreRefusedWithTheirReasonBeforeSdlStarts) {
  const VYN_Config game = harness::game_config();
  VYN_Config no_size = game, no_height = game, narrow = game, nan_ratio = game;
  no_size.display_width = no_size.display_height = no_height.display_height = 0;
  narrow.display_width = 1;
  narrow.display_height = 1000;
  narrow.ratio = 0.0001;
  nan_ratio.ratio = std::nan("");
  const struct {
    const VYN_Config *config;
    const char *reason;
  } cases[] = {{nullptr, "config is NULL\n"},
               {&no_size, "display_width can't be 0\n"},
               {&no_height, "display_height can't be 0\n"},
               {&narrow, "display_width * ratio must be at least 1\n"},
               {&nan_ratio, "display_width * ratio must be at least 1\n"}};
  for (const auto &c : cases) {
    harness::capture_start();
    EXPECT_EQ(VYN_Init(c.config), -1) << c.reason;
    EXPECT_EQ(harness::capture_take(), c.reason);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << c.reason;
    VYN_Quit();  // releases nothing, must not crash
  }
}

TEST(VynInit, NullTitleWarnsAndNamesTheWindowVyn) {
  VYN_Config c = harness::game_config();
  c.title = nullptr;
  harness::capture_start();
  const int result = VYN_Init(&c);
  EXPECT_EQ(harness::capture_take(), "title is NULL, defaulting to 'VYN'\n");
  ASSERT_EQ(result, 0);
  EXPECT_STREQ(SDL_GetWindowTitle(harness::window()), "VYN");
  VYN_Quit();
}

TEST(VynInit, GameConfigOpensA341By256ResizableHighDensityWindow) {
  const VYN_Config c = harness::game_config();
  ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
  int w = 0, h = 0;
  SDL_GetWindowSize(harness::window(), &w, &h);
  EXPECT_EQ(w, 341);
  EXPECT_EQ(h, 256);
  EXPECT_STREQ(SDL_GetWindowTitle(harness::window()), "Quondel");
  EXPECT_NE(SDL_GetWindowFlags(harness::window()) & SDL_WINDOW_RESIZABLE, 0u);
  // Without it a high-density screen gets a drawable in points, and the
  // system blurs the canvas up.
  EXPECT_NE(SDL_GetWindowFlags(harness::window()) & SDL_WINDOW_ALLOW_HIGHDPI, 0u);
  // Never smaller than the view, so the view always fits at a whole scale.
  SDL_GetWindowMinimumSize(harness::window(), &w, &h);
  EXPECT_EQ(w, 341);
  EXPECT_EQ(h, 256);
  VYN_Quit();
}

// Without any display SDL would settle on an invisible driver; start-up
// must fail instead of running a game nobody can see.
TEST(VynInit, NoDisplayFailsWithAReason) {
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  const VYN_Config c = harness::game_config();
  harness::capture_start();
  const int result = VYN_Init(&c);
  const std::string err = harness::capture_take();
  if (result == 0) {
    const std::string driver = SDL_GetCurrentVideoDriver();
    VYN_Quit();
    ASSERT_TRUE(driver != "offscreen" && driver != "dummy") << "started on invisible driver " << driver;
    GTEST_SKIP() << "a real display exists here (" << driver << ")";
  }
  EXPECT_EQ(result, -1);
  ASSERT_GT(err.size(), 1u) << "no reason written";
  // Its line ended: the caller's own line follows on the next.
  EXPECT_EQ(err.back(), '\n') << err;
  VYN_Quit();
}

// Where SDL has no accelerated renderer (the dummy driver has none, as a
// machine without OpenGL) start-up takes the software one, says so once,
// and the game's window and letterbox are as before.
TEST(VynInit, WithoutAnAcceleratedRendererTheSoftwareOneDrawsTheSameAndSaysSoOnce) {
  unsetenv("SDL_RENDER_DRIVER");
  const VYN_Config c = harness::game_config();
  harness::capture_start();
  const int result = VYN_Init(&c);
  if (result == 0) red_frame();
  const std::string err = harness::capture_take();
  ASSERT_EQ(result, 0) << err;
  EXPECT_EQ(err, "no accelerated renderer; drawing with SDL's software renderer\n");
  SDL_RendererInfo info{};
  ASSERT_EQ(SDL_GetRendererInfo(harness::renderer(), &info), 0);
  EXPECT_STREQ(info.name, "software");
  int w = 0, h = 0;
  SDL_GetWindowSize(harness::window(), &w, &h);
  EXPECT_EQ(w, 341);
  EXPECT_EQ(h, 256);
  const Uint32 flags = SDL_GetWindowFlags(harness::window());
  EXPECT_EQ(flags & (SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_SHOWN),
            SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_SHOWN);
  EXPECT_EQ(harness::pixel(0, 0), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(340, 255), 0xff0000ffu);
  EXPECT_EQ(VYN_GetTick(), 1u);
  VYN_Quit();
}

// ---- Letterbox and coordinates ------------------------------------------

// A canvas already at its display aspect keeps its width exactly; others
// are stretched and truncated. Each opens a window of its view, which the
// program can also ask for without starting, and fills a 1400 x 1100
// window at the largest whole scale, centred.
TEST(VynLetterbox, EveryCanvasShapeGetsItsExactViewAndLetterbox) {
  const struct {
    uint32_t w, h;
    double ratio;
    int view_w;
    int x, y, rect_w, rect_h;  // the canvas in the 1400 x 1100 window
  } canvases[] = {
      {256, 256, 1.3333333333333333, 341, 18, 38, 1364, 1024},  // the game's: scale 4
      {640, 480, 1.3333333333333333, 640, 60, 70, 1280, 960},
      {320, 200, 1.3333333333333333, 266, 35, 50, 1330, 1000},
      {1280, 720, 1.7777777777777777, 1280, 60, 190, 1280, 720},
      {256, 256, 0.0, 256, 188, 38, 1024, 1024},  // square pixels
  };
  for (const auto &c : canvases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " at " + std::to_string(c.ratio));
    VYN_Config config = harness::game_config();
    config.display_width = c.w;
    config.display_height = c.h;
    config.ratio = c.ratio;
    config.fps = 0;
    int vw = 0, vh = 0;
    VYN_ViewSize(&config, &vw, &vh);
    EXPECT_EQ(vw, c.view_w);
    EXPECT_EQ(vh, static_cast<int>(c.h));
    ASSERT_EQ(VYN_Init(&config), 0) << SDL_GetError();
    int w = 0, h = 0;
    SDL_GetWindowSize(harness::window(), &w, &h);
    EXPECT_EQ(w, c.view_w);
    EXPECT_EQ(h, static_cast<int>(c.h));
    SDL_SetWindowSize(harness::window(), 1400, 1100);
    red_frame();
    expect_red_canvas(c.x, c.y, c.rect_w, c.rect_h);
    VYN_Quit();
  }
  int vw = -1, vh = -1;
  VYN_ViewSize(nullptr, &vw, &vh);
  EXPECT_EQ(vw + vh, 0);
}

TEST(VynLetterbox, WideAndTallWindowsShowTheViewAtTheLargestScaleThatFitsBoth) {
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  SDL_SetWindowSize(harness::window(), 1920, 1080);
  red_frame();
  // A wide window limits it by its height: 4.
  expect_red_canvas(278, 28, 1364, 1024);
  EXPECT_EQ(harness::pixel(0, 0), 0x000000ffu);
  EXPECT_EQ(harness::pixel(1919, 1079), 0x000000ffu);

  // Window to view: truncation toward zero, no clamping over the bars.
  EXPECT_EQ(transformed_x(275), 0);
  EXPECT_EQ(transformed_x(274), -1);
  EXPECT_EQ(transformed_x(1919), 410);
  int y = 1079;
  VYN_ScreenTransform(nullptr, &y);
  EXPECT_EQ(y, 262);

  harness::push_mouse_motion(274, 28);
  VYN_Event e{};
  ASSERT_TRUE(harness::poll_event(&e));
  EXPECT_EQ(e.type, VYN_MOUSE_MOTION);
  EXPECT_EQ(e.x, -1);
  EXPECT_EQ(e.y, 0);
  harness::push_mouse_button(SDL_BUTTON_LEFT, true, 1919, 1079);
  harness::cycle_events();
  int mx = 0, my = 0;
  VYN_MousePosition(&mx, &my);
  EXPECT_EQ(mx, 410);
  EXPECT_EQ(my, 262);

  // A tall window limits it by its width: 2.
  SDL_SetWindowSize(harness::window(), 700, 1080);
  red_frame();
  expect_red_canvas(9, 284, 682, 512);
  EXPECT_EQ(transformed_x(690), 340);
  VYN_Quit();
}

// The window the game opens fits the view exactly and refuses to shrink
// below it; an output smaller anyway (where nothing holds that minimum)
// shows the whole view scaled down to fit, centred, and maps the mouse
// through the same scale. Each frame counts.
TEST(VynLetterbox, ExactFitHasScale1AndASmallerOutputShowsTheViewScaledDown) {
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  red_frame();
  EXPECT_EQ(harness::pixel(0, 0), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(340, 255), 0xff0000ffu);
  EXPECT_EQ(transformed_x(200), 200);
  EXPECT_EQ(VYN_GetTick(), 1u);

  SDL_SetWindowSize(harness::window(), 300, 200);
  int w = 0, h = 0;
  SDL_GetWindowSize(harness::window(), &w, &h);
  EXPECT_EQ(w, 341);
  EXPECT_EQ(h, 256);

  // 200 x 150: limited by the height, 150 / 256 of a unit per pixel.
  SDL_SetWindowMinimumSize(harness::window(), 1, 1);
  SDL_SetWindowSize(harness::window(), 200, 150);
  red_frame();
  red_frame();
  EXPECT_EQ(VYN_GetTick(), 3u);
  EXPECT_EQ(harness::pixel(0, 0), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(198, 149), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(199, 75), 0x000000ffu) << "the scaled view is 199 wide";
  int x = 100, y = 149;
  VYN_ScreenTransform(&x, &y);
  EXPECT_EQ(x, 170);
  EXPECT_EQ(y, 254);
  // A wide strip: limited by the height, centred.
  SDL_SetWindowSize(harness::window(), 300, 64);
  red_frame();
  EXPECT_EQ(harness::pixel(107, 0), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(191, 63), 0xff0000ffu);
  EXPECT_EQ(harness::pixel(106, 32), 0x000000ffu);
  EXPECT_EQ(harness::pixel(192, 32), 0x000000ffu);
  EXPECT_EQ(transformed_x(107), 0);
  EXPECT_EQ(transformed_x(106), -4);
  VYN_Quit();
}

// ---- Colour ------------------------------------------------------------

TEST(VynColor, FractionsTruncateAndWrapToBytes) {
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  Color got = set_color(1.0f, 0.9f, 0.2f, 0.025f);
  EXPECT_EQ(got.r, 255);
  EXPECT_EQ(got.g, 229);
  EXPECT_EQ(got.b, 51);
  EXPECT_EQ(got.a, 6);

  got = set_color(1.5f, -0.5f, 0.0f, 2.0f);
  EXPECT_EQ(got.r, 126) << "382 wraps modulo 256";
  EXPECT_EQ(got.g, 129) << "-127 wraps modulo 256";
  EXPECT_EQ(got.b, 0);
  EXPECT_EQ(got.a, 254);

  // NaN counts as 0; values beyond 64 bits saturate before the wrap.
  got = set_color(std::nanf(""), 1e30f, -1e30f, HUGE_VALF);
  EXPECT_EQ(got.r, 0);
  EXPECT_EQ(got.g, 255);
  EXPECT_EQ(got.b, 0);
  EXPECT_EQ(got.a, 255);
  VYN_Quit();
}

// ---- Pacing ------------------------------------------------------------
// Lower bounds are exact consequences of the deadlines; upper bounds leave
// room for a loaded machine.

TEST(VynPacing, ThirtyFramesAt30FpsKeepTheCadenceDespiteWork) {
  const VYN_Config c = harness::game_config();
  const uint64_t start = SDL_GetTicks64();  // no later than the first deadline's anchor
  ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
  // The clock alone cannot tell a 33 ms period from 34 on a loaded
  // machine; the deadlines the engine schedules can: each frame's is 33 ms
  // after the last one's, or after a late frame's end.
  const uint64_t &deadline = vyn::state.core.next_time;
  for (int i = 0; i < 30; i++) {
    const uint64_t last = deadline;
    ASSERT_EQ(VYN_DrawBegin(), 0);
    EXPECT_EQ(deadline, last + 33) << "frame " << i;
    SDL_Delay(10);  // work inside the frame is absorbed, not added
    ASSERT_EQ(VYN_DrawEnd(), 0);
  }
  const uint64_t elapsed = SDL_GetTicks64() - start;
  EXPECT_GE(elapsed, 990u) << "30 frames of 33 ms";
  EXPECT_LE(elapsed, 1230u) << "drifting: 30 x (33 + 10) would be 1290";
  EXPECT_EQ(VYN_GetTick(), 30u);
  VYN_Quit();
}

TEST(VynPacing, LateFrameRestartsTheDeadlineWithoutABurst) {
  const VYN_Config c = harness::game_config();
  ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
  ASSERT_EQ(VYN_DrawBegin(), 0);
  ASSERT_EQ(VYN_DrawEnd(), 0);
  ASSERT_EQ(VYN_DrawBegin(), 0);
  SDL_Delay(100);
  // The late frame restarts the deadline no earlier than this.
  const uint64_t late = SDL_GetTicks64();
  ASSERT_EQ(VYN_DrawEnd(), 0);
  for (uint64_t frame = 1; frame <= 2; frame++) {
    ASSERT_EQ(VYN_DrawBegin(), 0);
    ASSERT_EQ(VYN_DrawEnd(), 0);
    const uint64_t since = SDL_GetTicks64() - late;
    EXPECT_GE(since, 33 * frame) << "frame " << frame << " after the late one came too soon";
    EXPECT_LE(since, 33 * frame + 300) << "frame " << frame << " after the late one";
  }
  VYN_Quit();
}

// Thirty frames at a rate that must not wait (none, or above 1000 per
// second) finish well under 990 ms.
TEST(VynPacing, Fps0AndFpsAbove1000NeverWait) {
  for (uint32_t fps : {0u, 2000u}) {
    VYN_Config c = harness::game_config();
    c.fps = fps;
    ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
    const uint64_t start = SDL_GetTicks64();
    for (int i = 0; i < 30; i++) {
      ASSERT_EQ(VYN_DrawBegin(), 0);
      ASSERT_EQ(VYN_DrawEnd(), 0);
    }
    EXPECT_LT(SDL_GetTicks64() - start, 600u) << "fps " << fps << " waited";
    VYN_Quit();
  }
}

// The output-size query failing on every frame (a renderer losing its
// output) still paces each frame, and the first good frame afterwards is
// an ordinary one instead of sleeping off the failed frames' deadlines.
namespace {
bool fail_output_size = false;
}  // namespace

extern "C" int SDL_GetRendererOutputSize(SDL_Renderer *renderer, int *w, int *h) {
  using Query = int (*)(SDL_Renderer *, int *, int *);
  static const auto real = reinterpret_cast<Query>(dlsym(RTLD_NEXT, "SDL_GetRendererOutputSize"));
  if (fail_output_size) return SDL_SetError("output lost");
  return real(renderer, w, h);
}

TEST(VynPacing, AFailingOutputSizeQueryStillPacesEachFrame) {
  const VYN_Config c = harness::game_config();
  ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
  ASSERT_EQ(VYN_DrawBegin(), 0);
  ASSERT_EQ(VYN_DrawEnd(), 0);
  fail_output_size = true;
  const uint64_t start = SDL_GetTicks64();
  const uint64_t &deadline = vyn::state.core.next_time;
  harness::capture_start();
  for (int i = 0; i < 10; i++) {
    ASSERT_EQ(VYN_DrawBegin(), 0);
    EXPECT_EQ(VYN_DrawEnd(), -1);
  }
  const std::string err = harness::capture_take();
  const uint64_t failing = SDL_GetTicks64() - start;
  EXPECT_GE(failing, 10u * 33 - 33) << "the failing frames ran unpaced";
  EXPECT_EQ(err.find("output lost\n"), 0u) << err;
  EXPECT_EQ(VYN_GetTick(), 1u) << "a failed frame is not counted";
  fail_output_size = false;
  const uint64_t before = SDL_GetTicks64();
  ASSERT_EQ(VYN_DrawBegin(), 0);
  EXPECT_LE(deadline, before + 33) << "deadlines piled up during the failure";
  ASSERT_EQ(VYN_DrawEnd(), 0);
  EXPECT_LE(SDL_GetTicks64() - before, 33u + 300) << "the good frame slept off the failure";
  EXPECT_EQ(VYN_GetTick(), 2u);
  VYN_Quit();
}
