// The scripted play-through of quondel_frames must reproduce the committed
// golden frames pixel for pixel. A mismatch keeps the new frames and names
// them; when the change is intended, `--target golden-update` refreshes
// the goldens.
#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string fresh_dir() {
  std::string pattern = (fs::temp_directory_path() / "quondel-frames-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// Runs the tool into dir; its exit status, 0 when the script played through.
int run_tool(const std::string &dir, const std::string &option = "") {
  const std::string command = std::string("'") + FRAMES_TOOL + "' " + option + " '" + dir + "' >/dev/null";
  return std::system(command.c_str());
}

std::set<std::string> bmp_names(const std::string &dir) {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".bmp") names.insert(entry.path().filename().string());
  }
  return names;
}

SDL_Surface *load_rgb24(const std::string &path) {
  SDL_Surface *loaded = SDL_LoadBMP(path.c_str());
  if (loaded == nullptr) return nullptr;
  SDL_Surface *s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  return s;
}

// Empty when the two frames are equal, else what differs.
std::string compare(const std::string &golden_path, const std::string &actual_path) {
  SDL_Surface *golden = load_rgb24(golden_path);
  SDL_Surface *actual = load_rgb24(actual_path);
  std::string result;
  if (golden == nullptr || actual == nullptr) {
    result = std::string("cannot read: ") + SDL_GetError();
  } else if (golden->w != actual->w || golden->h != actual->h) {
    result = "expected " + std::to_string(golden->w) + "x" + std::to_string(golden->h) + ", got " +
             std::to_string(actual->w) + "x" + std::to_string(actual->h);
  } else {
    long differing = 0;
    int first_x = -1, first_y = -1;
    for (int y = 0; y < golden->h; y++) {
      const auto *g = static_cast<const uint8_t *>(golden->pixels) + y * golden->pitch;
      const auto *a = static_cast<const uint8_t *>(actual->pixels) + y * actual->pitch;
      for (int x = 0; x < golden->w; x++) {
        if (g[3 * x] == a[3 * x] && g[3 * x + 1] == a[3 * x + 1] && g[3 * x + 2] == a[3 * x + 2]) continue;
        if (differing++ == 0) {
          first_x = x;
          first_y = y;
        }
      }
    }
    if (differing > 0) {
      char text[128];
      std::snprintf(text, sizeof text, "%ld of %d pixels differ, the first at (%d, %d)", differing,
                    golden->w * golden->h, first_x, first_y);
      result = text;
    }
  }
  SDL_FreeSurface(golden);
  SDL_FreeSurface(actual);
  return result;
}

// Both modes: the usual frames, and reduced flashing's beside them.
TEST(GoldenFrames, ScriptedPlayThroughMatchesEveryGolden) {
  for (const std::string mode : {"", "-reduced"}) {
    SCOPED_TRACE(mode.empty() ? "usual" : "reduced flashing");
    const std::string golden_dir = GOLDEN_DIR + mode;
    const std::string dir = fresh_dir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(run_tool(dir, mode.empty() ? "" : "--reduce-flashing"), 0)
        << "quondel_frames failed; its frames are in " << dir;

    const std::set<std::string> expected = bmp_names(golden_dir);
    const std::set<std::string> actual = bmp_names(dir);
    ASSERT_FALSE(expected.empty()) << "no goldens in " << golden_dir;
    EXPECT_EQ(expected, actual) << "the tool's frames and the goldens name different frames";

    bool all_equal = true;
    for (const std::string &name : expected) {
      if (actual.count(name) == 0) continue;
      const std::string diff = compare(golden_dir + "/" + name, dir + "/" + name);
      EXPECT_EQ(diff, "") << name;
      all_equal = all_equal && diff.empty();
    }
    if (all_equal && expected == actual) {
      fs::remove_all(dir);
    } else {
      ADD_FAILURE() << "new frames kept in " << dir
                    << "; if the change is intended: cmake --build <build> --target golden-update";
    }
  }
}

// Two runs give the same bytes: nothing in a frame depends on time, memory
// contents or the environment, which the goldens rely on.
TEST(GoldenFrames, TwoRunsWriteIdenticalFiles) {
  const std::string first = fresh_dir(), second = fresh_dir();
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  ASSERT_EQ(run_tool(first), 0);
  ASSERT_EQ(run_tool(second), 0);
  const std::set<std::string> names = bmp_names(first);
  ASSERT_EQ(names, bmp_names(second));
  for (const std::string &name : names) {
    EXPECT_EQ(compare(first + "/" + name, second + "/" + name), "") << name;
  }
  fs::remove_all(first);
  fs::remove_all(second);
}

}  // namespace
