#include "scene_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace scene {

namespace {

bool square(const std::string &name, int w, int h, uint32_t colour) {
  // Tests of this executable run as parallel processes: write aside, then
  // rename, so no process ever loads a half-written file.
  const std::string dir = harness::exe_dir() + "res/";
  mkdir(dir.c_str(), 0755);
  const std::string tmp = dir + name + "." + std::to_string(getpid()) + ".tmp";
  if (!harness::write_bmp(tmp, w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), colour))) return false;
  return std::rename(tmp.c_str(), (dir + name).c_str()) == 0;
}

}  // namespace

bool write_pictures() {
  bool ok = square("handopen.bmp", 6, 6, HAND_OPEN);
  ok = ok && square("handclose.bmp", 6, 6, HAND_CLOSE);
  ok = ok && square("stamp.bmp", 20, 20, STAMP);
  ok = ok && square("bloody.bmp", 4, 4, BLOODY);
  ok = ok && square("bottomtext.bmp", 32, 8, 0xffffffff);
  ok = ok && square("toptext.bmp", 32, 8, 0xffffffff);
  ok = ok && square("wildass.bmp", FIGURE_SIZE, FIGURE_SIZE, 0xffffffff);
  for (int i = 0; i < 4 && ok; i++) {
    ok = square("inspi" + std::to_string(i) + ".bmp", INSPI_SIZES[i], INSPI_SIZES[i], 0xffffffff);
  }
  return ok;
}

bool start() {
  if (!write_pictures()) {
    ADD_FAILURE() << "could not write the stand-in pictures";
    return false;
  }
  const VYN_Config config = harness::game_config();
  if (VYN_Init(&config) != 0) {
    ADD_FAILURE() << "VYN_Init failed: " << SDL_GetError();
    return false;
  }
  static constexpr std::array<const char *, 11> files = {
      "res/handopen.bmp",   "res/handclose.bmp", "res/stamp.bmp",   "res/bloody.bmp",
      "res/bottomtext.bmp", "res/toptext.bmp",   "res/wildass.bmp", "res/inspi0.bmp",
      "res/inspi1.bmp",     "res/inspi2.bmp",    "res/inspi3.bmp",
  };
  for (int i = 0; i < static_cast<int>(files.size()); i++) {
    const int id = VYN_ImageLoad(files[i]);
    if (id != i) {
      ADD_FAILURE() << "expected id " << i << " for " << files[i] << ", got " << id;
      return false;
    }
  }
  return true;
}

void key(SDL_Scancode code, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = 0;
  e.key.keysym.scancode = code;
  SDL_PushEvent(&e);
  VYN_CycleEvents();
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
