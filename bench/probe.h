// Instrumentation shared by the benchmark programs. Everything here looks
// at the game from outside the engine: clocks read after a frame has been
// presented, the process's own CPU and memory counters, and key presses
// pushed into SDL's queue the way a player's would arrive.
#pragma once

#include <SDL.h>

#include <cstdint>

// Run options, parsed from the command line:
//   --seconds S        measured run length after the warm-up (default 5)
//   --frames N         measured frame count instead of a duration
//   --warmup-frames N  frames left out of every figure but start-up (30)
//   --size WxH         window size set right after start-up
//   --unpaced          fps 0: the engine never waits (bench_game only)
//   --intervals FILE   raw present-to-present intervals in ms, one a line
//   --input script|none  scripted key presses (default) or none
struct ProbeOptions {
  double seconds;
  int64_t frames;
  int64_t warmup_frames;
  int width, height;  // 0: leave the window as created
  bool unpaced;
  const char *intervals;
  bool scripted_input;
};

// Parses argv; false with a usage line on stderr for anything unknown.
bool probe_parse(int argc, char *argv[], ProbeOptions *options);
// Marks the start of main(); start-up is also measured from the time the
// launching shell stored in BENCH_T0 (seconds since the epoch), if set.
void probe_start();
// The window the engine created (SDL's only window), or null.
SDL_Window *probe_window();
// Applies --size to the engine's window.
void probe_resize(const ProbeOptions &options);
// Pushes the scripted key presses due before frame `frame` (0-based):
// the intro's drift, a held action key, then four separate presses in
// the second scene, never the fifth that would end the game.
void probe_input(const ProbeOptions &options, int64_t frame);
// Call right after each frame has been presented; false once the run is
// complete.
bool probe_frame(const ProbeOptions &options);
// Prints the results as key=value lines on stdout and writes the raw
// intervals; 0 on success.
int probe_report(const ProbeOptions &options, const char *program);
