// Shared by the entry, the two scenes and the tools that run them.
#pragma once

#include "pictures.h"
#include "vyn.h"

// The game's constant start-up record: a 256 x 256 canvas shown at 4:3.
inline constexpr VYN_Config cfg = {256, 256, 30, 16, "Quondel", 1.3333333333333333};

// Scene contract: init resets, update returns non-zero when finished,
// draw renders one frame into the canvas.
void intro_init();
int intro_update();
void intro_draw();

void musi_init();
int musi_update();
void musi_draw();

// Where the game is. Every switch over it names each scene, so a new one
// is a compile error wherever it is not yet handled.
enum class Scene : int32_t { intro, musi, finished };

// One frame's scene work. The update moves to the next scene when the
// current one finishes; the draw, which follows it in the same frame, then
// already belongs to the next scene, and the finishing frame of the last
// scene is still drawn by it.
inline void game_update(Scene &scene) {
  switch (scene) {
    case Scene::intro:
      if (intro_update() != 0) scene = Scene::musi;
      break;
    case Scene::musi:
      if (musi_update() != 0) scene = Scene::finished;
      break;
    case Scene::finished:
      break;
  }
}

inline void game_draw(Scene scene) {
  switch (scene) {
    case Scene::intro:
      intro_draw();
      break;
    case Scene::musi:
    case Scene::finished:
      musi_draw();
      break;
  }
}

// True until the game has ended or its window was asked to close.
inline bool game_running(Scene scene) { return !VYN_ShouldQuit() && scene != Scene::finished; }

// A frame up to its drawn canvas: events, the scene's update, a cleared
// canvas and the scene's draw. The canvas is still the render target after
// it, which is where a tool reads the frame before game_frame_end.
inline void game_frame_draw(Scene &scene) {
  VYN_CycleEvents();
  game_update(scene);
  VYN_DrawBegin();
  game_draw(scene);
}

// The rest of the frame: paced, letterboxed and presented. True while the
// game goes on.
inline bool game_frame_end(Scene scene) {
  VYN_DrawEnd();
  return game_running(scene);
}

// One whole frame of the game; the loop of the game and of every tool that
// plays it. True while the game goes on.
inline bool game_frame(Scene &scene) {
  game_frame_draw(scene);
  return game_frame_end(scene);
}

// Reduced flashing: the scenes change colour, turn and jump only a few
// times a second. Set before game_start, from the command line or the
// environment; off, every frame is the game's usual one.
inline bool reduce_flashing = false;

// True when the environment or the command line chose the mode, either
// one: the player has been warned elsewhere (a launcher's entry, the
// manual) and the game starts without its start screen.
inline bool flashing_chosen = false;

// Reads the environment and the command line (QUONDEL_REDUCE_FLASHING=1,
// --reduce-flashing, --full-flashing, --help, --version): -1 to play,
// otherwise the exit code once the usage, the version or the complaint
// has been written. Reduced flashing wins over full when both are asked.
int game_options(int argc, char *argv[]);

// The start screen: the photosensitivity warning, the controls and the
// two ways to play, "Play" highlighted first. Tab and the buttons' arrows
// move the highlight; Enter or the action button (Space, a controller's
// A) chooses, as does a click on a choice; Escape, a controller's B or
// closing the window quits. Nothing else does anything.
enum class StartChoice : int32_t { waiting, play, play_reduced, quit };
struct StartScreen {
  int32_t highlighted;  // 0 "Play", 1 "Play with reduced flashing"
};
// What one engine event does on the screen: moves its highlight, or
// answers with the player's choice; waiting otherwise.
StartChoice start_screen_input(StartScreen &screen, const VYN_Event &e);
// Shows the screen in the window, still, and waits for the choice; quit
// also when waiting fails. Draws no scene frame and no random number.
StartChoice start_screen();

// Reduced flashing's one gate. Each scene draws a fresh look every frame
// (tints, shake, rocking) and tells its gate when its beat falls: every
// calm_frames-th frame in the intro, on each hop of the figure in the
// second scene, and on a scene's first frame. With reduced flashing the
// look is taken up on a beat only, all of it at once, at most three
// changes a second, so nothing tinted, shaken or turned flashes more than
// once in a second; otherwise on every frame. The random values are
// still drawn every frame, so both modes use the same sequence.
struct FlashGate {
  bool beat;  // the scene's look may change on the next draw
};
inline constexpr uint64_t calm_frames = 10;
inline constexpr FlashGate gate_first_frame = {true};

inline void gate_beat(FlashGate &gate) { gate.beat = true; }

// Whether this draw takes up its fresh look; the beat is spent either way.
inline bool gate_take(FlashGate &gate) {
  const bool take = !reduce_flashing || gate.beat;
  gate.beat = false;
  return take;
}

// Centre of the hand cursor in canvas pixels; the second scene starts
// from wherever the intro left it.
inline double hand_x = 0;
inline double hand_y = 0;

// Start-up of the game and of the tools that run it: the engine from a
// copy of config, the pictures in order (the first failure stops), both
// scenes reset. 0, or 1 on failure; the caller shuts the engine down.
// The game runs the two steps apart where the start-up must come in
// short pieces; game_start runs both.
inline int game_start_engine(VYN_Config config) { return VYN_Init(&config) != 0 ? 1 : 0; }

inline int game_start_pictures() {
  for (const char *file : image_files) {
    if (VYN_ImageLoad(file) < 0) return 1;
  }
  // The open hand is the game's icon everywhere; without it the window
  // keeps the generic one, which is no reason to stop.
  VYN_WindowIcon(image_files[IMG_HANDOPEN]);
  intro_init();
  musi_init();
  return 0;
}

inline int game_start(VYN_Config config) { return game_start_engine(config) != 0 ? 1 : game_start_pictures(); }
