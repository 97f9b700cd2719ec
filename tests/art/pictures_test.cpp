// The pictures as the game finds them in res/ next to its
// executable: loadable with their alpha channel, transparent around each
// shape, and sized for the 256 x 256 canvas.
#include "pictures.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "harness.h"

namespace {

// The test runs from <build>/tests/art; the game's copies are in <build>/res.
const char *kTop = "../../";

const char *file(int id) { return image_files[static_cast<size_t>(id)]; }

// The picture converted to RGBA bytes, or null; records whether the file as
// loaded carried an alpha mask.
SDL_Surface *load(int id, bool *has_alpha) {
  const std::string path = harness::exe_dir() + kTop + file(id);
  SDL_Surface *raw = SDL_LoadBMP(path.c_str());
  if (raw == nullptr) return nullptr;
  *has_alpha = raw->format->Amask != 0;
  SDL_Surface *rgba = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(raw);
  return rgba;
}

const uint8_t *at(const SDL_Surface *s, int x, int y) {
  return static_cast<const uint8_t *>(s->pixels) + y * s->pitch + x * 4;
}

// Transparent around each shape with visible content; sized for the
// canvas; captions pure white; the figure reaching into every corner.
TEST(Pictures, ShapesSizesAndColoursSuitTheCanvas) {
  std::array<SDL_Surface *, IMG_COUNT> s{};
  for (int id = 0; id < IMG_COUNT; ++id) {
    bool alpha = false;
    s[id] = load(id, &alpha);
    ASSERT_NE(s[id], nullptr) << file(id) << ": " << SDL_GetError();
    EXPECT_TRUE(alpha) << file(id) << " has no alpha channel as SDL loads it";
  }
  for (int id = 0; id < IMG_COUNT; ++id) {
    const SDL_Surface *p = s[id];
    for (const auto &[x, y] :
         std::array<std::pair<int, int>, 4>{{{0, 0}, {p->w - 1, 0}, {0, p->h - 1}, {p->w - 1, p->h - 1}}})
      EXPECT_EQ(at(p, x, y)[3], 0) << file(id) << " corner (" << x << ", " << y << ")";
    int opaque = 0;
    for (int y = 0; y < p->h; ++y)
      for (int x = 0; x < p->w; ++x) opaque += at(p, x, y)[3] == 255;
    EXPECT_GT(opaque, p->w * p->h / 10) << file(id) << " is nearly empty";
  }

  // The hand swap must not jump: same size, so the same anchor when centred.
  EXPECT_EQ(s[IMG_HANDOPEN]->w, s[IMG_HANDCLOSE]->w);
  EXPECT_EQ(s[IMG_HANDOPEN]->h, s[IMG_HANDCLOSE]->h);
  for (int id : {IMG_HANDOPEN, IMG_HANDCLOSE}) {
    EXPECT_GE(s[id]->w, 32);
    EXPECT_LE(s[id]->w, 48);
    EXPECT_GE(s[id]->h, 32);
    EXPECT_LE(s[id]->h, 48);
  }
  EXPECT_GE(s[IMG_STAMP]->w, 64);
  EXPECT_LE(s[IMG_STAMP]->w, 96);
  EXPECT_GE(s[IMG_STAMP]->h, 64);
  EXPECT_LE(s[IMG_STAMP]->h, 96);
  EXPECT_EQ(s[IMG_BLOODY]->w, s[IMG_STAMP]->w);
  EXPECT_EQ(s[IMG_BLOODY]->h, s[IMG_STAMP]->h);
  for (int id : {IMG_TOPTEXT, IMG_BOTTOMTEXT}) {
    EXPECT_LE(s[id]->w, 256) << file(id);
    // Centred at y 20 and y 238, so at most 40 px tall keeps it inside.
    EXPECT_LE(s[id]->h, 36) << file(id);
  }
  for (int id = IMG_INSPI0; id < IMG_INSPI0 + 4; ++id) {
    EXPECT_GE(s[id]->w, 48) << file(id);
    EXPECT_LE(s[id]->w, 96) << file(id);
    EXPECT_GE(s[id]->h, 48) << file(id);
    EXPECT_LE(s[id]->h, 96) << file(id);
  }
  EXPECT_GT(s[IMG_WILDASS]->w, 256);
  EXPECT_GT(s[IMG_WILDASS]->h, 256);

  // Centred 128 px beyond a canvas corner, the figure shows only where it is
  // at least 128 px from its centre along both axes; each such corner needs
  // content, mostly light since it is tinted a full colour every frame.
  const SDL_Surface *f = s[IMG_WILDASS];
  const int cx = f->w / 2, cy = f->h / 2;
  for (int q = 0; q < 4; ++q) {
    const int sx = (q & 1) ? 1 : -1, sy = (q & 2) ? 1 : -1;
    int seen = 0, opaque = 0, light = 0;
    for (int dy = 132; dy < f->h / 2; ++dy)
      for (int dx = 132; dx < f->w / 2; ++dx) {
        const uint8_t *p = at(f, cx + sx * dx - (sx < 0), cy + sy * dy - (sy < 0));
        ++seen;
        if (p[3] == 0) continue;
        ++opaque;
        light += p[0] >= 180 && p[1] >= 180 && p[2] >= 180;
      }
    EXPECT_GT(opaque, seen / 5) << "corner " << q;
    EXPECT_GT(light, opaque * 3 / 5) << "corner " << q;
  }
  // They are tinted red or black at run time; any colour in them would shift
  // the tint.
  for (int id : {IMG_TOPTEXT, IMG_BOTTOMTEXT}) {
    const SDL_Surface *p = s[id];
    for (int y = 0; y < p->h; ++y)
      for (int x = 0; x < p->w; ++x) {
        const uint8_t *c = at(p, x, y);
        if (c[3] != 0) {
          ASSERT_TRUE(c[0] == 255 && c[1] == 255 && c[2] == 255) << file(id) << " at " << x << ", " << y;
        }
      }
  }

  for (SDL_Surface *p : s) SDL_FreeSurface(p);
}

// Through the engine as the game uses it: ids in load order, and a drawn
// picture leaves the background showing around its shape.
TEST(Pictures, EngineLoadsThemInOrderAndBlendsTheirEdges) {
  const VYN_Config config = harness::game_config();
  ASSERT_EQ(VYN_Init(&config), 0) << SDL_GetError();
  for (int id = 0; id < IMG_COUNT; ++id) EXPECT_EQ(VYN_ImageLoad((std::string(kTop) + file(id)).c_str()), id);
  ASSERT_EQ(VYN_DrawBegin(), 0);
  VYN_DrawSetColor(0, 0, 1, 1);
  VYN_DrawClear();
  VYN_DrawSetColor(1, 1, 1, 1);
  ASSERT_EQ(VYN_DrawImage(IMG_STAMP, 0, 0), 0);
  EXPECT_EQ(harness::pixel(0, 0), 0x0000ffffu) << "stamp corner hides the background";
  EXPECT_NE(harness::pixel(40, 40), 0x0000ffffu) << "stamp middle not drawn";

  // The figure at the top-left hop position reaches into the canvas.
  VYN_DrawExOptions options{0, 0, 0, 0, 1.0, 1.0, 0.0, true, false, false};
  VYN_DrawSetColor(0, 0, 1, 1);
  VYN_DrawClear();
  VYN_DrawSetColor(1, 1, 1, 1);
  ASSERT_EQ(VYN_DrawImageEx(IMG_WILDASS, -128, -128, &options), 0);
  int covered = 0;
  for (int y = 0; y < 64; y += 4)
    for (int x = 0; x < 64; x += 4) covered += harness::pixel(x, y) != 0x0000ffffu;
  EXPECT_GT(covered, 256 / 5);
  EXPECT_EQ(harness::pixel(200, 200), 0x0000ffffu);
  VYN_Quit();
}

}  // namespace
