#include <SDL_main.h>

#include <cstdio>

#include "game.h"
#include "platform.h"

namespace {

Scene state = Scene::intro;

int init() { return game_start(cfg); }

void deinit() { VYN_Quit(); }

}  // namespace

int main(int argc, char *argv[]) {
  const int done = game_options(argc, argv);
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
