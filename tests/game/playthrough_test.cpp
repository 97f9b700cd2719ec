// The whole game headless, run by the same loop as the program's, with keys
// injected at chosen frames and the canvas checked at the moments that
// matter.
#include <gtest/gtest.h>

#include "scene_support.h"

namespace {

using scene::px;

// The game's loop over one script, pressing Space or, given a pad, its A:
// the canvas is checked on every frame.
void play_through(SDL_Joystick *pad) {
  intro_init();
  musi_init();

  // Frame number -> key change applied before that frame's events.
  struct Step {
    int frame;
    bool down;
  };
  constexpr Step script[] = {
      {95, true},  {100, false},                             // intro: hold, release
      {105, true}, {112, false}, {115, true}, {118, false},  // presses 1, 2
      {121, true}, {124, false}, {127, true}, {130, false},  // presses 3, 4
      {133, true},                                           // press 5
  };

  Scene state = Scene::intro;
  int frame = 0, red_frames = 0, image_frames = 0, end_frame = -1;
  size_t next = 0;
  bool running = true;
  while (running && frame < 200) {
    if (next < std::size(script) && script[next].frame == frame) {
      const bool down = script[next++].down;
      if (pad != nullptr) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, down ? 1 : 0);
      } else {
        harness::push_key(SDL_SCANCODE_SPACE, down);
      }
    }
    game_frame_draw(state);

    // The canvas is still the render target here.
    const bool red = scene::is_held_red(px(5, 128)) && scene::is_held_red(px(250, 30));
    if (frame >= 95 && frame < 100) {
      EXPECT_EQ(state, Scene::intro);
      EXPECT_TRUE(red) << "frame " << frame << ": " << std::hex << px(5, 128);
      red_frames++;
    } else {
      EXPECT_FALSE(red) << "frame " << frame;
    }
    if (frame == 100) {
      EXPECT_EQ(state, Scene::musi) << "the release frame is drawn by the second scene";
    } else if (frame < 100) {
      EXPECT_EQ(state, Scene::intro) << "frame " << frame;
    }

    // First image: a full-colour 8 x 8 square at the hand, over the faint
    // open hand. Its colour may be black on some frames.
    const uint32_t at_hand = px(static_cast<int>(hand_x), static_cast<int>(hand_y));
    if (frame >= 105 && frame < 115) {
      EXPECT_TRUE(scene::is_full_colour(at_hand)) << "frame " << frame << ": " << std::hex << at_hand;
      image_frames += scene::is_bright(at_hand);
    } else if (state == Scene::musi && frame < 105) {
      EXPECT_FALSE(scene::is_full_colour(at_hand)) << "frame " << frame << ": " << std::hex << at_hand;
    }

    running = game_frame_end(state);
    if (state == Scene::finished) end_frame = frame;
    frame++;
  }
  EXPECT_EQ(end_frame, 133) << "the fifth press ends the game on its own frame";
  EXPECT_EQ(red_frames, 5);
  EXPECT_GT(image_frames, 0);
  EXPECT_EQ(VYN_GetTick(), 134u);
}

TEST(PlayThrough, IntroHeldRedThenFivePressesEndTheGame) {
  ASSERT_TRUE(scene::start());
  play_through(nullptr);
  VYN_Quit();
}

TEST(PlayThrough, APadAloneClosesTheHandAndItsFifthPressOfAEndsTheGame) {
  ASSERT_TRUE(scene::start());
  SDL_Joystick *pad = harness::plug_pad();
  ASSERT_NE(pad, nullptr) << SDL_GetError();
  play_through(pad);
  harness::unplug_pad(pad);
  VYN_Quit();
}

}  // namespace
