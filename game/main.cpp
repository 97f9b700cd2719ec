#include <SDL_main.h>

#include <cstdio>

#include "game.h"
#include "platform.h"

namespace {

int32_t state = 0;  // 0 intro, 1 second scene, 2 finished

int init() { return game_start(cfg); }

void deinit() { VYN_Quit(); }

}  // namespace

int main(int argc, char *argv[]) {
  (void)argc;
  (void)argv;
  platform_start();
  if (init() != 0) {
    deinit();
    std::fputs("init failed\n", stderr);
    return 1;
  }
  while (!VYN_ShouldQuit() && state <= 1) {
    VYN_CycleEvents();
    game_update(state);
    VYN_DrawBegin();
    game_draw(state);
    VYN_DrawEnd();
  }
  deinit();
  return 0;
}
