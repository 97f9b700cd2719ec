#include <gtest/gtest.h>

#include "harness.h"

TEST(Smoke, StartsAndClearsTheCanvasBlack) {
  const VYN_Config config = harness::game_config();
  ASSERT_EQ(VYN_Init(&config), 0) << SDL_GetError();
  ASSERT_EQ(VYN_DrawBegin(), 0);
  EXPECT_EQ(harness::pixel(10, 10), 0x000000ffu);
  VYN_Quit();
}
