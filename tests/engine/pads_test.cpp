// Game controllers as a second source of the keyboard's buttons, driven by
// SDL's virtual joysticks.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "harness.h"

// SDL's controller start-up as the engine sees it, refused on request: no
// platform lets a test take its controller support away.
namespace {
bool refuse_controllers = false;
}

extern "C" int SDL_InitSubSystem(Uint32 flags) {
  if (refuse_controllers && (flags & SDL_INIT_GAMECONTROLLER) != 0) return SDL_SetError("no controllers here");
  using Init = int (*)(Uint32);
  static const auto real = reinterpret_cast<Init>(dlsym(RTLD_NEXT, "SDL_InitSubSystem"));
  return real(flags);
}

namespace {

// Engine button events until SDL's queue is empty, as "down 4 up 0 ".
// SDL 2.32 and later follow a fullscreen toggle with a pointer motion of
// their own; only the buttons matter here.
std::string events() {
  std::string out;
  VYN_Event e{};
  while (harness::poll_event(&e)) {
    if (e.type == VYN_MOUSE_MOTION) continue;
    out += e.type == VYN_BUTTON_DOWN ? "down " : e.type == VYN_BUTTON_UP ? "up " : "other ";
    out += std::to_string(e.button) + " ";
  }
  return out;
}

std::string button(SDL_Joystick *pad, SDL_GameControllerButton b, bool down) {
  SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0);
  return events();
}

std::string axis(SDL_Joystick *pad, SDL_GameControllerAxis a, int16_t value) {
  SDL_JoystickSetVirtualAxis(pad, a, value);
  return events();
}

std::string key(SDL_Scancode code, bool down) {
  harness::push_key(code, down);
  return events();
}

void start() {
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  events();  // the window's and the controllers' start-up events
}

bool fullscreen() { return (SDL_GetWindowFlags(harness::window()) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

}  // namespace

TEST(VynPads, PadAtStartUpPressesTheKeyboardsButtonsAndBackTogglesFullscreen) {
  SDL_Joystick *pad = harness::plug_pad();
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  harness::capture_start();
  start();
  const struct {
    SDL_GameControllerButton from;
    unsigned to;
  } map[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VYN_BTN_LEFT}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VYN_BTN_RIGHT},
      {SDL_CONTROLLER_BUTTON_DPAD_UP, VYN_BTN_UP},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VYN_BTN_DOWN},
      {SDL_CONTROLLER_BUTTON_A, VYN_BTN_ACTION},       {SDL_CONTROLLER_BUTTON_B, VYN_BTN_ALT},
  };
  for (const auto &m : map) {
    const std::string n = std::to_string(m.to);
    EXPECT_EQ(button(pad, m.from, true), "down " + n + " ");
    EXPECT_TRUE(VYN_ButtonDown(m.to)) << n;
    EXPECT_EQ(button(pad, m.from, false), "up " + n + " ");
    EXPECT_FALSE(VYN_ButtonDown(m.to)) << n;
  }
  for (auto other : {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_START,
                     SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_GUIDE}) {
    EXPECT_EQ(button(pad, other, true), "") << other;
  }
  for (unsigned b = 0; b < VYN_BUTTONS; b++) EXPECT_FALSE(VYN_ButtonDown(b)) << b;

  ASSERT_FALSE(fullscreen());
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_BACK, true), "");
  EXPECT_TRUE(fullscreen());
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_BACK, false), "");
  EXPECT_TRUE(fullscreen());
  button(pad, SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_FALSE(fullscreen());
  EXPECT_EQ(harness::capture_take(), "");
  harness::unplug_pad(pad);
  VYN_Quit();
}

TEST(VynPads, StickPressesPastHalfItsTravelAndReleasesBelowAQuarter) {
  start();
  SDL_Joystick *pad = harness::plug_pad();  // during the loop
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  events();
  const auto x = SDL_CONTROLLER_AXIS_LEFTX, y = SDL_CONTROLLER_AXIS_LEFTY;
  EXPECT_EQ(axis(pad, x, 16383), "");
  EXPECT_EQ(axis(pad, x, 16384), "down 1 ");
  EXPECT_EQ(axis(pad, x, 8192), "") << "a stick on its way back still holds";
  EXPECT_TRUE(VYN_ButtonDown(VYN_BTN_RIGHT));
  EXPECT_EQ(axis(pad, x, 8191), "up 1 ");
  EXPECT_EQ(axis(pad, x, 16383), "") << "no press again before half";
  EXPECT_EQ(axis(pad, x, -16383), "");
  EXPECT_EQ(axis(pad, x, -16384), "down 0 ");
  EXPECT_EQ(axis(pad, x, -8192), "");
  EXPECT_EQ(axis(pad, x, 32767), "up 0 down 1 ") << "one flick across, one event each way";
  EXPECT_EQ(axis(pad, x, 0), "up 1 ");
  EXPECT_EQ(axis(pad, y, -32768), "down 2 ");
  EXPECT_EQ(axis(pad, y, 20000), "up 2 down 3 ");
  EXPECT_EQ(axis(pad, y, 0), "up 3 ");
  EXPECT_EQ(axis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767), "");
  EXPECT_EQ(axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767), "");
  harness::unplug_pad(pad);
  VYN_Quit();
}

TEST(VynPads, AButtonIsHeldWhileAnySourceHoldsItAndUnpluggingReleasesWhatOnlyThePadHeld) {
  start();
  SDL_Joystick *pad = harness::plug_pad();
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  events();
  const auto a = SDL_CONTROLLER_BUTTON_A;
  // Key first, then pad; and pad first, then key: one event each way.
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, true), "down 4 ");
  EXPECT_EQ(button(pad, a, true), "");
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, false), "");
  EXPECT_TRUE(VYN_ButtonDown(VYN_BTN_ACTION));
  EXPECT_EQ(button(pad, a, false), "up 4 ");
  EXPECT_EQ(button(pad, a, true), "down 4 ");
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, true), "");
  EXPECT_EQ(button(pad, a, false), "");
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, false), "up 4 ");

  // The d-pad and the stick of one pad: held until both let go.
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, true), "down 2 ");
  EXPECT_EQ(axis(pad, SDL_CONTROLLER_AXIS_LEFTY, -32768), "");
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, false), "");
  EXPECT_EQ(axis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0), "up 2 ");

  // A second pad: B held by both pads, released when the second goes.
  SDL_Joystick *other = harness::plug_pad();
  ASSERT_NE(other, nullptr) << SDL_GetError();
  events();
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_B, true), "down 5 ");
  EXPECT_EQ(button(other, SDL_CONTROLLER_BUTTON_B, true), "");
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_B, false), "");
  harness::unplug_pad(other);
  EXPECT_EQ(events(), "up 5 ");

  // Unplugged while holding A and left, with the Left key held too: only
  // A is let go.
  EXPECT_EQ(key(SDL_SCANCODE_LEFT, true), "down 0 ");
  EXPECT_EQ(button(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true), "");
  EXPECT_EQ(button(pad, a, true), "down 4 ");
  harness::unplug_pad(pad);
  EXPECT_EQ(events(), "up 4 ");
  EXPECT_TRUE(VYN_ButtonDown(VYN_BTN_LEFT));
  EXPECT_EQ(key(SDL_SCANCODE_LEFT, false), "up 0 ");

  // Plugged in again, it starts from nothing held.
  pad = harness::plug_pad();
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  EXPECT_EQ(events(), "");
  EXPECT_EQ(button(pad, a, true), "down 4 ");
  harness::unplug_pad(pad);
  EXPECT_EQ(events(), "up 4 ");
  VYN_Quit();
}

TEST(VynPads, ANinthPadIsIgnoredAndAQuitDropsWhatWasStillQueued) {
  start();
  std::array<SDL_Joystick *, 9> pads{};
  for (SDL_Joystick *&p : pads) {
    p = harness::plug_pad();
    ASSERT_NE(p, nullptr) << SDL_GetError();
  }
  harness::capture_start();
  EXPECT_EQ(events(), "");
  EXPECT_EQ(harness::capture_take(), "too many game controllers, ignoring virtual pad\n");
  const auto a = SDL_CONTROLLER_BUTTON_A;
  const auto x = SDL_CONTROLLER_AXIS_LEFTX;
  EXPECT_EQ(button(pads[8], a, true), "");
  EXPECT_EQ(button(pads[7], a, true), "down 4 ");
  EXPECT_EQ(button(pads[0], a, true), "");
  EXPECT_EQ(button(pads[7], a, false), "");
  EXPECT_EQ(button(pads[0], a, false), "up 4 ");

  // One flick across queues two events; the engine restarts with the
  // second still unread and must not hand it to the next start.
  EXPECT_EQ(axis(pads[0], x, -32768), "down 0 ");
  SDL_JoystickSetVirtualAxis(pads[0], x, 32767);
  VYN_Event e{};
  ASSERT_TRUE(harness::poll_event(&e));
  EXPECT_TRUE(e.type == VYN_BUTTON_UP && e.button == VYN_BTN_LEFT);
  VYN_Quit();
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  EXPECT_EQ(events(), "");
  VYN_Quit();
}

TEST(VynPads, WithoutControllerSupportTheGameStartsAfterOneLine) {
  refuse_controllers = true;
  harness::capture_start();
  EXPECT_EQ(harness::start_unpaced(), 0);
  EXPECT_EQ(harness::capture_take(), "game controllers unavailable: no controllers here\n");
  events();
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, true), "down 4 ");
  EXPECT_EQ(key(SDL_SCANCODE_SPACE, false), "up 4 ");
  harness::capture_start();
  VYN_Quit();
  EXPECT_EQ(harness::capture_take(), "");
}
