// Random bytes as a picture file, loaded with VYN_ImageLoad; whatever
// loads is drawn, plain and rotated.
//
// Images cannot be unloaded one by one, so the registry fills after 32
// successful loads. Then the next load must hit the limit, and the harness
// shuts the engine down and starts it again: shutdown empties the
// registry, and the key map, counters and flags it keeps do not matter
// here. Every input therefore goes through the full loading path.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common.h"

namespace {

std::string file;  // res/fuzz.bmp next to the executable
int loaded = 0;    // images in the registry

[[noreturn]] void fail(const char *what) {
  std::fprintf(stderr, "\nfuzz_image: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::start_engine();
  const std::string dir = harness::exe_dir() + "res";
  mkdir(dir.c_str(), 0755);
  file = dir + "/fuzz.bmp";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::FILE *f = std::fopen(file.c_str(), "wb");
  if (f == nullptr || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) fail("cannot write the picture");

  if (loaded == VYN_MAX_IMAGES) {
    if (VYN_ImageLoad("res/fuzz.bmp") != -1) fail("a load beyond the image limit succeeded");
    VYN_Quit();
    fuzz::start_engine();
    loaded = 0;
  }
  const int id = VYN_ImageLoad("res/fuzz.bmp");
  if (id < -1 || id >= VYN_MAX_IMAGES) fail("id outside the registry");
  if (id < 0) return 0;
  if (id != loaded) fail("ids not handed out in order");
  loaded++;

  VYN_DrawBegin();
  VYN_DrawSetColor(1, 1, 1, 0.5f);
  VYN_DrawImage(id, 3, 5);
  const VYN_DrawExOptions o = {0, 0, -1, -1, 1.0, 1.0, 33.0, true, true, false};
  VYN_DrawImageEx(id, 128, 128, &o);
  VYN_DrawTile(id, 0, 0, 0, 0, SDL_FLIP_NONE);
  VYN_DrawEnd();
  return 0;
}
