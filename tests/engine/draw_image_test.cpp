// Image drawing into the canvas: placement, clipping, modulation, flips,
// tiles and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"

namespace {

constexpr uint32_t white = 0xffffffffu;
constexpr uint32_t red = 0xff0000ffu;
constexpr uint32_t blue = 0x0000ffffu;
constexpr uint32_t black = 0x000000ffu;
constexpr uint32_t clear = 0x00000000u;

// Engine started, a frame begun: pixels are read from the canvas.
class VynDrawImage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
    ASSERT_EQ(VYN_DrawBegin(), 0);
  }
  void TearDown() override {
    VYN_Quit();
    for (const std::string &f : files) std::remove((harness::exe_dir() + f).c_str());
  }
  // Writes and loads a picture named after the test; its id.
  int load(int w, int h, const std::vector<uint32_t> &rgba) {
    const std::string name = std::string("draw_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                             "_" + std::to_string(files.size()) + ".bmp";
    files.push_back(name);
    if (harness::put_bmp(name, w, h, rgba).empty()) return -1;
    return VYN_ImageLoad(name.c_str());
  }
  int load_solid(int w, int h, uint32_t rgba) {
    return load(w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), rgba));
  }
  std::vector<std::string> files;
};

VYN_DrawExOptions plain() { return VYN_DrawExOptions{0, 0, -1, -1, 1.0, 1.0, 0.0, false, false, false}; }

// Pixels set (true) or left black along a row of the canvas, from x0 on.
void expect_row(int y, int x0, const std::vector<bool> &set) {
  for (size_t i = 0; i < set.size(); i++) {
    const int x = x0 + static_cast<int>(i);
    EXPECT_EQ(harness::pixel(x, y) != black, set[i]) << "at (" << x << ", " << y << ")";
  }
}

}  // namespace

// ---- Placement and alpha -----------------------------------------------

TEST_F(VynDrawImage, WholeImageAtItsTopLeftHonoursTheFilesAlpha) {
  const int id = load(4, 2, {white, white, clear, clear, white, white, clear, clear});
  ASSERT_EQ(id, 0);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  ASSERT_EQ(VYN_DrawImage(id, 10, 20), 0);
  expect_row(20, 9, {false, true, true, false, false});
  expect_row(21, 9, {false, true, true, false, false});
  expect_row(22, 9, {false, false, false, false, false});
}

// The stored colour starts as (0, 0, 0, 0), then modulates the image:
// red keeps only red, alpha 51 shows about a fifth.
TEST_F(VynDrawImage, ColourModulatesTheImageAndStartsFullyTransparent) {
  const int id = load_solid(4, 4, white);
  ASSERT_EQ(VYN_DrawImage(id, 0, 0), 0);
  EXPECT_EQ(harness::pixel(1, 1), black) << "drawn before the first colour";
  ASSERT_EQ(VYN_DrawSetColor(1, 0, 0, 1), 0);
  ASSERT_EQ(VYN_DrawImage(id, 0, 0), 0);
  EXPECT_EQ(harness::pixel(1, 1), red);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 0.2f), 0);
  ASSERT_EQ(VYN_DrawImage(id, 10, 10), 0);
  const uint32_t r = harness::pixel(12, 12) >> 24;
  EXPECT_GE(r, 45u) << "expected about 51, got " << r;
  EXPECT_LE(r, 57u) << "expected about 51, got " << r;
}

TEST_F(VynDrawImage, CentringTruncatesTowardZero) {
  const int id = load_solid(5, 3, white);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  VYN_DrawExOptions o = plain();
  o.center = true;
  // (100 - 2.5, 100 - 1.5) truncates to (97, 98).
  ASSERT_EQ(VYN_DrawImageEx(id, 100, 100, &o), 0);
  expect_row(98, 96, {false, true, true, true, true, true, false});
  expect_row(100, 96, {false, true, true, true, true, true, false});
  expect_row(97, 97, {false});
  expect_row(101, 97, {false});
  // (1 - 2.5, 1 - 1.5) truncates to (-1, 0), not down to (-2, -1).
  ASSERT_EQ(VYN_DrawImageEx(id, 1, 1, &o), 0);
  expect_row(0, 0, {true, true, true, true, false});
  expect_row(2, 0, {true, true, true, true, false});
  expect_row(3, 0, {false});
}

// ---- Sub-rectangles ----------------------------------------------------

TEST_F(VynDrawImage, SourceBeyondTheImageIsClippedWithoutTheScale) {
  const int id = load_solid(40, 2, white);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  VYN_DrawExOptions o = plain();
  o.scale_x = 2.0;
  ASSERT_EQ(VYN_DrawImageEx(id, 0, 0, &o), 0);  // whole width, scaled: 80
  expect_row(0, 78, {true, true, false});
  o.src_w = 100;  // clipped to 40, and the destination to 40 as well
  ASSERT_EQ(VYN_DrawImageEx(id, 0, 10, &o), 0);
  expect_row(10, 38, {true, true, false});
  o.scale_x = 1.0;
  o.src_x = 10;  // 10 + 100 > 40: 30 wide
  ASSERT_EQ(VYN_DrawImageEx(id, 0, 20, &o), 0);
  expect_row(20, 28, {true, true, false});
}

TEST_F(VynDrawImage, FlipsMirrorTheImage) {
  const int wide = load(2, 1, {red, blue});
  const int tall = load(1, 2, {red, blue});
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  VYN_DrawExOptions o = plain();
  ASSERT_EQ(VYN_DrawImageEx(wide, 0, 0, &o), 0);
  o.flip_h = true;
  ASSERT_EQ(VYN_DrawImageEx(wide, 0, 5, &o), 0);
  o.flip_h = false;
  o.flip_v = true;
  ASSERT_EQ(VYN_DrawImageEx(tall, 10, 0, &o), 0);
  EXPECT_EQ(harness::pixel(0, 0), red);
  EXPECT_EQ(harness::pixel(1, 0), blue);
  EXPECT_EQ(harness::pixel(0, 5), blue);
  EXPECT_EQ(harness::pixel(1, 5), red);
  EXPECT_EQ(harness::pixel(10, 0), blue);
  EXPECT_EQ(harness::pixel(10, 1), red);
}

TEST_F(VynDrawImage, TilesAreNumberedRowByRow) {
  // A 64 x 32 sheet of 16 px tiles; tile t has red 20 * (t + 1).
  std::vector<uint32_t> sheet(64 * 32);
  for (int y = 0; y < 32; y++) {
    for (int x = 0; x < 64; x++) {
      const uint32_t t = static_cast<uint32_t>(y / 16 * 4 + x / 16);
      sheet[static_cast<size_t>(y * 64 + x)] = (20 * (t + 1)) << 24 | 0xff;
    }
  }
  const int id = load(64, 32, sheet);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  // Tile 3 ends the first row (column 3, row 0), tile 6 is in the last row
  // (column 2, row 1): a column taken for a row, or the other way round,
  // shows another tile or none.
  ASSERT_EQ(VYN_DrawTile(id, 3, 100, 100, 0, SDL_FLIP_NONE), 0);
  ASSERT_EQ(VYN_DrawTile(id, 6, 140, 100, 0, SDL_FLIP_NONE), 0);
  const uint32_t tile3 = 80u << 24 | 0xff, tile6 = 140u << 24 | 0xff;
  EXPECT_EQ(harness::pixel(100, 100), tile3);
  EXPECT_EQ(harness::pixel(115, 115), tile3);
  EXPECT_EQ(harness::pixel(116, 100), black);
  EXPECT_EQ(harness::pixel(100, 116), black);
  EXPECT_EQ(harness::pixel(140, 100), tile6);
  EXPECT_EQ(harness::pixel(155, 115), tile6);

  harness::capture_start();
  EXPECT_EQ(VYN_DrawTile(id, 8, 0, 0, 0, SDL_FLIP_NONE), -1);
  EXPECT_EQ(VYN_DrawTile(id, -1, 0, 0, 0, SDL_FLIP_NONE), -1);
  // SDL's rotation crashes on these rather than failing.
  EXPECT_EQ(VYN_DrawTile(id, 7, 216, 16, -HUGE_VAL, SDL_FLIP_NONE), -1);
  EXPECT_EQ(VYN_DrawTile(id, 7, 216, 16, NAN, SDL_FLIP_NONE), -1);
  EXPECT_EQ(harness::capture_take(),
            "tile exceeds boundaries\ntile is negative\nangle out of range\nangle out of range\n");
}

// ---- Refusals ----------------------------------------------------------

TEST_F(VynDrawImage, BadIdsAreRefused) {
  ASSERT_EQ(load_solid(2, 2, white), 0);
  const VYN_DrawExOptions o = plain();
  harness::capture_start();
  EXPECT_EQ(VYN_DrawTile(-1, 0, 0, 0, 0, SDL_FLIP_NONE), -1);
  EXPECT_EQ(VYN_DrawImage(-1, 0, 0), -1);
  EXPECT_EQ(VYN_DrawImageEx(-1, 0, 0, &o), -1);
  EXPECT_EQ(VYN_DrawImage(1, 0, 0), -1);
  EXPECT_EQ(VYN_DrawImageEx(31, 0, 0, &o), -1);
  EXPECT_EQ(VYN_DrawTile(32, 0, 0, 0, 0, SDL_FLIP_NONE), -1);
  EXPECT_EQ(harness::capture_take(),
            "id is negativeid is negative\nid is negative\n"
            "no image with id 1\nno image with id 31\nno image with id 32\n");
}

TEST_F(VynDrawImage, BadOptionsAreRefusedAndDrawNothing) {
  const int id = load_solid(8, 8, white);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
  struct Case {
    VYN_DrawExOptions o;
    const char *line;
  };
  const double nan = std::nan("");
  const Case cases[] = {
      {{-1, 0, -1, -1, 1, 1, 0, false, false, false}, "src_x is negative\n"},
      {{0, -3, -1, -1, 1, 1, 0, false, false, false}, "src_y is negative\n"},
      {{0, 0, -1, -1, nan, 1, 0, false, false, false}, "draw options out of range\n"},
      {{0, 0, -1, -1, 1, HUGE_VAL, 0, true, false, false}, "draw options out of range\n"},
      {{0, 0, -1, -1, 1e10, 1, 0, false, false, false}, "draw options out of range\n"},
      {{0, 0, -1, -1, 1, 1, nan, false, false, false}, "draw options out of range\n"},
  };
  for (const Case &c : cases) {
    harness::capture_start();
    const int result = VYN_DrawImageEx(id, 10, 10, &c.o);
    EXPECT_EQ(harness::capture_take(), c.line);
    EXPECT_EQ(result, -1) << c.line;
  }
  harness::capture_start();
  EXPECT_EQ(VYN_DrawImageEx(id, 10, 10, nullptr), -1);
  EXPECT_EQ(harness::capture_take(), "options is NULL\n");
  EXPECT_EQ(harness::pixel(12, 12), black) << "a refused draw drew";
}
