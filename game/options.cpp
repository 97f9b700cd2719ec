#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game.h"

namespace {

constexpr const char *usage = "usage: quondel [--reduce-flashing] [--full-flashing] [--help] [--version]\n";
// What --help adds to the usage: one line per option, then where the rest
// is (controls, the environment, the warning). A mistyped option gets
// only the usage and a pointer here, so the error stays in view.
constexpr const char *options =
    "  --reduce-flashing  play with calmer changes of colour and shape\n"
    "  --full-flashing    play with full flashing\n"
    "  --help             print this help and exit\n"
    "  --version          print the name and version and exit\n"
    "QUONDEL_REDUCE_FLASHING=1 in the environment also reduces flashing.\n"
    "Given no mode, the game first shows the warning and asks; given both, reduced wins.\n"
    "Controls, exit status and the photosensitivity warning: see quondel(6).\n";

}  // namespace

// The environment serves launchers that cannot pass arguments; an option
// read later can only add to it. Asked for both, the calmer mode is the
// safe one to keep.
int game_options(int argc, char *argv[]) {
  const char *env = std::getenv("QUONDEL_REDUCE_FLASHING");
  if (env != nullptr && std::strcmp(env, "1") == 0) reduce_flashing = true;
  bool full = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--reduce-flashing") == 0) {
      reduce_flashing = true;
    } else if (std::strcmp(argv[i], "--full-flashing") == 0) {
      full = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::printf("%s%s", usage, options);
      return 0;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("quondel " QUONDEL_VERSION "\n", stdout);
      return 0;
    } else {
      std::fprintf(stderr, "quondel: unknown option '%s'\n%sTry 'quondel --help' for more information.\n", argv[i],
                   usage);
      return 2;
    }
  }
  flashing_chosen = reduce_flashing || full;
  return -1;
}
