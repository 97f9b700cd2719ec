// The second scene: the hopping figure, press counting and the images
// shown per press, and the number of random values each frame takes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "random.h"
#include "scene_support.h"

namespace {

using scene::key;
using scene::px;

class Musi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scene::start());
    hand_x = 128;
    hand_y = 128;
    musi_init();
  }
  void TearDown() override { VYN_Quit(); }

  static void draw() {
    ASSERT_EQ(VYN_DrawBegin(), 0);
    musi_draw();
  }

  // Which corner the figure covers: 0 top-left, 1 top-right, 2 bottom-left,
  // 3 bottom-right; -1 when none is ever lit, -2 when several are. The
  // figure's colour changes every frame and may be black, so frames are
  // drawn until it is lit.
  static int figure_corner() {
    constexpr int corners[4][2] = {{1, 1}, {254, 1}, {1, 254}, {254, 254}};
    for (int frame = 0; frame < 30; frame++) {
      draw();
      int found = -1;
      for (int c = 0; c < 4; c++) {
        if (!scene::is_bright(px(corners[c][0], corners[c][1]))) continue;
        if (found != -1) return -2;
        found = c;
      }
      if (found != -1) return found;
    }
    return -1;
  }

  // Which inspi image (1 to 4) is drawn at the hand, told apart by size
  // whatever its angle; 0 when none. -1 when the drawn size fits none.
  static int shown_inspi() {
    for (int frame = 0; frame < 30; frame++) {
      draw();
      const uint32_t centre = px(128, 128);
      if (!scene::is_bright(centre)) continue;  // none, or drawn in black
      int n = 0;
      for (int size : scene::INSPI_SIZES) {
        if (px(128 + size / 2 - 2, 128) == centre) n++;
      }
      if (n == 0) return -1;
      const int outside = static_cast<int>(std::ceil(scene::INSPI_SIZES[n - 1] * 0.7072)) + 1;
      if (px(128 + outside, 128) == centre || px(128, 128 + outside) == centre) return -1;
      return n;
    }
    return 0;
  }
};

TEST_F(Musi, FigureWaitsElevenUpdatesThenHopsOnTheTwelfth) {
  EXPECT_EQ(figure_corner(), 0);
  for (int i = 1; i <= 11; i++) {
    game_srand(1);
    const int first = game_rand();
    game_srand(1);
    EXPECT_EQ(musi_update(), 0);
    EXPECT_EQ(game_rand(), first) << "update " << i << " took a random value";
    EXPECT_EQ(figure_corner(), 0) << "update " << i;
  }

  // The hop takes x from the first value's low bit, then y from the second.
  for (int hop = 0; hop < 3; hop++) {
    game_srand(static_cast<unsigned>(7 + hop));
    const int rx = game_rand(), ry = game_rand(), third = game_rand();
    game_srand(static_cast<unsigned>(7 + hop));
    EXPECT_EQ(musi_update(), 0);
    EXPECT_EQ(game_rand(), third) << "a hop takes two values";
    const int expected = ((rx & 1) != 0 ? 0 : 1) + ((ry & 1) != 0 ? 0 : 2);
    EXPECT_EQ(figure_corner(), expected) << "hop " << hop;
    for (int i = 0; i < 11; i++) {
      game_srand(1);
      const int first = game_rand();
      game_srand(1);
      musi_update();
      ASSERT_EQ(game_rand(), first) << "hops come every 12th update";
    }
  }
}

// With reduced flashing the scene's first frame takes up a look of its
// own (not the black of none), which then holds through the eleven
// updates before the first hop; the hop frame takes up its own.
TEST_F(Musi, ReducedFlashingTakesUpALookOnTheFirstFrameAndOnEachHop) {
  // A frame takes six values, the figure's colour from the fourth to the
  // sixth (blue, green, red), each channel off or full; a hop two.
  const auto figure = [](int first_value) {
    const auto full = [&](int n, uint32_t channel) { return (scene::rand_after(first_value + n) & 1) * channel; };
    return full(3, 0x0000ff00u) | full(4, 0x00ff0000u) | full(5, 0xff000000u) | 0xffu;
  };
  const uint32_t first = figure(0), after_hop = figure(6 * 12 + 2);
  const int hop_x = (scene::rand_after(6 * 12) & 1) != 0 ? 1 : 254;
  const int hop_y = (scene::rand_after(6 * 12 + 1) & 1) != 0 ? 1 : 254;
  reduce_flashing = true;
  game_srand(1);
  draw();
  EXPECT_EQ(px(1, 1), first) << "the first frame";
  for (int update = 1; update <= 11; update++) {
    musi_update();
    draw();
    EXPECT_EQ(px(1, 1), first) << "update " << update;
  }
  musi_update();
  draw();
  EXPECT_EQ(px(hop_x, hop_y), after_hop) << "the hop";
  reduce_flashing = false;
}

TEST_F(Musi, HeldKeyCountsOncePerPressAndTheFifthPressFinishes) {
  EXPECT_EQ(shown_inspi(), 0);
  for (int press = 1; press <= 4; press++) {
    key(SDL_SCANCODE_SPACE, true);
    for (int i = 0; i < 20; i++) ASSERT_EQ(musi_update(), 0) << "press " << press;
    EXPECT_EQ(shown_inspi(), press) << "while held";
    key(SDL_SCANCODE_SPACE, false);
    for (int i = 0; i < 3; i++) ASSERT_EQ(musi_update(), 0);
    EXPECT_EQ(shown_inspi(), press) << "after release";
  }
  key(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(musi_update(), 1);
  EXPECT_EQ(shown_inspi(), 0) << "the finishing frame shows no image";
}

TEST_F(Musi, InspiImageTurnsAnewEveryFrame) {
  key(SDL_SCANCODE_SPACE, true);
  musi_update();
  // Press 4 shows the 80-pixel image, whose corners sweep visibly.
  for (int press = 2; press <= 4; press++) {
    key(SDL_SCANCODE_SPACE, false);
    musi_update();
    key(SDL_SCANCODE_SPACE, true);
    musi_update();
  }
  int corner_lit = 0, frames = 0;
  for (int frame = 0; frame < 40; frame++) {
    draw();
    const uint32_t centre = px(128, 128);
    if (!scene::is_bright(centre)) continue;
    frames++;
    // A point about 50 px out on the diagonal lies inside the 80 x 80
    // square only while a corner is within about 36 degrees of it.
    corner_lit += px(128 + 35, 128 + 35) == centre;
  }
  EXPECT_GT(frames, 10);
  EXPECT_GT(corner_lit, 0);
  EXPECT_LT(corner_lit, frames);
}

TEST_F(Musi, HandIsPulledToTheCentre) {
  hand_x = 140;
  hand_y = 110;
  for (int i = 0; i < 100; i++) musi_update();
  EXPECT_NEAR(hand_x, 128.0, 0.01);
  EXPECT_NEAR(hand_y, 128.0, 0.01);
  key(SDL_SCANCODE_LEFT, true);
  key(SDL_SCANCODE_DOWN, true);
  for (int i = 0; i < 150; i++) musi_update();
  EXPECT_NEAR(hand_x, 119.0, 0.01);
  EXPECT_NEAR(hand_y, 137.0, 0.01);
}

TEST_F(Musi, FrameTakesSixRandomValuesAndSevenWithAnImage) {
  const int after_54 = scene::rand_after(9 * 6), after_63 = scene::rand_after(9 * 7);
  game_srand(1);
  for (int i = 0; i < 9; i++) draw();
  EXPECT_EQ(game_rand(), after_54) << "no image";

  key(SDL_SCANCODE_SPACE, true);
  musi_update();
  game_srand(1);
  for (int i = 0; i < 9; i++) draw();
  EXPECT_EQ(game_rand(), after_63) << "with an image";
}

}  // namespace

// The scenes' generator is GNU libc's rand(), so that every system shows
// the same frames; checked against the real one here, seeded and not.
TEST(GameRandom, FollowsTheCLibrarysRand) {
  game_random = game_random_seeded(1);
  for (uint32_t seed : {1u, 0u, 7u, 12345u, 0x80000001u, 0xffffffffu}) {
    if (seed != 1) {
      game_srand(seed);
      std::srand(seed);
    }
    for (int i = 0; i < 1000; i++) ASSERT_EQ(game_rand(), std::rand()) << "seed " << seed << ", value " << i;
  }
}
