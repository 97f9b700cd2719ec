// The intro: the opening drift, the held key and its release, and the
// number of random values each frame takes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "random.h"
#include "scene_support.h"

namespace {

using scene::key;
using scene::px;

class Intro : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scene::start());
    intro_init();
  }
  void TearDown() override { VYN_Quit(); }

  // Draws one frame into the canvas and leaves it as the render target.
  // No VYN_DrawEnd: the tick stays 0, so nothing rocks.
  static void draw() {
    ASSERT_EQ(VYN_DrawBegin(), 0);
    intro_draw();
  }

  // Runs n updates; returns how many of them reported the end.
  static int updates(int n) {
    int ends = 0;
    for (int i = 0; i < n; i++) ends += intro_update();
    return ends;
  }
};

TEST_F(Intro, DriftBringsStampToTheMiddleAndHandNearIt) {
  draw();
  scene::Box stamp = scene::find(scene::STAMP);
  EXPECT_EQ(stamp.x0, 51) << "stamp starts drawn at 51.2 + 10";
  EXPECT_EQ(stamp.y0, 118);

  EXPECT_EQ(updates(90), 0);
  EXPECT_NEAR(hand_x, 130.0, 1.0);
  EXPECT_DOUBLE_EQ(hand_y, 128.0);

  // Anchor about 126.05: the 20-pixel stamp is centred at (136, 128).
  draw();
  stamp = scene::find(scene::STAMP);
  EXPECT_EQ(stamp.x0, 126);
  EXPECT_EQ(stamp.x1, 145);
  EXPECT_EQ(stamp.y0, 118);
  EXPECT_EQ(stamp.y1, 137);
  // Open hand, faded to alpha 229 over the green stamp.
  const uint32_t hand = px(static_cast<int>(hand_x), 128);
  EXPECT_EQ(scene::blue(hand), 229) << std::hex << hand;
  EXPECT_GE(scene::green(hand), 25);
  EXPECT_FALSE(scene::is_held_red(px(5, 5)));

  // Afterwards only the hand moves: pulled to the centre, about four
  // pixels off it while an arrow is held.
  EXPECT_EQ(updates(40), 0);
  EXPECT_NEAR(hand_x, 128.0, 0.01);
  key(SDL_SCANCODE_RIGHT, true);
  key(SDL_SCANCODE_UP, true);
  EXPECT_EQ(updates(60), 0);
  EXPECT_NEAR(hand_x, 132.0, 0.01);
  EXPECT_NEAR(hand_y, 124.0, 0.01);
  draw();
  stamp = scene::find(scene::STAMP);
  EXPECT_EQ(stamp.x0, 126);
  EXPECT_EQ(stamp.y1, 137);
}

TEST_F(Intro, KeysDuringTheDriftChangeNothing) {
  EXPECT_EQ(updates(90), 0);
  const double quiet_x = hand_x, quiet_y = hand_y;

  intro_init();
  key(SDL_SCANCODE_RIGHT, true);
  key(SDL_SCANCODE_DOWN, true);
  int ends = updates(10);
  key(SDL_SCANCODE_SPACE, true);
  key(SDL_SCANCODE_LEFT, true);
  ends += updates(10);
  draw();
  EXPECT_FALSE(scene::is_held_red(px(5, 5))) << "the key does not count during the drift";
  key(SDL_SCANCODE_SPACE, false);
  key(SDL_SCANCODE_LEFT, false);
  ends += updates(70);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(hand_x, quiet_x);
  EXPECT_EQ(hand_y, quiet_y);

  key(SDL_SCANCODE_RIGHT, false);
  key(SDL_SCANCODE_DOWN, false);
  EXPECT_EQ(updates(20), 0) << "a press released during the drift never ends the scene";
  draw();
  EXPECT_FALSE(scene::is_held_red(px(5, 5)));
}

TEST_F(Intro, KeyHeldAcrossTheDriftEndsTheSceneOnRelease) {
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(updates(89), 0);
  draw();
  EXPECT_FALSE(scene::is_held_red(px(5, 5)));

  // The key already counts on the 90th update, the last of the drift.
  EXPECT_EQ(updates(1), 0);
  draw();
  EXPECT_TRUE(scene::is_held_red(px(5, 5))) << std::hex << px(5, 5);
  EXPECT_EQ(updates(30), 0) << "the end of the drift does not end the scene";

  key(SDL_SCANCODE_SPACE, false);
  EXPECT_EQ(intro_update(), 1);
}

TEST_F(Intro, HeldFrameIsRedWithClosedShakenHandAndBlood) {
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(updates(100), 0);
  const int hx = static_cast<int>(hand_x), hy = static_cast<int>(hand_y);
  int shaken = 0;
  for (int frame = 0; frame < 20; frame++) {
    draw();
    for (int p : {0, 255}) {
      EXPECT_TRUE(scene::is_held_red(px(p, 128))) << std::hex << px(p, 128);
      EXPECT_TRUE(scene::is_held_red(px(128, p + (p == 0 ? 60 : -60))));
    }
    // The 4 x 4 blood sits on the stamp's centre, over everything else.
    const scene::Box blood = scene::find(scene::BLOODY);
    EXPECT_EQ(blood.x0, 134);
    EXPECT_EQ(blood.y0, 126);
    EXPECT_EQ(blood.x1, 137);
    EXPECT_EQ(blood.y1, 129);
    // Closed hand, opaque, offset 0 to 7 right and down from the hand.
    const scene::Box hand = scene::find(scene::HAND_CLOSE);
    ASSERT_LE(hand.x0, hand.x1) << "closed hand not drawn";
    const int jx = hand.x1 - 2 - hx, jy = hand.y1 - 2 - hy;  // 6 x 6 centred
    EXPECT_GE(jx, 0);
    EXPECT_LE(jx, 7);
    EXPECT_GE(jy, 0);
    EXPECT_LE(jy, 7);
    shaken += jx != 0 || jy != 0;
    EXPECT_EQ(scene::find(scene::HAND_OPEN).x1, -1);
  }
  EXPECT_GT(shaken, 0);
}

// Five random values per frame whether the key is held or not.

TEST_F(Intro, EveryFrameTakesFiveRandomValues) {
  const int after_35 = scene::rand_after(7 * 5), after_0 = scene::rand_after(0);
  EXPECT_EQ(updates(90), 0);
  game_srand(1);
  for (int i = 0; i < 7; i++) draw();
  EXPECT_EQ(game_rand(), after_35) << "key up";

  key(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(updates(1), 0);
  game_srand(1);
  for (int i = 0; i < 7; i++) draw();
  EXPECT_TRUE(scene::is_held_red(px(5, 5)));
  EXPECT_EQ(game_rand(), after_35) << "key held";

  // Updates take none.
  game_srand(1);
  EXPECT_EQ(updates(5), 0);
  EXPECT_EQ(game_rand(), after_0);
}

}  // namespace
