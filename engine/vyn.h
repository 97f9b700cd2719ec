// VYN: a thin engine over SDL2 for one window, one renderer and one canvas.
//
//   VYN_Init(&config);                      // once; -1 on failure
//   while (!VYN_ShouldQuit()) {
//     VYN_CycleEvents();                    // keys, pads, quit, F11, mouse
//     VYN_DrawBegin(); /* draw */ VYN_DrawEnd();  // paced, letterboxed
//   }
//   VYN_Quit();                             // also after a failed init
//
// Every failure is one line on stderr and a -1 (or false/null) result.
#pragma once

#include <SDL.h>

#include <cstdint>

// ---- Core: lifecycle, frame cycle, draw colour -------------------------

struct VYN_Config {
  uint32_t display_width;   // canvas width in pixels, not 0
  uint32_t display_height;  // canvas height in pixels, not 0
  uint32_t fps;             // target frame rate; 0 turns pacing off
  uint32_t tile_size;       // square tile edge for VYN_DrawTile; 0 means 1
  const char *title;        // window title; null means "VYN"
  double ratio;             // display aspect of the canvas; <= 0 means square
};

// Starts SDL video, the window, renderer, canvas and pacing, and SDL's game
// controllers (optional: if they cannot start, one stderr line and the
// keyboard alone). 0 or -1.
int VYN_Init(const VYN_Config *config);
// Releases whatever exists, in reverse order of creation, then quits SDL.
// The frame count, the quit flag, the key map and the buttons stay as they
// were, so a caller can still report them after shutting down.
void VYN_Quit();
// The view a configuration is shown as: the canvas stretched to its
// display aspect, in units, which is also the window's first size. 0 x 0
// for a null config or one VYN_Init refuses for its size.
void VYN_ViewSize(const VYN_Config *config, int *w, int *h);
// True once the window has been asked to close.
bool VYN_ShouldQuit();
// Targets the canvas and clears it to opaque black. 0 or -1.
int VYN_DrawBegin();
// Paces to the frame rate, letterboxes the view into the window at the
// largest whole scale (scaled down to fit where the window is smaller than
// the view), presents and counts the frame. 0 or -1.
int VYN_DrawEnd();
// Sets draw colour and image modulation from fractions of 1.0. 0 or -1.
int VYN_DrawSetColor(float r, float g, float b, float a);
// Fills the current render target with the draw colour. 0 or -1.
int VYN_DrawClear();
// Flips between windowed and desktop fullscreen.
void VYN_ToggleFullscreen();
// Targets a still picture instead of the canvas, for a screen that waits
// for the player (a start screen): a surface of the view's size
// (VYN_ViewSize), cleared to opaque black, on which every shape lands on
// whole view units. The next VYN_DrawEnd shows it at the whole-number
// scale without the canvas's stretch, so text drawn on it stays sharp, and
// at once: it neither waits for the frame's time nor counts a frame.
// VYN_DrawBegin returns to the canvas. 0 or -1.
int VYN_DrawBeginStill();
// Number of frames presented so far.
uint64_t VYN_GetTick();
// Window coordinates to view coordinates, in place; either may be null.
void VYN_ScreenTransform(int *x, int *y);

// ---- Events and buttons ------------------------------------------------

enum {
  VYN_BTN_LEFT = 0,
  VYN_BTN_RIGHT = 1,
  VYN_BTN_UP = 2,
  VYN_BTN_DOWN = 3,
  VYN_BTN_ACTION = 4,
  VYN_BTN_ALT = 5,
  VYN_BTN_MOUSE_LEFT = 6,
  VYN_BTN_MOUSE_MIDDLE = 7,
  VYN_BTN_MOUSE_RIGHT = 8,
};
constexpr unsigned VYN_KEY_BUTTONS = 6;
constexpr unsigned VYN_BUTTONS = 9;

enum {
  VYN_QUIT = 0,
  VYN_BUTTON_DOWN = 1,
  VYN_BUTTON_UP = 2,
  VYN_MOUSE_MOTION = 3,
  VYN_KEY_DOWN = 4,  // a key bound to no button went down (not F11, not a repeat)
  VYN_REDRAW = 5,    // the window lost its picture or changed size; only VYN_WaitEvent says so
};

struct VYN_Event {
  int32_t type;     // VYN_QUIT, VYN_BUTTON_DOWN, VYN_BUTTON_UP, VYN_MOUSE_MOTION, VYN_KEY_DOWN, VYN_REDRAW
  uint32_t button;  // button index, for the button events
  int32_t x, y;     // pointer in view coordinates, for mouse events
  int32_t key;      // SDL_Scancode, for VYN_KEY_DOWN
  bool pad;         // for the button events: a game controller's, not the keyboard's or the mouse's
};

// Writes the next engine event; false once SDL's queue is empty. A game
// controller is a second source of buttons 0..5 (d-pad and left stick,
// A, B; Back toggles fullscreen, as F11 does, once per press): a button
// goes down when its first source holds it and up when the last lets go,
// so two sources holding one button make one press and one release.
bool VYN_PollEvent(VYN_Event *e);
// As VYN_PollEvent, but waits for an event while there is none, without
// using the processor; once SDL's queue is empty it also reports
// VYN_REDRAW when the window needs its picture drawn again. For a still
// screen; false only when SDL's wait fails (with a stderr line).
bool VYN_WaitEvent(VYN_Event *e);
// Drains all pending events, keeping only their side effects.
void VYN_CycleEvents();
// Held by any source; false with a stderr line for an unknown index.
bool VYN_ButtonDown(unsigned button);
// Binds keyboard button 0..5 to a scancode, with a stderr line either way;
// controllers keep their mapping.
void VYN_ButtonBind(unsigned button, SDL_Scancode key);
// Last mouse position in view coordinates; either pointer may be null.
void VYN_MousePosition(int *x, int *y);

// ---- Image registry ----------------------------------------------------

constexpr int VYN_MAX_IMAGES = 32;

struct VYN_Image {
  SDL_Texture *texture;  // null while the slot is free
  int32_t width;
  int32_t height;
};

// The executable's directory joined with path; release with free(). Null
// on failure.
char *VYN_PathPrefix(const char *path);
// Loads a BMP relative to the executable's directory. Its id, or -1.
int VYN_ImageLoad(const char *path);
// Shows a BMP, relative to the executable's directory, as the window's
// icon in task bars and switchers. 0, or -1 with a "window icon" line.
int VYN_WindowIcon(const char *path);

// ---- Shape drawing (current draw colour) -------------------------------

int VYN_DrawPoint(int x, int y);
// Points from separate x and y arrays; at most one per canvas pixel.
int VYN_DrawPoints(const int *xs, const int *ys, int count);
int VYN_DrawLine(int x0, int y0, int x1, int y1);
int VYN_DrawRectangle(bool fill, int x, int y, int w, int h);

// ---- Image drawing (tinted and faded by the draw colour) ---------------

struct VYN_DrawExOptions {
  int32_t src_x, src_y;  // source top-left in image pixels, not negative
  int32_t src_w, src_h;  // source size; <= 0 means the whole image
  double scale_x, scale_y;
  double angle;  // degrees, clockwise, about the destination's centre
  bool center;   // position is the centre of the destination
  bool flip_h;
  bool flip_v;
};

// Whole image with its top-left at (x, y). 0 or -1.
int VYN_DrawImage(int id, int x, int y);
// Sub-rectangle, scale, rotation, centring and flips. 0 or -1.
int VYN_DrawImageEx(int id, int x, int y, const VYN_DrawExOptions *options);
// One tile_size square of a tile sheet, numbered row by row. 0 or -1.
int VYN_DrawTile(int id, int tile, int x, int y, double angle, SDL_RendererFlip flip);
