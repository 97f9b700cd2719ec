// Flashes in the game's own frames, measured the way WCAG 2.3.1 counts
// them: relative luminance from sRGB; a general flash is a pair of
// opposing changes of at least 0.1 where the darker state is below 0.8; a
// red flash is a pair of opposing changes of more than 20 in 320 x (R - G
// - B) involving a saturated red (R / (R + G + B) >= 0.8), on linear
// values. A pixel flashing k times in a second counts for a field when
// more than a quarter of that field's pixels flash at least k times in
// the same second. A 10-degree field is square in canvas pixels (the view
// is the canvas stretched to 4:3, as the field is): the whole canvas in
// the default window, 148 on a phone, 90 in fullscreen, 64 on a large
// screen up close. Reduced flashing must stay within WCAG's three in all
// of them; both modes' figures are checked against the table in
// docs/flashing.md, which tells players what was measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game.h"
#include "harness.h"
#include "internal.h"
#include "random.h"

namespace {

constexpr int side = 256;   // the canvas
constexpr int second = 30;  // frames
constexpr std::array<int, 4> fields = {256, 148, 90, 64};
enum Kind { general, red, kinds };

struct Rgb {
  uint8_t r, g, b;
};
using Frame = std::vector<Rgb>;

float linear(uint8_t v) {
  const float c = static_cast<float>(v) / 255.0f;
  return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

// One pixel's side of one kind of flash: the state a change is measured
// from (the last extreme reached) and the direction of the last counted
// change.
struct Trace {
  float from;
  bool from_red;
  int8_t direction;
};

// Frames in, the most flashes per second over any field and any second
// out, per scene, kind and field size; also the most for a single pixel.
struct Analyser {
  std::array<std::vector<Trace>, kinds> traces;
  std::array<std::vector<uint8_t>, kinds> counts;   // changes within the last second
  std::array<std::vector<uint8_t>, kinds> history;  // pixels that changed, one second of frames
  int frames = 0;
  std::array<std::array<std::array<int, fields.size()>, kinds>, 2> worst{};
  std::array<int, kinds> worst_pixel{};

  void add(const Frame &frame, int scene) {
    static const std::array<float, 256> lin = [] {
      std::array<float, 256> t{};
      for (int v = 0; v < 256; v++) t[v] = linear(static_cast<uint8_t>(v));
      return t;
    }();
    for (int k = 0; k < kinds; k++) {
      if (frames == 0) {
        traces[k].assign(side * side, Trace{0, false, 0});
        counts[k].assign(side * side, 0);
        history[k].assign(side * side * second, 0);
      }
      uint8_t *slot = &history[k][static_cast<size_t>(frames % second) * side * side];
      for (int p = 0; p < side * side; p++) {
        const float r = lin[frame[p].r], g = lin[frame[p].g], b = lin[frame[p].b];
        const bool is_red = r + g + b > 0 && r / (r + g + b) >= 0.8f;
        const float v = k == general ? 0.2126f * r + 0.7152f * g + 0.0722f * b : std::max(0.0f, 320 * (r - g - b));
        Trace &t = traces[k][p];
        counts[k][p] -= slot[p];
        slot[p] = 0;
        if (frames == 0) {
          t = Trace{v, is_red, 0};
          continue;
        }
        const float change = v - t.from;
        const bool counts_as_change = k == general ? std::fabs(change) >= 0.1f && std::min(v, t.from) < 0.8f
                                                   : std::fabs(change) > 20 && (is_red || t.from_red);
        const int8_t direction = change > 0 ? 1 : -1;
        if (counts_as_change && direction != t.direction) {
          slot[p] = 1;
          counts[k][p]++;
          t = Trace{v, is_red, direction};
        } else if (change * t.direction > 0) {
          t.from = v;  // further the same way: the next change counts from here
          t.from_red = is_red;
        }
      }
      measure(k, scene);
    }
    frames++;
  }

  // Raises the worst figures to what the last second shows.
  void measure(int k, int scene) {
    const std::vector<uint8_t> &c = counts[k];
    std::array<int, 128> at_least{};  // pixels flashing at least this often
    for (uint8_t n : c) at_least[n / 2]++;
    for (int flashes = static_cast<int>(at_least.size()) - 2; flashes >= 0; flashes--) {
      at_least[flashes] += at_least[flashes + 1];
    }
    int most = 0;
    while (most + 1 < static_cast<int>(at_least.size()) && at_least[most + 1] > 0) most++;
    worst_pixel[k] = std::max(worst_pixel[k], most);
    std::vector<int> sums((side + 1) * (side + 1));
    int summed = 0;  // the flashes the sums were made for
    for (size_t f = 0; f < fields.size(); f++) {
      const int n = fields[f];
      for (int flashes = worst[scene][k][f] + 1; flashes <= most && at_least[flashes] * 4 > n * n; flashes++) {
        if (summed != flashes) {
          for (int y = 0; y < side; y++) {
            for (int x = 0; x < side; x++) {
              sums[(y + 1) * (side + 1) + x + 1] = (c[y * side + x] / 2 >= flashes ? 1 : 0) +
                                                   sums[y * (side + 1) + x + 1] + sums[(y + 1) * (side + 1) + x] -
                                                   sums[y * (side + 1) + x];
            }
          }
          summed = flashes;
        }
        bool found = false;
        for (int y = 0; y + n <= side && !found; y++) {
          for (int x = 0; x + n <= side && !found; x++) {
            const int area = sums[(y + n) * (side + 1) + x + n] - sums[y * (side + 1) + x + n] -
                             sums[(y + n) * (side + 1) + x] + sums[y * (side + 1) + x];
            found = area * 4 > n * n;
          }
        }
        if (!found) break;
        worst[scene][k][f] = flashes;
      }
    }
  }

  int most(int kind, size_t field) const { return std::max(worst[0][kind][field], worst[1][kind][field]); }
};

Frame solid(Rgb colour) { return Frame(side * side, colour); }

TEST(Flashes, AnalyserCountsAsWcagDoes) {
  const Rgb black{0, 0, 0}, white{255, 255, 255}, dark_red{128, 0, 0};
  Analyser fast, slow, square, reds;
  for (int i = 0; i < 2 * second; i++) {
    fast.add(solid(i % 2 != 0 ? white : black), 0);
    slow.add(solid(i / 15 % 2 != 0 ? white : black), 0);
    Frame f = solid(black);
    // 40 x 40: more than a quarter of a 64 field, less than one of 90.
    for (int y = 100; y < 140; y++) {
      for (int x = 100; x < 140; x++) f[y * side + x] = i % 2 != 0 ? white : black;
    }
    square.add(f, 0);
    reds.add(solid(i % 2 != 0 ? dark_red : black), 0);
  }
  EXPECT_EQ(fast.most(general, 0), 15);
  EXPECT_EQ(slow.most(general, 0), 1);
  EXPECT_EQ(square.most(general, 2), 0);
  EXPECT_EQ(square.most(general, 3), 15);
  EXPECT_EQ(square.worst_pixel[general], 15);
  EXPECT_EQ(reds.most(general, 0), 0);
  EXPECT_EQ(reds.most(red, 0), 15);
}

// Key changes before a frame's events: the drift, a nudge, Space held for
// three seconds, then in the second scene a move, five presses, and three
// seconds on the last picture before the fifth.
struct Key {
  int frame;
  SDL_Scancode code;
  bool down;
};
constexpr std::array<Key, 18> keys = {{
    {92, SDL_SCANCODE_RIGHT, true},
    {96, SDL_SCANCODE_RIGHT, false},
    {100, SDL_SCANCODE_SPACE, true},
    {190, SDL_SCANCODE_SPACE, false},
    {200, SDL_SCANCODE_LEFT, true},
    {210, SDL_SCANCODE_LEFT, false},
    {220, SDL_SCANCODE_SPACE, true},
    {222, SDL_SCANCODE_SPACE, false},
    {250, SDL_SCANCODE_SPACE, true},
    {252, SDL_SCANCODE_SPACE, false},
    {280, SDL_SCANCODE_SPACE, true},
    {283, SDL_SCANCODE_SPACE, false},
    {290, SDL_SCANCODE_UP, true},
    {300, SDL_SCANCODE_UP, false},
    {310, SDL_SCANCODE_SPACE, true},
    {312, SDL_SCANCODE_SPACE, false},
    {400, SDL_SCANCODE_SPACE, true},
    {401, SDL_SCANCODE_SPACE, false},
}};

Analyser play(bool reduced) {
  Analyser a;
  reduce_flashing = reduced;
  game_srand(1);
  // Each mode as a fresh process plays it, from frame 0: the engine keeps
  // its frame count across VYN_Quit.
  vyn::state.core.tick = 0;
  VYN_Config config = cfg;
  config.fps = 0;
  if (game_start(config) != 0) {
    ADD_FAILURE() << "the game did not start";
    VYN_Quit();
    return a;
  }
  Scene state = Scene::intro;
  Frame frame(side * side);
  size_t next = 0;
  for (int i = 0; i <= 400; i++) {
    for (; next < keys.size() && keys[next].frame == i; next++) harness::push_key(keys[next].code, keys[next].down);
    game_frame_draw(state);
    SDL_RenderReadPixels(harness::renderer(), nullptr, SDL_PIXELFORMAT_RGB24, frame.data(), side * 3);
    a.add(frame, state == Scene::intro ? 0 : 1);
    if (!game_frame_end(state)) break;
  }
  EXPECT_EQ(state, Scene::finished) << "the script no longer plays the game to its end";
  // The buttons outlive VYN_Quit too: the keys still down are let go.
  for (; next < keys.size(); next++) harness::push_key(keys[next].code, keys[next].down);
  harness::cycle_events();
  VYN_Quit();
  return a;
}

std::string figures(const Analyser &a, int scene, size_t field) {
  return std::to_string(a.worst[scene][general][field]) + " / " + std::to_string(a.worst[scene][red][field]);
}

TEST(Flashes, ReducedModeStaysUnderTheLimitsInEveryView) {
  const Analyser usual = play(false), reduced = play(true);
  for (size_t f = 0; f < fields.size(); f++) {
    EXPECT_LE(reduced.most(general, f), 3) << "general flashes per second, field " << fields[f];
    EXPECT_LE(reduced.most(red, f), 3) << "red flashes per second, field " << fields[f];
  }

  // The documented table: general / red flashes per second, at the worst
  // second and place of each scene. A change in any figure fails here
  // until the document shows it.
  constexpr std::array<const char *, fields.size()> views = {
      "default window on a 1024 x 768 screen (the whole canvas)", "phone in landscape (148 x 148)",
      "fullscreen on a 1920 x 1080 screen (90 x 90)", "24-inch screen at arm's length, fullscreen (64 x 64)"};
  std::string table =
      "| view (10-degree field in canvas pixels) | intro | scene two | intro, reduced | scene two, reduced |\n"
      "|---|---|---|---|---|\n";
  for (size_t v = 0; v < views.size(); v++) {
    table += std::string("| ") + views[v] + " | " + figures(usual, 0, v) + " | " + figures(usual, 1, v) + " | " +
             figures(reduced, 0, v) + " | " + figures(reduced, 1, v) + " |\n";
  }
  table += "\nThe most for a single pixel: " + std::to_string(usual.worst_pixel[general]) + " / " +
           std::to_string(usual.worst_pixel[red]) + " usually, " + std::to_string(reduced.worst_pixel[general]) +
           " / " + std::to_string(reduced.worst_pixel[red]) + " with reduced flashing.\n";
  std::ostringstream document;
  document << std::ifstream(FLASH_TABLE).rdbuf();
  EXPECT_NE(document.str().find(table), std::string::npos) << FLASH_TABLE << "'s flash table should read:\n" << table;
}

}  // namespace
