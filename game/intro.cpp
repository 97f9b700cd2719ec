// First scene: the hand drifts to the stamp, then the player closes it.
#include <cmath>

#include "game.h"
#include "random.h"

namespace {

constexpr int centre = 128;  // of the 256-pixel canvas, on both axes

double stamp_x = 0, stamp_y = 0;  // stamp anchor; drawn 10 px right of it
int32_t delay = 0;                // frames left in the opening drift
int32_t hold = 0;                 // 1 while the action key is held after it

// The changing part of a frame's look, as last taken up (FlashGate).
struct Look {
  double r, g, b;  // background flicker
  int jx, jy;      // the closed hand's shake
  int caption;     // 1 red, 0 black
  double rock;     // sin(tick mod 32): the pictures' angle, in degrees
};
Look look = {};
FlashGate gate = {};

int pressed(unsigned button) { return VYN_ButtonDown(button) ? 1 : 0; }

}  // namespace

void intro_init() {
  stamp_x = 51.2;
  stamp_y = 128.0;
  delay = 90;
  hold = 0;
  look = {};
  gate = gate_first_frame;
  hand_x = 204.8;
  hand_y = 128.0;
}

int intro_update() {
  if (delay > 0) {
    hand_x += (stamp_x - hand_x) * 0.02;
    stamp_x += (centre - stamp_x) * 0.04;
  } else {
    hand_x += pressed(VYN_BTN_RIGHT) - pressed(VYN_BTN_LEFT);
    hand_y += pressed(VYN_BTN_DOWN) - pressed(VYN_BTN_UP);
    hand_x += (centre - hand_x) * 0.2;
    hand_y += (centre - hand_y) * 0.2;
  }
  if (delay > 0) delay -= 1;
  const int32_t previous = hold;
  hold = (delay <= 0 && VYN_ButtonDown(VYN_BTN_ACTION)) ? 1 : 0;
  return previous == 1 && hold == 0 ? 1 : 0;
}

void intro_draw() {
  const int32_t h = hold;

  // The order of the random values is part of what a frame looks like;
  // all of them are drawn every frame.
  Look fresh = look;
  fresh.b = (game_rand() & 1) / 40.0;
  fresh.g = (game_rand() & 1) / 40.0;
  if (h == 0) fresh.r = (game_rand() & 1) / 40.0;
  fresh.jy = game_rand() % 8;
  fresh.jx = game_rand() % 8;
  if (h == 1) fresh.caption = game_rand() & 1;
  fresh.rock = std::sin(static_cast<double>(VYN_GetTick() % 32));
  if (VYN_GetTick() % calm_frames == 0) gate_beat(gate);
  if (gate_take(gate)) look = fresh;

  const double r = h == 1 ? 1.0 : look.r;
  VYN_DrawSetColor(static_cast<float>(r), static_cast<float>(look.g), static_cast<float>(look.b), 1);
  VYN_DrawClear();

  VYN_DrawExOptions opt = {0, 0, -1, -1, 1.0, 1.0, 0.0, true, false, false};
  opt.angle = look.rock * (1 + 3 * h);

  const int sx = static_cast<int>(stamp_x + 10);
  const int sy = static_cast<int>(stamp_y);
  VYN_DrawSetColor(1, 1, 1, 1);
  VYN_DrawImageEx(IMG_STAMP, sx, sy, &opt);

  VYN_DrawSetColor(1, 1, 1, static_cast<float>(0.9 + 0.1 * h));
  const int jx = look.jx * h, jy = look.jy * h;
  VYN_DrawImageEx(IMG_HANDOPEN + h, static_cast<int>(hand_x + jx), static_cast<int>(hand_y + jy), &opt);

  VYN_DrawSetColor(1, 1, 1, 1);
  if (h == 1) {
    VYN_DrawImageEx(IMG_BLOODY, sx, sy, &opt);
    VYN_DrawSetColor(static_cast<float>(look.caption), 0, 0, 1);
    VYN_DrawImageEx(IMG_TOPTEXT, centre, 20, &opt);
    VYN_DrawImageEx(IMG_BOTTOMTEXT, centre, 238, &opt);
  }
}
