// Points, lines and rectangles in the current draw colour.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"

namespace {

constexpr uint32_t green = 0x00ff00ffu;
constexpr uint32_t black = 0x000000ffu;

class VynShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(harness::start_unpaced(), 0) << SDL_GetError();
    ASSERT_EQ(VYN_DrawBegin(), 0);
    ASSERT_EQ(VYN_DrawSetColor(0, 1, 0, 1), 0);
  }
  void TearDown() override { VYN_Quit(); }
};

void expect_pixel(int x, int y, uint32_t expected) {
  const uint32_t got = harness::pixel(x, y);
  EXPECT_EQ(got, expected) << "at (" << x << ", " << y << "): expected " << std::hex << expected << ", got " << got;
}

}  // namespace

// Separate coordinate arrays, not pairs from one; up to one point per
// canvas pixel, and one more is refused.
TEST_F(VynShapes, PointsTakeSeparateArraysUpToOnePerCanvasPixel) {
  const int two_xs[] = {3, 40};
  const int two_ys[] = {7, 50};
  ASSERT_EQ(VYN_DrawPoints(two_xs, two_ys, 2), 0);
  expect_pixel(3, 7, green);
  expect_pixel(40, 50, green);
  expect_pixel(7, 3, black);
  expect_pixel(3, 40, black);

  ASSERT_EQ(VYN_DrawPoint(100, 101), 0);
  expect_pixel(100, 101, green);
  expect_pixel(101, 100, black);

  harness::capture_start();
  EXPECT_EQ(VYN_DrawPoints(nullptr, two_ys, 2), -1);
  EXPECT_EQ(harness::capture_take(), "xs or ys is NULL\n");

  std::vector<int> xs, ys;
  for (int y = 0; y < 256; y++) {
    for (int x = 0; x < 256; x++) {
      xs.push_back(x);
      ys.push_back(y);
    }
  }
  ASSERT_EQ(VYN_DrawPoints(xs.data(), ys.data(), 65536), 0);
  expect_pixel(0, 0, green);
  expect_pixel(255, 0, green);
  expect_pixel(0, 255, green);
  expect_pixel(255, 255, green);

  xs.push_back(0);
  ys.push_back(0);
  harness::capture_start();
  const int result = VYN_DrawPoints(xs.data(), ys.data(), 65537);
  EXPECT_EQ(harness::capture_take(), "65537 > 65536\n");
  EXPECT_EQ(result, -1);
}

// Lines include both ends; outlines and fills cover exactly w x h.
TEST_F(VynShapes, LinesAndRectanglesCoverTheirEdgesExactly) {
  ASSERT_EQ(VYN_DrawLine(10, 20, 20, 20), 0);
  expect_pixel(9, 20, black);
  expect_pixel(10, 20, green);
  expect_pixel(15, 20, green);
  expect_pixel(20, 20, green);
  expect_pixel(21, 20, black);
  expect_pixel(15, 21, black);

  ASSERT_EQ(VYN_DrawRectangle(false, 30, 30, 10, 5), 0);
  expect_pixel(30, 30, green);
  expect_pixel(39, 34, green);
  expect_pixel(35, 32, black);
  expect_pixel(40, 30, black);
  expect_pixel(30, 35, black);

  ASSERT_EQ(VYN_DrawRectangle(true, 60, 60, 10, 5), 0);
  expect_pixel(65, 62, green);
  expect_pixel(69, 64, green);
  expect_pixel(70, 62, black);
  expect_pixel(65, 65, black);
}

// DrawBegin sets SDL's colour to opaque black without touching the stored
// colour, so clears and shapes are black until a colour is set again.
TEST_F(VynShapes, DrawBeginResetsTheShapeColourToBlack) {
  ASSERT_EQ(VYN_DrawClear(), 0);
  expect_pixel(0, 0, green);
  ASSERT_EQ(VYN_DrawBegin(), 0);
  ASSERT_EQ(VYN_DrawClear(), 0);
  expect_pixel(0, 0, black);
}
