// The game's own frame loop, measured from outside the engine: the same
// start-up, the same eleven pictures, the same update/draw/present order.
// Only the clock reads after each VYN_DrawEnd, the scripted key presses
// before each VYN_CycleEvents, and the stop after the measured window are
// added. --unpaced runs a copy of the game's configuration with fps 0,
// which gives the CPU cost of one frame with no waiting at all;
// --reduce-flashing plays the game as its option of that name does.
#include <SDL_main.h>

#include <cstdio>
#include <cstring>

#include "game.h"
#include "probe.h"

namespace {

Scene state = Scene::intro;

int init(bool unpaced) {
  VYN_Config config = cfg;
  if (unpaced) config.fps = 0;
  return game_start(config);
}

}  // namespace

int main(int argc, char *argv[]) {
  probe_start();
  // The game's own option; the rest are the probe's.
  int kept = 1;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--reduce-flashing") == 0) {
      reduce_flashing = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  ProbeOptions options{};
  if (!probe_parse(kept, argv, &options)) return 2;
  if (init(options.unpaced) != 0) {
    VYN_Quit();
    std::fputs("init failed\n", stderr);
    return 1;
  }
  probe_resize(options);

  bool running = true;
  int64_t frame = 0;
  while (running) {
    probe_input(options, frame++);
    const bool going = game_frame(state);
    running = probe_frame(options) && going;
  }
  const int result = probe_report(options, options.unpaced ? "game-unpaced" : "game");
  VYN_Quit();
  return result;
}
