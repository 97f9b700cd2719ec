// Plays both scenes headless through a fixed script of key presses and
// writes chosen canvas frames as 24-bit BMPs, for the golden-frame tests
// and the README's pictures. The scenes' random numbers (game/random.h)
// start from the same seed in every run, so every run on the software
// renderer gives the same bytes. The game is started through its start
// screen, as a player would: Enter on "Play", or with --reduce-flashing
// Tab and Enter on "Play with reduced flashing". The screen must leave
// the game as if it had not been there: no frame counted, no random
// number drawn.
//
//   quondel_frames [--reduce-flashing] OUTDIR
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game.h"
#include "random.h"

namespace {

struct Key {
  uint32_t frame;  // pushed just before this frame's events are read
  SDL_Scancode scancode;
  bool down;
};

// The drift ends on frame 89. Space held over 100..119 closes the hand;
// its release on 120 starts the second scene. Five presses from 150 on
// show the four inspi images and end the game on frame 230.
constexpr std::array<Key, 18> keys = {{
    {95, SDL_SCANCODE_RIGHT, true},
    {99, SDL_SCANCODE_RIGHT, false},
    {100, SDL_SCANCODE_SPACE, true},
    {120, SDL_SCANCODE_SPACE, false},
    {150, SDL_SCANCODE_SPACE, true},
    {152, SDL_SCANCODE_SPACE, false},
    {170, SDL_SCANCODE_SPACE, true},
    {172, SDL_SCANCODE_SPACE, false},
    {180, SDL_SCANCODE_UP, true},
    {190, SDL_SCANCODE_SPACE, true},
    {192, SDL_SCANCODE_SPACE, false},
    {200, SDL_SCANCODE_UP, false},
    {205, SDL_SCANCODE_LEFT, true},
    {210, SDL_SCANCODE_SPACE, true},
    {212, SDL_SCANCODE_SPACE, false},
    {220, SDL_SCANCODE_LEFT, false},
    {230, SDL_SCANCODE_SPACE, true},
    {231, SDL_SCANCODE_SPACE, false},
}};

struct Shot {
  uint32_t frame;
  const char *name;
};

constexpr std::array<Shot, 9> shots = {{
    {30, "030-intro-drift"},
    {99, "099-intro-control"},
    {115, "115-intro-held"},
    {140, "140-scene2"},
    {155, "155-scene2-inspi0"},
    {175, "175-scene2-inspi1"},
    {195, "195-scene2-inspi2"},
    {215, "215-scene2-inspi3"},
    {230, "230-scene2-last"},
}};

constexpr uint32_t last_frame = 230;

void push_key(const Key &k) {
  SDL_Event ev{};
  ev.type = k.down ? SDL_KEYDOWN : SDL_KEYUP;
  ev.key.state = k.down ? SDL_PRESSED : SDL_RELEASED;
  ev.key.keysym.scancode = k.scancode;
  ev.key.keysym.sym = SDL_GetKeyFromScancode(k.scancode);
  SDL_PushEvent(&ev);
}

// The engine's one window. Its id is not promised to be 1: SDL 3 (under
// sdl2-compat) numbers its displays from the same counter.
SDL_Window *game_window() {
  for (Uint32 id = 1; id < 64; id++) {
    SDL_Window *w = SDL_GetWindowFromID(id);
    if (w != nullptr) return w;
  }
  return nullptr;
}

// The canvas is the render target right after a scene's draw.
bool save_canvas(const std::string &path) {
  SDL_Renderer *renderer = SDL_GetRenderer(game_window());
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(cfg.display_width),
                                                  static_cast<int>(cfg.display_height), 24, SDL_PIXELFORMAT_RGB24);
  if (renderer == nullptr || s == nullptr) {
    SDL_FreeSurface(s);
    return false;
  }
  const bool ok = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB24, s->pixels, s->pitch) == 0 &&
                  SDL_SaveBMP(s, path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

// The start screen answered by keys queued before it waits; the failures.
int choose(bool reduced) {
  if (reduced) push_key({0, SDL_SCANCODE_TAB, true});
  push_key({0, SDL_SCANCODE_RETURN, true});
  const StartChoice want = reduced ? StartChoice::play_reduced : StartChoice::play;
  if (start_screen() != want) {
    std::fputs("the start screen did not answer with the chosen mode\n", stderr);
    return 1;
  }
  reduce_flashing = reduced;
  const GameRandom fresh = game_random_seeded(1);
  if (VYN_GetTick() != 0 || game_random.state != fresh.state || game_random.front != fresh.front) {
    std::fputs("the start screen counted a frame or drew a random number\n", stderr);
    return 1;
  }
  return 0;
}

// Start-up as the game does it, without pacing so the script runs at once.
int init() {
  VYN_Config config = cfg;
  config.fps = 0;
  return game_start(config);
}

// The game's frames with the script's keys and shots in them, up to the
// frame the script should end the game on and no further: a script that
// no longer ends the game fails here instead of playing forever. Returns
// the number of failures.
int play(const std::string &dir) {
  int failures = 0;
  Scene state = Scene::intro;
  uint32_t frame = 0;
  size_t next_key = 0, next_shot = 0;
  for (bool running = true; running && frame <= last_frame; frame++) {
    while (next_key < keys.size() && keys[next_key].frame == frame) push_key(keys[next_key++]);
    game_frame_draw(state);
    if (next_shot < shots.size() && shots[next_shot].frame == frame) {
      const std::string path = dir + "/" + shots[next_shot].name + ".bmp";
      if (save_canvas(path)) {
        std::printf("%s\n", path.c_str());
      } else {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), SDL_GetError());
        failures++;
      }
      next_shot++;
    }
    running = game_frame_end(state);
  }
  if (state != Scene::finished) {
    std::fprintf(stderr, "the game was still running after frame %u, where the script should have ended it\n",
                 static_cast<unsigned>(last_frame));
    failures++;
  } else if (frame != last_frame + 1) {
    std::fprintf(stderr, "the game ended after frame %u, expected frame %u\n", static_cast<unsigned>(frame) - 1,
                 static_cast<unsigned>(last_frame));
    failures++;
  }
  if (next_shot != shots.size()) {
    std::fprintf(stderr, "%zu frames were never reached\n", shots.size() - next_shot);
    failures++;
  }
  return failures;
}

}  // namespace

int main(int argc, char *argv[]) {
  const bool reduced = argc == 3 && std::string(argv[1]) == "--reduce-flashing";
  if (argc != (reduced ? 3 : 2)) {
    std::fputs("usage: quondel_frames [--reduce-flashing] OUTDIR\n", stderr);
    return 2;
  }
  const char *dir = argv[argc - 1];
  // SDL_setenv: the C library of Windows has no setenv.
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
  SDL_setenv("SDL_RENDER_DRIVER", "software", 0);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "%s: %s\n", dir, ec.message().c_str());
    return 1;
  }
  if (init() != 0) {
    VYN_Quit();
    std::fputs("init failed\n", stderr);
    return 1;
  }
  const int failures = choose(reduced) != 0 ? 1 : play(dir);
  VYN_Quit();
  return failures == 0 ? 0 : 1;
}
