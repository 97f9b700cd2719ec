#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game.h"

namespace {

constexpr const char *usage = "usage: quondel [--reduce-flashing] [--help] [--version]\n";

}  // namespace

// The environment serves launchers that cannot pass arguments; an option
// read later can only add to it.
int game_options(int argc, char *argv[]) {
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
