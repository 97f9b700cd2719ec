#include <SDL_main.h>

#include <cstdio>

#include "game.h"
#include "platform.h"

namespace {

Scene state = Scene::intro;

// In steps, each a short task where the platform needs them (the web
// page's warning stays answering while the game starts behind it).
int init() {
  if (game_start_engine(cfg) != 0) return 1;
  platform_yield();
  return game_start_pictures();
}

void deinit() { VYN_Quit(); }

}  // namespace

int main(int argc, char *argv[]) {
  const int done = game_options(argc, argv);
  if (done >= 0) return done;
  platform_start();
  if (init() != 0) {
    deinit();
    std::fputs("init failed\n", stderr);
    platform_start_failed();
    return 1;
  }
  // Unless the mode was chosen already, the player reads the warning and
  // chooses before any scene is drawn: on the game's own start screen, or
  // where the system has one (the web page), on that one, answered below.
  if (!flashing_chosen && !platform_asks_player()) {
    const StartChoice choice = start_screen();
    if (choice == StartChoice::quit) {
      deinit();
      return 0;
    }
    reduce_flashing = choice == StartChoice::play_reduced;
  }
  // The first frame is drawn and shown before anything waits for the
  // player. Where the game starts behind a start screen (the web page's
  // warning), the slow first drawing is then over before the player asks
  // to play, and their tap only has to uncover it.
  platform_yield();
  bool going = game_frame(state);
  reduce_flashing = platform_wait_for_player(reduce_flashing);
  while (going && game_frame(state)) {
  }
  deinit();
  return 0;
}
