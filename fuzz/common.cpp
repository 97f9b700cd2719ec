#include "common.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {
void put(std::FILE *f, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) std::fputc(static_cast<int>((v >> (8 * i)) & 0xff), f);
}
}  // namespace

void start_engine() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_RENDER_DRIVER", "software", 1);
  if (harness::start_unpaced() != 0) {
    std::fprintf(stderr, "\nfuzz: engine did not start: %s\n", SDL_GetError());
    std::abort();
  }
}

bool write_bmp(const std::string &path, int w, int h, int bits) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const int bytes = bits / 8;
  const uint32_t pitch = static_cast<uint32_t>((w * bytes + 3) / 4 * 4);
  const uint32_t size = pitch * static_cast<uint32_t>(h);
  std::fputs("BM", f);
  put(f, 54 + size, 4);
  put(f, 0, 4);
  put(f, 54, 4);
  put(f, 40, 4);
  put(f, static_cast<uint32_t>(w), 4);
  put(f, static_cast<uint32_t>(h), 4);
  put(f, 1, 2);
  put(f, static_cast<uint32_t>(bits), 2);
  for (int i = 0; i < 6; i++) put(f, 0, 4);
  for (int y = 0; y < h; y++) {
    for (uint32_t x = 0; x < pitch; x++) put(f, (x * 7 + static_cast<uint32_t>(y) * 13) & 0xff, 1);
  }
  return std::fclose(f) == 0;
}

}  // namespace fuzz
