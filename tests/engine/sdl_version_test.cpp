// The SDL that runs is the one the tree was built against, so a build
// against another SDL never quietly tests the system's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "harness.h"

namespace {

// Directories of the SDL libraries mapped into this process.
std::set<std::string> mapped_sdl_dirs() {
  std::set<std::string> dirs;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const size_t path = line.find('/');
    if (path == std::string::npos) continue;
    const std::string file = line.substr(path);
    const size_t slash = file.rfind('/');
    if (file.compare(slash + 1, 6, "libSDL") == 0) dirs.insert(file.substr(0, slash));
  }
  return dirs;
}

TEST(SdlVersion, RunsTheSdlItWasBuiltAgainst) {
  SDL_version built{}, linked{};
  SDL_VERSION(&built);
  SDL_GetVersion(&linked);
  EXPECT_EQ(SDL_VERSIONNUM(linked.major, linked.minor, linked.patch),
            SDL_VERSIONNUM(built.major, built.minor, built.patch))
      << "running SDL " << +linked.major << '.' << +linked.minor << '.' << +linked.patch;

  // QUONDEL_SDL_DIRS, when set, lists (colon-separated) every directory
  // SDL must be loaded from; sdl2-compat loads SDL 3 by itself at run time.
  const char *expected = std::getenv("QUONDEL_SDL_DIRS");
  if (expected == nullptr || *expected == '\0') return;
  const VYN_Config config = harness::game_config();
  ASSERT_EQ(VYN_Init(&config), 0) << SDL_GetError();
  std::set<std::string> want;
  std::stringstream list(expected);
  for (std::string dir; std::getline(list, dir, ':');) want.insert(dir);
  std::string got;
  for (const auto &dir : mapped_sdl_dirs()) got += dir + ' ';
  EXPECT_EQ(mapped_sdl_dirs(), want) << "SDL loaded from " << got;
  VYN_Quit();
}

}  // namespace
