// What the page and the running game say to each other.
//
// The page starts the program as soon as its files are in, while the
// player reads the warning, so the slow part of a start (the WebGL
// context, the pictures, the browser's first drawing of the canvas) is
// over before they choose to play; the game waits for that choice after
// its first frame, which the warning covers. Under ASYNCIFY the wait hands
// the browser back its thread.
#include <emscripten.h>

#include <cstdint>

#include "platform.h"
#include "vyn.h"

namespace {

// Resolves with 1 for "Play with reduced flashing", 0 for "Play".
EM_ASYNC_JS(int, wait_for_play, (), { return await Module.quondelWaitForPlay(); });

// The mode the game plays in, as main was told it: what it started with,
// then what the player chose on the start screen.
bool playing_reduced = false;

}  // namespace

void platform_start() {}

// Once the start-up has handed the browser its thread (platform_yield),
// main's own return reaches the page no more: the failure's status is
// given here, for the page to say the game could not start.
void platform_start_failed() { emscripten_force_exit(1); }

bool platform_asks_player() { return true; }

bool platform_wait_for_player(bool reduce) {
  // The page starts the game in the default mode; the first frame, always
  // one of the reduced mode's beats, is the same in both, so the player's
  // choice only has to reach the frames after it.
  playing_reduced = reduce;
  playing_reduced = wait_for_play() != 0;
  return playing_reduced;
}

// Under ASYNCIFY the sleep ends the browser's task here and goes on in a
// new one: the start-up comes in pieces short enough for the page to
// answer between them.
void platform_yield() { emscripten_sleep(0); }

// For the page, its tests and benchmarks: the engine's count of frames
// shown, and whether the game is playing with reduced flashing.
extern "C" uint32_t quondel_frames() { return static_cast<uint32_t>(VYN_GetTick()); }

extern "C" int quondel_reduce_flashing() { return playing_reduced ? 1 : 0; }
