#include "scene_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "random.h"

namespace scene {

namespace {

// file is relative to dir, as the game names it relative to its own.
bool square(const std::string &dir, const std::string &file, int w, int h, uint32_t colour) {
  // Tests of one executable run as parallel processes: write aside, then
  // rename, so no process ever loads a half-written file.
  mkdir((dir + "res").c_str(), 0755);
  const std::string path = dir + file;
  const std::string tmp = path + "." + std::to_string(getpid()) + ".tmp";
  if (!harness::write_bmp(tmp, w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), colour))) return false;
  return std::rename(tmp.c_str(), path.c_str()) == 0;
}

struct StandIn {
  int w, h;
  uint32_t colour;
};

StandIn stand_in(int id) {
  switch (id) {
    case IMG_HANDOPEN:
      return {6, 6, HAND_OPEN};
    case IMG_HANDCLOSE:
      return {6, 6, HAND_CLOSE};
    case IMG_STAMP:
      return {20, 20, STAMP};
    case IMG_BLOODY:
      return {4, 4, BLOODY};
    case IMG_BOTTOMTEXT:
    case IMG_TOPTEXT:
      return {32, 8, 0xffffffff};
    case IMG_WILDASS:
      return {FIGURE_SIZE, FIGURE_SIZE, 0xffffffff};
    case IMG_INSPI0:
    case IMG_INSPI1:
    case IMG_INSPI2:
    case IMG_INSPI3:
      return {INSPI_SIZES[id - IMG_INSPI0], INSPI_SIZES[id - IMG_INSPI0], 0xffffffff};
    default:
      return {8, 8, 0x808080ff};
  }
}

}  // namespace

bool write_pictures(const std::string &dir) {
  for (int id = 0; id < IMG_COUNT; id++) {
    const StandIn s = stand_in(id);
    if (!square(dir, image_files[static_cast<size_t>(id)], s.w, s.h, s.colour)) return false;
  }
  return true;
}

bool start() {
  if (!write_pictures(harness::exe_dir())) {
    ADD_FAILURE() << "could not write the stand-in pictures";
    return false;
  }
  const VYN_Config config = harness::game_config();
  if (VYN_Init(&config) != 0) {
    ADD_FAILURE() << "VYN_Init failed: " << SDL_GetError();
    return false;
  }
  for (int i = 0; i < IMG_COUNT; i++) {
    const char *file = image_files[static_cast<size_t>(i)];
    const int id = VYN_ImageLoad(file);
    if (id != i) {
      ADD_FAILURE() << "expected id " << i << " for " << file << ", got " << id;
      return false;
    }
  }
  return true;
}

void key(SDL_Scancode code, bool down) {
  harness::push_key(code, down);
  VYN_CycleEvents();
}

int rand_after(int n) {
  game_srand(1);
  for (int i = 0; i < n; i++) game_rand();
  return game_rand();
}

Box find(uint32_t colour) {
  std::vector<uint32_t> all(256 * 256);
  SDL_RenderReadPixels(harness::renderer(), nullptr, SDL_PIXELFORMAT_RGBA8888, all.data(), 256 * 4);
  Box b = {256, 256, -1, -1};
  for (int y = 0; y < 256; y++) {
    for (int x = 0; x < 256; x++) {
      if (all[static_cast<size_t>(y * 256 + x)] != colour) continue;
      b.x0 = std::min(b.x0, x);
      b.y0 = std::min(b.y0, y);
      b.x1 = std::max(b.x1, x);
      b.y1 = std::max(b.y1, y);
    }
  }
  return b;
}

}  // namespace scene
