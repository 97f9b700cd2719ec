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

// True when the browser gives this page WebGL, which SDL's accelerated
// renderer draws with. Asked of a throwaway canvas: the game's own must
// stay free for whichever context SDL makes on it.
EM_JS(int, has_webgl, (), {
  const gl = document.createElement('canvas').getContext('webgl');
  const lose = gl && gl.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();
  return gl ? 1 : 0;
});

// SDL 2.26 measures its window on the canvas's box in CSS pixels. At
// least one pixel each way: SDL's 2D canvas throws on a picture of none,
// which a canvas collapsed for a moment (a layout, a screenshot) would be.
EM_JS(void, measure_canvas_in_device_pixels, (), {
  Module.canvas.getBoundingClientRect = function() {
    const r = HTMLCanvasElement.prototype.getBoundingClientRect.call(this);
    const w = Math.max(1, r.width * devicePixelRatio);
    const h = Math.max(1, r.height * devicePixelRatio);
    return new DOMRect(r.x, r.y, w, h);
  };
});

}  // namespace

// Without WebGL the engine falls back to SDL's software renderer, which
// SDL 2.26 shows on a 2D canvas through a picture the size of its window
// in CSS pixels, while a high-density window's canvas has the device's
// pixels: at a ratio of 2 the game would fill a quarter of it. So here the
// window is made in the device's pixels: SDL measures the canvas in them
// and leaves high density off, the canvas then has as many pixels as the
// screen shows it with, and the letterbox picks its whole-number scale from
// them as it does with WebGL. The game reads no mouse position, which SDL
// would now give in CSS pixels.
void platform_start() {
  if (has_webgl() != 0) return;
  SDL_SetHint(SDL_HINT_VIDEO_HIGHDPI_DISABLED, "1");
  measure_canvas_in_device_pixels();
}

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
