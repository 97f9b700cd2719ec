// Second scene: a faint hand, a hopping figure, an image per press.
#include <cmath>

#include "game.h"
#include "random.h"

namespace {

int32_t delay = 0;  // frames until the figure's next hop
int32_t wildass_x = 0, wildass_y = 0;
int32_t hold = 0;   // action key state seen by the previous update
int32_t inspi = 0;  // presses so far

int pressed(unsigned button) { return VYN_ButtonDown(button) ? 1 : 0; }

// Half a canvas beyond one edge or the other: only a picture larger than
// the canvas reaches in.
int32_t hop() { return (game_rand() & 1) != 0 ? 128 - 256 : 128 + 256; }

}  // namespace

void musi_init() {
  delay = 12;
  wildass_x = -128;
  wildass_y = -128;
  hold = 0;
  inspi = 0;
}

int musi_update() {
  hand_x += pressed(VYN_BTN_RIGHT) - pressed(VYN_BTN_LEFT);
  hand_y += pressed(VYN_BTN_DOWN) - pressed(VYN_BTN_UP);
  hand_x += (128 - hand_x) * 0.1;
  hand_y += (128 - hand_y) * 0.1;

  if (delay > 0) delay -= 1;
  if (delay <= 0) {
    wildass_x = hop();
    wildass_y = hop();
    delay = 12;
  }

  const int32_t previous = hold;
  hold = pressed(VYN_BTN_ACTION);
  if (previous == 0 && hold == 1) inspi += 1;
  return inspi > 4 ? 1 : 0;
}

void musi_draw() {
  const int b = game_rand() & 1;
  const int g = game_rand() & 1;
  const int r = game_rand() & 1;
  VYN_DrawSetColor(static_cast<float>(r / 40.0), static_cast<float>(g / 40.0), static_cast<float>(b / 40.0), 1);
  VYN_DrawClear();

  VYN_DrawExOptions opt = {0, 0, -1, -1, 1.0, 1.0, 0.0, true, false, false};
  opt.angle = std::sin(static_cast<double>(VYN_GetTick() % 32));

  const int hx = static_cast<int>(hand_x);
  const int hy = static_cast<int>(hand_y);
  VYN_DrawSetColor(1, 1, 1, 0.2f);
  VYN_DrawImageEx(IMG_HANDOPEN, hx, hy, &opt);

  // Eight full-intensity colours, black and white among them.
  const int fb = game_rand() & 1;
  const int fg = game_rand() & 1;
  const int fr = game_rand() & 1;
  VYN_DrawSetColor(static_cast<float>(fr), static_cast<float>(fg), static_cast<float>(fb), 1);
  VYN_DrawImageEx(IMG_WILDASS, wildass_x, wildass_y, &opt);

  if (inspi >= 1 && inspi <= 4) {
    opt.angle = static_cast<double>(game_rand());
    VYN_DrawImageEx(IMG_INSPI0 - 1 + inspi, hx, hy, &opt);
  }
}
