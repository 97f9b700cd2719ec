// The loop a tutorial would write for the same job, to compare against:
// SDL scales the canvas with a logical size and whole-number scaling, and
// every frame is followed by a plain SDL_Delay(33).
//
// Shared with the game, so that only the end of the frame differs: start-up
// (window, renderer, canvas and the eleven pictures, through VYN_Init with
// pacing off and VYN_ImageLoad), the event pump (VYN_CycleEvents, which
// feeds the scenes' buttons), both scenes' updates and draws, and
// VYN_DrawBegin, which with pacing off only targets and clears the canvas.
// Not shared: the letterbox, the present and the wait, written here with
// plain SDL calls. The engine's frame counter only advances in
// VYN_DrawEnd, which this loop never calls, so the scenes' wobble angle
// stays 0 here; the pictures drawn, their sizes and blending are the same.
#include <SDL_main.h>

#include <cstdio>

#include "game.h"
#include "probe.h"

namespace {

Scene state = Scene::intro;

int init() {
  VYN_Config config = cfg;
  config.fps = 0;
  return game_start(config);
}

}  // namespace

int main(int argc, char *argv[]) {
  probe_start();
  ProbeOptions options{};
  if (!probe_parse(argc, argv, &options)) return 2;
  if (options.unpaced) {
    std::fputs("bench_naive has no unpaced mode\n", stderr);
    return 2;
  }
  if (init() != 0) {
    VYN_Quit();
    std::fputs("init failed\n", stderr);
    return 1;
  }
  SDL_Renderer *renderer = SDL_GetRenderer(probe_window());
  if (renderer == nullptr) {
    std::fprintf(stderr, "no renderer: %s\n", SDL_GetError());
    VYN_Quit();
    return 1;
  }
  SDL_RenderSetLogicalSize(renderer, 341, 256);
  SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
  probe_resize(options);

  bool running = true;
  int64_t frame = 0;
  while (running) {
    probe_input(options, frame++);
    game_frame_draw(state);
    SDL_Texture *canvas = SDL_GetRenderTarget(renderer);
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, canvas, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    running = probe_frame(options) && game_running(state);
    SDL_Delay(33);
  }
  const int result = probe_report(options, "naive");
  VYN_Quit();
  return result;
}
