// The image registry: ids, paths, failures and shutdown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "harness.h"

namespace {

class VynRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    const VYN_Config c = harness::game_config();
    ASSERT_EQ(VYN_Init(&c), 0) << SDL_GetError();
    // Tests run in parallel processes: every file name is the test's own.
    name = std::string("registry_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
    ASSERT_FALSE(harness::put_solid_bmp(name, 3, 2, 0xffffffffu).empty());
  }
  void TearDown() override {
    if (!quit) VYN_Quit();
    std::remove((harness::exe_dir() + name).c_str());
  }
  // Shuts the engine down and returns what it wrote.
  std::string quit_output() {
    harness::capture_start();
    VYN_Quit();
    quit = true;
    return harness::capture_take();
  }
  std::string name;
  bool quit = false;
};

// What SDL reports for a file it cannot open, next to the executable.
std::string open_failure(const std::string &missing) {
  SDL_ClearError();
  EXPECT_EQ(SDL_RWFromFile((harness::exe_dir() + missing).c_str(), "rb"), nullptr);
  return SDL_GetError();
}

}  // namespace

TEST_F(VynRegistry, IdsFollowLoadOrderAndAMissingFileKeepsItsSlotFree) {
  const std::string missing = "registry_no_such_picture.bmp";
  const std::string reason = open_failure(missing);

  harness::capture_start();
  const int id = VYN_ImageLoad(missing.c_str());
  EXPECT_EQ(harness::capture_take(), missing + ": " + reason + "\n");
  EXPECT_EQ(id, -1);
  EXPECT_EQ(reason.find("Parameter"), std::string::npos) << "reason lost: " << reason;

  for (int expected = 0; expected < 3; expected++) EXPECT_EQ(VYN_ImageLoad(name.c_str()), expected);
  EXPECT_EQ(quit_output(), "destroyed image 0\ndestroyed image 1\ndestroyed image 2\n");
}

// The icon is read like a picture but takes no slot; a missing one is
// one line and a -1, nothing more.
TEST_F(VynRegistry, WindowIconTakesNoSlotAndAMissingOneIsOneLine) {
  harness::capture_start();
  EXPECT_EQ(VYN_WindowIcon(name.c_str()), 0);
  EXPECT_EQ(harness::capture_take(), "");
  EXPECT_EQ(VYN_ImageLoad(name.c_str()), 0);

  const std::string missing = "registry_no_such_icon.bmp";
  harness::capture_start();
  EXPECT_EQ(VYN_WindowIcon(missing.c_str()), -1);
  EXPECT_EQ(harness::capture_take(), "window icon " + missing + ": " + open_failure(missing) + "\n");
}

TEST_F(VynRegistry, ThirtyThirdLoadReachesTheLimitAndShutdownGoesInSlotOrder) {
  for (int expected = 0; expected < VYN_MAX_IMAGES; expected++) ASSERT_EQ(VYN_ImageLoad(name.c_str()), expected);
  harness::capture_start();
  const int id = VYN_ImageLoad(name.c_str());
  EXPECT_EQ(harness::capture_take(), "reached image limit (32)\n");
  EXPECT_EQ(id, -1);

  std::string expected;
  for (int i = 0; i < VYN_MAX_IMAGES; i++) expected += "destroyed image " + std::to_string(i) + "\n";
  EXPECT_EQ(quit_output(), expected);
}

// Sizes are judged from the header before SDL allocates for them: the old
// 12-byte header's 16-bit sizes are read as such, so a small picture in it
// loads, and a top-down (negative) height beyond the limit is refused as
// a bottom-up one is.
TEST_F(VynRegistry, OldHeaderLoadsAndAnAbsurdTopDownHeightIsRefused) {
  const auto put = [](const std::string &file, const std::string &header, size_t data) {
    std::ofstream out(harness::exe_dir() + file, std::ios::binary);
    out << "BM" << header << std::string(data, '\x7f');
    return static_cast<bool>(out);
  };
  const auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; i++) s.push_back(static_cast<char>(v >> (8 * i) & 0xff));
    return s;
  };
  // 3 x 2 at 24 bits: rows of 9 bytes padded to 12.
  const std::string old_header = "registry_os2.bmp", top_down = "registry_top_down.bmp";
  ASSERT_TRUE(
      put(old_header, le(50, 4) + le(0, 4) + le(26, 4) + le(12, 4) + le(3, 2) + le(2, 2) + le(1, 2) + le(24, 2), 24));
  ASSERT_TRUE(put(top_down,
                  le(70, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(2, 4) + le(static_cast<uint32_t>(-100000), 4) +
                      le(1, 2) + le(32, 2) + std::string(24, '\0'),
                  16));
  harness::capture_start();
  EXPECT_EQ(VYN_ImageLoad(old_header.c_str()), 0);
  EXPECT_EQ(VYN_ImageLoad(top_down.c_str()), -1);
  EXPECT_EQ(harness::capture_take(), top_down + ": picture too large (2 x -100000)\n");
  std::remove((harness::exe_dir() + old_header).c_str());
  std::remove((harness::exe_dir() + top_down).c_str());
}

// A null path is refused by the prefix alone, and by a load with the
// prefix's line and its own, without taking a slot.
TEST_F(VynRegistry, PathPrefixJoinsTheExecutablesDirectoryAndRefusesNull) {
  char *full = VYN_PathPrefix("res/stamp.bmp");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(std::string(full), harness::exe_dir() + "res/stamp.bmp");
  std::free(full);

  harness::capture_start();
  EXPECT_EQ(VYN_PathPrefix(nullptr), nullptr);
  EXPECT_EQ(harness::capture_take(), "path is NULL\n");
  harness::capture_start();
  EXPECT_EQ(VYN_ImageLoad(nullptr), -1);
  EXPECT_EQ(harness::capture_take(), "path is NULL\nVYN_PathPrefix failed\n");
  EXPECT_EQ(VYN_ImageLoad(name.c_str()), 0);
}

// Before start-up there is no base path: the relative path comes back as a
// copy, after a message that deliberately has no line break.
TEST(VynRegistryBeforeInit, PathPrefixWithoutBasePathCopiesThePath) {
  harness::capture_start();
  char *copy = VYN_PathPrefix("res/stamp.bmp");
  EXPECT_EQ(harness::capture_take(), "basepath is NULL");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "res/stamp.bmp");
  std::free(copy);
}
