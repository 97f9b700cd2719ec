// The start screen's answers to input as the engine delivers it: a game
// controller (SDL's virtual joystick, as a real one reports) moves with
// its d-pad, chooses with A and quits with B; the keyboard's C, the same
// engine button as B, does nothing; Tab and Enter choose as on the
// keyboard of a real window.
#include <gtest/gtest.h>

#include "game.h"
#include "harness.h"

namespace {

// Every engine event now queued, fed to the screen: its first answer
// other than waiting, or waiting.
StartChoice answer(StartScreen &screen) {
  StartChoice first = StartChoice::waiting;
  VYN_Event e{};
  while (harness::poll_event(&e)) {
    const StartChoice c = start_screen_input(screen, e);
    if (first == StartChoice::waiting) first = c;
  }
  return first;
}

StartChoice pad_press(StartScreen &screen, SDL_Joystick *pad, SDL_GameControllerButton b) {
  SDL_JoystickSetVirtualButton(pad, b, 1);
  const StartChoice down = answer(screen);
  SDL_JoystickSetVirtualButton(pad, b, 0);
  const StartChoice up = answer(screen);
  return down != StartChoice::waiting ? down : up;
}

StartChoice key_press(StartScreen &screen, SDL_Scancode key) {
  harness::push_key(key, true);
  harness::push_key(key, false);
  return answer(screen);
}

}  // namespace

TEST(StartScreen, PadDpadAndAChooseReducedBQuitsTheKeyboardsAltDoesNot) {
  SDL_Joystick *pad = harness::plug_pad();
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
  StartScreen screen{};
  EXPECT_EQ(answer(screen), StartChoice::waiting);  // the window's and the pad's arrival
  EXPECT_EQ(pad_press(screen, pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN), StartChoice::waiting);
  EXPECT_EQ(screen.highlighted, 1);
  EXPECT_EQ(pad_press(screen, pad, SDL_CONTROLLER_BUTTON_A), StartChoice::play_reduced);

  screen = {};
  for (SDL_Scancode key : {SDL_SCANCODE_C, SDL_SCANCODE_Q, SDL_SCANCODE_F11}) {
    EXPECT_EQ(key_press(screen, key), StartChoice::waiting) << SDL_GetScancodeName(key);
  }
  EXPECT_EQ(screen.highlighted, 0);
  EXPECT_EQ(pad_press(screen, pad, SDL_CONTROLLER_BUTTON_B), StartChoice::quit);

  screen = {};
  EXPECT_EQ(key_press(screen, SDL_SCANCODE_TAB), StartChoice::waiting);
  EXPECT_EQ(key_press(screen, SDL_SCANCODE_RETURN), StartChoice::play_reduced);
  VYN_Quit();
}
