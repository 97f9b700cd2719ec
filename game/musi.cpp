// Second scene: a faint hand, a hopping figure, an image per press.
#include <cmath>

#include "game.h"
#include "random.h"

namespace {

constexpr int32_t centre = 128;     // of the 256-pixel canvas, on both axes
constexpr int32_t side = 256;       // of the canvas
constexpr int32_t hop_frames = 12;  // updates between the figure's hops
constexpr int32_t inspi_count = 4;  // inspi pictures, one a press; the press after them ends

int32_t delay = 0;  // frames until the figure's next hop
int32_t wildass_x = 0, wildass_y = 0;
int32_t hold = 0;   // action key state seen by the previous update
int32_t inspi = 0;  // presses so far

// The changing part of a frame's look, as last taken up: every frame, or
// with reduced flashing on the figure's hops only, so that its new place,
// its colour, the rocking and the picture's angle change together, at
// most three times a second.
struct Look {
  int r, g, b;     // background flicker, 0 or 1 for 0 or 6 of 255
  int fr, fg, fb;  // the figure's colour, each channel off or full
  double rock;     // sin(tick mod 32): the hand's and figure's angle
  double angle;    // the inspi picture's, in degrees
};
Look look = {};
FlashGate gate = {};  // beats on the figure's hops

int pressed(unsigned button) { return VYN_ButtonDown(button) ? 1 : 0; }

// Half a canvas beyond one edge or the other: only a picture larger than
// the canvas reaches in.
int32_t hop() { return (game_rand() & 1) != 0 ? centre - side : centre + side; }

}  // namespace

void musi_init() {
  delay = hop_frames;
  wildass_x = -128;
  wildass_y = -128;
  hold = 0;
  inspi = 0;
  look = {};
  gate = gate_first_frame;
}

int musi_update() {
  hand_x += pressed(VYN_BTN_RIGHT) - pressed(VYN_BTN_LEFT);
  hand_y += pressed(VYN_BTN_DOWN) - pressed(VYN_BTN_UP);
  hand_x += (centre - hand_x) * 0.1;
  hand_y += (centre - hand_y) * 0.1;

  if (delay > 0) delay -= 1;
  if (delay <= 0) {
    wildass_x = hop();
    wildass_y = hop();
    delay = hop_frames;
    gate_beat(gate);
  }

  const int32_t previous = hold;
  hold = pressed(VYN_BTN_ACTION);
  if (previous == 0 && hold == 1) inspi += 1;
  return inspi > inspi_count ? 1 : 0;
}

void musi_draw() {
  Look fresh = look;
  fresh.b = game_rand() & 1;
  fresh.g = game_rand() & 1;
  fresh.r = game_rand() & 1;
  fresh.fb = game_rand() & 1;
  fresh.fg = game_rand() & 1;
  fresh.fr = game_rand() & 1;
  fresh.rock = std::sin(static_cast<double>(VYN_GetTick() % 32));
  const bool showing = inspi >= 1 && inspi <= inspi_count;
  if (showing) fresh.angle = static_cast<double>(game_rand());
  if (gate_take(gate)) look = fresh;

  VYN_DrawSetColor(static_cast<float>(look.r / 40.0), static_cast<float>(look.g / 40.0),
                   static_cast<float>(look.b / 40.0), 1);
  VYN_DrawClear();

  VYN_DrawExOptions opt = {0, 0, -1, -1, 1.0, 1.0, 0.0, true, false, false};
  opt.angle = look.rock;

  const int hx = static_cast<int>(hand_x);
  const int hy = static_cast<int>(hand_y);
  VYN_DrawSetColor(1, 1, 1, 0.2f);
  VYN_DrawImageEx(IMG_HANDOPEN, hx, hy, &opt);

  // Eight full-intensity colours, black and white among them.
  VYN_DrawSetColor(static_cast<float>(look.fr), static_cast<float>(look.fg), static_cast<float>(look.fb), 1);
  VYN_DrawImageEx(IMG_WILDASS, wildass_x, wildass_y, &opt);

  if (showing) {
    opt.angle = look.angle;
    VYN_DrawImageEx(IMG_INSPI0 - 1 + inspi, hx, hy, &opt);
  }
}
