// Shapes and pictures far beyond any sane size: the engine keeps SDL from
// allocating gigabytes or overflowing, and what lands on the canvas is
// what the shape would have drawn there.
#include <gtest/gtest.h>

#include <fstream>

#include "harness.h"

namespace {

constexpr uint32_t white = 0xffffffffu;
constexpr uint32_t black = 0x000000ffu;

void start() {
  const VYN_Config config = harness::game_config();
  ASSERT_EQ(VYN_Init(&config), 0) << SDL_GetError();
  ASSERT_EQ(VYN_DrawBegin(), 0);
  ASSERT_EQ(VYN_DrawSetColor(1, 1, 1, 1), 0);
}

TEST(FarShapes, LinesBetweenFarPointsDrawTheirVisiblePart) {
  start();
  EXPECT_EQ(VYN_DrawLine(-2000000000, 100, 2000000000, 100), 0);
  EXPECT_EQ(VYN_DrawLine(-1000000000, -1000000000, 1000000000, 1000000000), 0);
  EXPECT_EQ(harness::pixel(0, 100), white);
  EXPECT_EQ(harness::pixel(255, 100), white);
  EXPECT_EQ(harness::pixel(0, 0), white);
  EXPECT_EQ(harness::pixel(128, 128), white);
  EXPECT_EQ(harness::pixel(255, 255), white);
  EXPECT_EQ(harness::pixel(10, 20), black);
  // Entirely outside: nothing drawn, not a failure.
  EXPECT_EQ(VYN_DrawLine(-2147483647 - 1, 300000, 2147483647, 300000), 0);
  VYN_Quit();
}

TEST(FarShapes, RectanglesWhoseEdgesOverflowAreCutNotCrashed) {
  start();
  // y + h leaves the int range, where SDL's own outline arithmetic overflows.
  EXPECT_EQ(VYN_DrawRectangle(false, 46, 2034273943, 1373388140, 2034294950), 0);
  EXPECT_EQ(harness::pixel(46, 255), black);
  // An outline running far below the canvas: its top and sides show.
  EXPECT_EQ(VYN_DrawRectangle(false, 10, 10, 100, 2000000000), 0);
  EXPECT_EQ(harness::pixel(50, 10), white);
  EXPECT_EQ(harness::pixel(10, 200), white);
  EXPECT_EQ(harness::pixel(109, 200), white);
  EXPECT_EQ(harness::pixel(50, 200), black);
  // A fill covering everything.
  EXPECT_EQ(VYN_DrawRectangle(true, -2000000000, -2000000000, 2147483647, 2147483647), 0);
  EXPECT_EQ(harness::pixel(0, 0), white);
  EXPECT_EQ(harness::pixel(255, 255), white);
  VYN_Quit();
}

TEST(FarShapes, RotatedCopiesFarOffTheCanvasAreDroppedNotCrashed) {
  start();
  const int id = VYN_ImageLoad(harness::put_solid_bmp("far_copies.bmp", 32, 32, white).c_str());
  ASSERT_GE(id, 0);
  VYN_DrawExOptions o = {0, 0, -1, -1, 1.0, 1.0, 30.0, true, false, false};
  // Rotated copies near the int limits overflow SDL's rotation arithmetic.
  EXPECT_EQ(VYN_DrawTile(id, 0, 245, -2147483579, 1e30, SDL_FLIP_HORIZONTAL), 0);
  EXPECT_EQ(VYN_DrawTile(id, 0, -2147483579, 5, 30, SDL_FLIP_NONE), 0);
  EXPECT_EQ(VYN_DrawImageEx(id, 245, -2147483579, &o), 0);
  EXPECT_EQ(VYN_DrawImage(id, -2147483579, -2147483579), 0);
  EXPECT_EQ(harness::pixel(245, 0), black);
  // A copy that reaches into the canvas still draws.
  EXPECT_EQ(VYN_DrawImageEx(id, 0, 0, &o), 0);
  EXPECT_EQ(harness::pixel(2, 2), white);
  VYN_Quit();
}

TEST(FarShapes, PictureClaimingAbsurdSizeIsRefusedBeforeLoading) {
  start();
  // 100000 x 100000 at 24 bits would make SDL allocate 30 GB.
  const unsigned char header[54] = {'B', 'M', 0, 0,    0,    0,    0, 0,    0,    0,    54, 0, 0, 0, 40,
                                    0,   0,   0, 0xa0, 0x86, 0x01, 0, 0xa0, 0x86, 0x01, 0,  1, 0, 24};
  std::ofstream(harness::exe_dir() + "absurd.bmp", std::ios::binary)
      .write(reinterpret_cast<const char *>(header), sizeof header);
  // Top-down pictures carry a negative height and must still load.
  ASSERT_TRUE(harness::write_bmp(harness::exe_dir() + "topdown.bmp", 3, 2, std::vector<uint32_t>(6, white)));

  harness::capture_start();
  EXPECT_EQ(VYN_ImageLoad("absurd.bmp"), -1);
  EXPECT_EQ(VYN_ImageLoad("topdown.bmp"), 0);
  EXPECT_EQ(harness::capture_take(), "absurd.bmp: picture too large (100000 x 100000)\n");
  VYN_Quit();
}

}  // namespace
