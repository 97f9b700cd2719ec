#include <SDL_main.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game.h"
#include "platform.h"

namespace {

Scene state = Scene::intro;

int init() { return game_start(cfg); }

void deinit() { VYN_Quit(); }

constexpr const char *usage = "usage: quondel [--reduce-flashing] [--help] [--version]\n";

// Reads the environment and the options: -1 to play, otherwise the exit
// code once the usage, the version or the complaint has been written.
// The environment serves launchers that cannot pass arguments.
int read_options(int argc, char *argv[]) {
  const char *env = std::getenv("QUONDEL_REDUCE_FLASHING");
  if (env != nullptr && std::strcmp(env, "1") == 0) reduce_flashing = true;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--reduce-flashing") == 0) {
      reduce_flashing = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(usage, stdout);
      return 0;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("quondel " QUONDEL_VERSION "\n", stdout);
      return 0;
    } else {
      std::fprintf(stderr, "quondel: unknown option '%s'\n%s", argv[i], usage);
      return 2;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char *argv[]) {
  const int done = read_options(argc, argv);
  if (done >= 0) return done;
  platform_start();
  if (init() != 0) {
    deinit();
    std::fputs("init failed\n", stderr);
    return 1;
  }
  while (game_frame(state)) {
  }
  deinit();
  return 0;
}
