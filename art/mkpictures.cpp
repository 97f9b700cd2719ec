// Draws the game's pictures and writes them as 32-bit BMPs with an
// alpha channel. Every shape is a signed distance (negative inside) sampled
// at pixel centres, so the output is crisp pixel art and the same on every
// run: change a number here, run the `pictures` target, commit res/*.bmp.
//
// Usage: quondel_pictures <output directory>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pictures.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgba {
  uint8_t r, g, b, a;
};

struct Picture {
  int w, h;
  std::vector<Rgba> px;
};

Picture make_picture(int w, int h) {
  return Picture{w, h, std::vector<Rgba>(static_cast<size_t>(w * h), Rgba{0, 0, 0, 0})};
}

void put(Picture &p, int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= p.w || y >= p.h) return;
  p.px[static_cast<size_t>(y * p.w + x)] = c;
}

Rgba rgb(int r, int g, int b) { return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), 255}; }

Rgba scale(Rgba c, double f) {
  auto ch = [f](uint8_t v) { return uint8_t(std::clamp(v * f, 0.0, 255.0)); };
  return Rgba{ch(c.r), ch(c.g), ch(c.b), c.a};
}

Rgba lighten(Rgba c, double f) {
  auto ch = [f](uint8_t v) { return uint8_t(std::clamp(v + (255 - v) * f, 0.0, 255.0)); };
  return Rgba{ch(c.r), ch(c.g), ch(c.b), c.a};
}

// Fixed-seed generator: the pictures must not change between runs.
uint32_t rng_state = 0x9e3779b9u;
double rnd() {
  rng_state ^= rng_state << 13;
  rng_state ^= rng_state >> 17;
  rng_state ^= rng_state << 5;
  return (rng_state & 0xffffff) / double(0x1000000);
}

// ---- Distances -------------------------------------------------------------

double circle(double x, double y, double cx, double cy, double r) { return std::hypot(x - cx, y - cy) - r; }

double capsule(double x, double y, double ax, double ay, double bx, double by, double r) {
  const double px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  const double t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - dx * t, py - dy * t) - r;
}

// Box centred at (cx, cy) with half sizes hw, hh and corner radius r.
double box(double x, double y, double cx, double cy, double hw, double hh, double r) {
  const double qx = std::fabs(x - cx) - hw + r, qy = std::fabs(y - cy) - hh + r;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

// Ellipse with semi-axes a (along angle) and b, turned by angle radians.
double ellipse(double x, double y, double cx, double cy, double a, double b, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double u = (x - cx) * c + (y - cy) * s, v = -(x - cx) * s + (y - cy) * c;
  return (std::hypot(u / a, v / b) - 1.0) * std::min(a, b);
}

// Triangle a-b-c (any winding).
double triangle(double x, double y, double ax, double ay, double bx, double by, double cx, double cy) {
  const std::array<double, 6> v{ax, ay, bx, by, cx, cy};
  double d = 1e9;
  int inside = 0;
  for (int i = 0; i < 3; ++i) {
    const double x0 = v[i * 2], y0 = v[i * 2 + 1], x1 = v[(i + 1) % 3 * 2], y1 = v[(i + 1) % 3 * 2 + 1];
    d = std::min(d, capsule(x, y, x0, y0, x1, y1, 0.0));
    const double side = (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0);
    inside += side > 0 ? 1 : -1;
  }
  return (inside == 3 || inside == -3) ? -d : d;
}

// ---- Painting ----------------------------------------------------------------

// Light falls from the upper left.
constexpr double kLightX = -0.7071, kLightY = -0.7071;

// Paints one part over what is there: a highlight along the edge that faces
// the light, two tones of shadow along the opposite edge, and a one-pixel
// outline ring around it (which also separates it from parts painted before).
template <typename Shape>
void part(Picture &p, Shape f, Rgba base, Rgba outline, double rim = 2.2) {
  const Rgba hi = lighten(base, 0.55), sh = scale(base, 0.8), deep = scale(base, 0.62);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const double cx = x + 0.5, cy = y + 0.5, d = f(cx, cy);
      if (d <= 0) {
        Rgba c = base;
        if (f(cx - kLightX * 1.2, cy - kLightY * 1.2) > 0)
          c = deep;
        else if (f(cx - kLightX * rim, cy - kLightY * rim) > 0)
          c = sh;
        else if (f(cx + kLightX * rim * 0.8, cy + kLightY * rim * 0.8) > 0)
          c = hi;
        put(p, x, y, c);
      } else if (d <= 1.15) {
        put(p, x, y, outline);
      }
    }
}

// Paints a shape in one flat colour, no outline: details and lines.
template <typename Shape>
void flat(Picture &p, Shape f, Rgba c) {
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x)
      if (f(x + 0.5, y + 0.5) <= 0) put(p, x, y, c);
}

// ---- Pixel font --------------------------------------------------------------

// 5 x 7 glyphs, one row per byte, bit 4 is the leftmost column.
struct Glyph {
  char ch;
  std::array<uint8_t, 7> rows;
};

constexpr std::array<Glyph, 30> kFont{{
    {'A', {0x0e, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}},  {'B', {0x1e, 0x11, 0x11, 0x1e, 0x11, 0x11, 0x1e}},
    {'C', {0x0e, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0e}},  {'D', {0x1e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1e}},
    {'E', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x1f}},  {'F', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x10}},
    {'G', {0x0e, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0f}},  {'H', {0x11, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}},
    {'I', {0x0e, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0e}},  {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0c}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},  {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}},
    {'M', {0x11, 0x1b, 0x15, 0x15, 0x11, 0x11, 0x11}},  {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},  {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'Q', {0x0e, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0d}},  {'R', {0x1e, 0x11, 0x11, 0x1e, 0x14, 0x12, 0x11}},
    {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}},  {'T', {0x1f, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0e}},  {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0a, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0a}},  {'X', {0x11, 0x11, 0x0a, 0x04, 0x0a, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0a, 0x04, 0x04, 0x04, 0x04}},  {'Z', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1f}},
    {'\'', {0x04, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}}, {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
    {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},  {' ', {0, 0, 0, 0, 0, 0, 0}},
}};

const Glyph *glyph(char ch) {
  for (const Glyph &g : kFont)
    if (g.ch == ch) return &g;
  return nullptr;
}

// Width in pixels of text drawn at the given scale (one column gap per glyph).
int text_width(const std::string &text, int s) { return static_cast<int>(text.size()) * 6 * s - s; }

void text(Picture &p, const std::string &str, int x0, int y0, int s, Rgba c) {
  for (size_t i = 0; i < str.size(); ++i) {
    const Glyph *g = glyph(str[i]);
    if (g == nullptr) {
      std::fprintf(stderr, "no glyph for '%c'\n", str[i]);
      continue;
    }
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (g->rows[row] & (0x10 >> col))
          for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
              put(p, x0 + static_cast<int>(i) * 6 * s + col * s + dx, y0 + row * s + dy, c);
  }
}

// ---- The pictures ------------------------------------------------------------

const Rgba kInk = rgb(34, 24, 30);
const Rgba kSkin = rgb(252, 236, 222);
const Rgba kCuff = rgb(196, 214, 238);

// Both hands are 40 x 40 and share the cuff, so the swap does not jump.
constexpr int kHand = 40;

void cuff(Picture &p) {
  part(
      p, [](double x, double y) { return box(x, y, 21, 36, 7.5, 2.8, 1.5); }, kCuff, kInk);
  flat(
      p, [](double x, double y) { return box(x, y, 21, 36.5, 6.5, 0.4, 0); }, scale(kCuff, 0.75));
}

Picture hand_open() {
  Picture p = make_picture(kHand, kHand);
  const std::array<std::array<double, 4>, 4> fingers{{
      {15.2, 20, 13.6, 8.5},
      {19.6, 19, 19.4, 4.5},
      {24.0, 19, 24.8, 6.5},
      {28.0, 21, 30.0, 12.0},
  }};
  for (const auto &f : fingers)
    part(
        p, [&f](double x, double y) { return capsule(x, y, f[0], f[1], f[2], f[3], 2.3); }, kSkin, kInk, 1.6);
  part(
      p, [](double x, double y) { return box(x, y, 21.5, 25.5, 8.2, 7.8, 3.5); }, kSkin, kInk);
  // Palm crease.
  flat(
      p, [](double x, double y) { return capsule(x, y, 18, 26, 26, 23, 0.45); }, scale(kSkin, 0.7));
  part(
      p, [](double x, double y) { return capsule(x, y, 15.0, 29.5, 7.5, 21.0, 2.6); }, kSkin, kInk, 1.6);
  cuff(p);
  return p;
}

Picture hand_close() {
  Picture p = make_picture(kHand, kHand);
  part(
      p, [](double x, double y) { return box(x, y, 21.5, 24.5, 9.0, 8.0, 4.0); }, kSkin, kInk);
  // Curled fingers seen from the front, knuckles on top.
  for (int i = 0; i < 4; ++i) {
    const double cx = 15.5 + i * 4.3;
    part(
        p, [cx](double x, double y) { return capsule(x, y, cx, 16.5, cx, 23.5, 2.35); }, kSkin, kInk, 1.6);
  }
  // Thumb folded across the fingers.
  part(
      p, [](double x, double y) { return capsule(x, y, 11.5, 28.0, 23.5, 25.5, 2.7); }, kSkin, kInk, 1.6);
  cuff(p);
  return p;
}

constexpr int kStamp = 80;

Picture stamp() {
  Picture p = make_picture(kStamp, kStamp);
  const Rgba paper = rgb(246, 240, 222);
  // Perforated paper: a square with round bites taken out along each edge.
  auto perforated = [](double x, double y) {
    double d = box(x, y, 40, 40, 36.5, 36.5, 0.5);
    for (int i = 0; i <= 12; ++i) {
      const double t = 4.5 + i * 71.0 / 12.0;
      const double bite = std::min(std::min(circle(x, y, t, 3.5, 2.4), circle(x, y, t, 76.5, 2.4)),
                                   std::min(circle(x, y, 3.5, t, 2.4), circle(x, y, 76.5, t, 2.4)));
      d = std::max(d, -bite);
    }
    return d;
  };
  part(p, perforated, paper, rgb(92, 70, 64));

  // The picture: sky, sun, two hills, framed.
  constexpr int x0 = 12, y0 = 11, x1 = 68, y1 = 62;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const double t = double(y - y0) / (y1 - y0);
      // Banded sky: three flat tones read better than a smooth ramp.
      const Rgba sky = t < 0.3 ? rgb(128, 178, 226) : t < 0.55 ? rgb(164, 204, 236) : rgb(204, 228, 244);
      put(p, x, y, sky);
    }
  Picture scene = make_picture(kStamp, kStamp);
  part(
      scene, [](double x, double y) { return circle(x, y, 50, 27, 8.5); }, rgb(250, 184, 64), rgb(196, 96, 40));
  part(
      scene, [](double x, double y) { return circle(x, y, 24, 84, 34); }, rgb(112, 176, 104), rgb(40, 80, 52));
  part(
      scene, [](double x, double y) { return circle(x, y, 64, 92, 38); }, rgb(72, 132, 92), rgb(30, 64, 44));
  // A bird.
  flat(
      scene,
      [](double x, double y) {
        return std::min(capsule(x, y, 24, 22, 27, 25, 0.6), capsule(x, y, 27, 25, 30, 22, 0.6));
      },
      kInk);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Rgba c = scene.px[static_cast<size_t>(y * kStamp + x)];
      if (c.a) put(p, x, y, c);
    }
  const Rgba frame = rgb(120, 40, 52);
  for (int x = x0 - 1; x <= x1; ++x) {
    put(p, x, y0 - 1, frame);
    put(p, x, y1, frame);
  }
  for (int y = y0 - 1; y <= y1; ++y) {
    put(p, x0 - 1, y, frame);
    put(p, x1, y, frame);
  }
  text(p, "5", 15, 14, 1, rgb(255, 255, 255));
  const std::string name = "QUONDEL";
  text(p, name, 40 - text_width(name, 1) / 2, 65, 1, frame);
  return p;
}

Picture bloody() {
  Picture p = make_picture(kStamp, kStamp);
  rng_state = 0x5eed0b1du;
  std::vector<std::array<double, 3>> blobs;
  // Squeezed out around the closed hand: a ring of splashes with the middle
  // left clear, so the fist drawn underneath still shows through.
  for (int i = 0; i < 18; ++i) {
    const double a = i * 2 * kPi / 18 + rnd() * 0.5, r = 14 + rnd() * 10;
    if (i % 5 == 2) continue;  // gaps, so it reads as splashes and not a ring
    blobs.push_back({38 + std::cos(a) * r, 41 + std::sin(a) * r * 0.9, 2.5 + rnd() * 5.5});
  }
  // Flung droplets, smaller the farther out.
  for (int i = 0; i < 22; ++i) {
    const double a = rnd() * 2 * kPi, r = 27 + rnd() * 10;
    blobs.push_back({38 + std::cos(a) * r, 40 + std::sin(a) * r, std::max(0.9, 4.2 - r * 0.09 + rnd())});
  }
  std::vector<std::array<double, 4>> drips;
  for (int i = 0; i < 4; ++i) {
    const double x = 28 + i * 7 + rnd() * 3;
    drips.push_back({x, 56, 62 + rnd() * 10, 1.3 + rnd() * 1.0});
  }
  auto splash = [&blobs, &drips](double x, double y) {
    double d = 1e9;
    for (const auto &b : blobs) d = std::min(d, circle(x, y, b[0], b[1], b[2]));
    for (const auto &k : drips) {
      d = std::min(d, capsule(x, y, k[0], k[1], k[0], k[2], k[3]));
      d = std::min(d, circle(x, y, k[0], k[2], k[3] + 1.0));
    }
    return d;
  };
  part(p, splash, rgb(168, 10, 22), rgb(82, 0, 10), 2.6);
  // Wet glints on the biggest drops.
  for (size_t i = 0; i < 6; ++i) {
    const auto &b = blobs[i];
    flat(
        p, [&b](double x, double y) { return circle(x, y, b[0] - b[2] * 0.35, b[1] - b[2] * 0.4, 0.9); },
        rgb(240, 120, 120));
  }
  return p;
}

Picture caption(const std::string &words) {
  constexpr int s = 2;
  const int w = text_width(words, s) + 4;
  Picture p = make_picture(w, 7 * s + 4);
  text(p, words, 2, 2, s, rgb(255, 255, 255));
  return p;
}

// The hopping figure sits 128 px beyond a canvas corner, so only the parts
// 128 px and more from its centre along both axes are ever seen: four
// limbs reach to the corners and end in big clawed paws.
constexpr int kWild = 448;

Picture wildass() {
  Picture p = make_picture(kWild, kWild);
  constexpr double c = kWild / 2.0;
  const Rgba fur = rgb(255, 255, 255), ink = rgb(28, 22, 36), claw = rgb(214, 214, 226);
  rng_state = 0x0a55a55u;

  for (int q = 0; q < 4; ++q) {
    const double sx = (q & 1) ? 1 : -1, sy = (q & 2) ? 1 : -1;
    // Limb: shoulder, a crooked elbow, then the paw near the bitmap corner.
    const double ex = c + sx * 118, ey = c + sy * 84, px = c + sx * 164, py = c + sy * 164;
    auto limb = [=](double x, double y) {
      return std::min(capsule(x, y, c + sx * 40, c + sy * 30, ex, ey, 22), capsule(x, y, ex, ey, px, py, 19));
    };
    // Tufts of fur standing off the limb.
    for (int t = 0; t < 5; ++t) {
      const double k = 0.15 + t * 0.19, bx = ex + (px - ex) * k, by = ey + (py - ey) * k;
      const double side = (t & 1) ? 1 : -1, len = 38 + rnd() * 12;
      const double tx = bx + side * sy * len * 0.7 + sx * 6, ty = by - side * sx * len * 0.7 + sy * 6;
      part(
          p,
          [=](double x, double y) {
            return triangle(x, y, bx - 9 * sx, by - 9 * sy, bx + 9 * sx, by + 9 * sy, tx, ty);
          },
          fur, ink);
    }
    part(p, limb, fur, ink, 4.0);
    // Claws first, so the toes' outlines cut across their roots.
    const double out = std::atan2(sy, sx);
    for (int t = 0; t < 4; ++t) {
      const double a = out + (t - 1.5) * 0.52, tx = px + std::cos(a) * 34, ty = py + std::sin(a) * 34;
      const double kx = px + std::cos(a) * 58, ky = py + std::sin(a) * 58;
      const double nx = -std::sin(a) * 7, ny = std::cos(a) * 7;
      part(
          p, [=](double x, double y) { return triangle(x, y, tx + nx, ty + ny, tx - nx, ty - ny, kx, ky); }, claw, ink);
    }
    for (int t = 0; t < 4; ++t) {
      const double a = out + (t - 1.5) * 0.52;
      part(
          p,
          [=](double x, double y) {
            return capsule(x, y, px + std::cos(a) * 12, py + std::sin(a) * 12, px + std::cos(a) * 32,
                           py + std::sin(a) * 32, 9);
          },
          fur, ink, 3.0);
    }
    part(
        p, [=](double x, double y) { return circle(x, y, px, py, 20); }, fur, ink, 4.0);
    // Pads.
    flat(
        p, [=](double x, double y) { return ellipse(x, y, px + sx * 3, py + sy * 3, 9, 6.5, out + kPi / 2); },
        rgb(236, 200, 214));
    for (int t = 0; t < 4; ++t) {
      const double a = out + (t - 1.5) * 0.52;
      flat(
          p, [=](double x, double y) { return circle(x, y, px + std::cos(a) * 27, py + std::sin(a) * 27, 3.5); },
          rgb(236, 200, 214));
    }
  }

  // Body with a mane of spikes and a face: the whole creature exists even if
  // the canvas only ever shows its paws.
  for (int i = 0; i < 16; ++i) {
    const double a = i * 2 * kPi / 16 + 0.2, r = 84 + rnd() * 16, w = 0.2;
    const double tx = c + std::cos(a) * r, ty = c + std::sin(a) * r;
    part(
        p,
        [=](double x, double y) {
          return triangle(x, y, c + std::cos(a - w) * 50, c + std::sin(a - w) * 50, c + std::cos(a + w) * 50,
                          c + std::sin(a + w) * 50, tx, ty);
        },
        fur, ink);
  }
  part(
      p, [=](double x, double y) { return circle(x, y, c, c, 64); }, fur, ink, 5.0);
  for (int e = -1; e <= 1; e += 2) {
    const double ex = c + e * 24, ey = c - 14;
    part(
        p, [=](double x, double y) { return circle(x, y, ex, ey, 14); }, fur, ink, 3.0);
    flat(
        p, [=](double x, double y) { return circle(x, y, ex + 3, ey + 3, 7); }, ink);
    flat(
        p, [=](double x, double y) { return circle(x, y, ex + 1, ey + 1, 2); }, fur);
  }
  // Wide toothy grin.
  auto mouth = [=](double x, double y) { return std::max(ellipse(x, y, c, c + 18, 36, 22, 0), c + 18 - y); };
  part(p, mouth, rgb(70, 40, 60), ink);
  for (int t = -3; t <= 3; ++t) {
    const double tx = c + t * 9;
    part(
        p, [=](double x, double y) { return triangle(x, y, tx - 4, c + 18, tx + 4, c + 18, tx, c + 27); }, fur, ink);
  }
  return p;
}

constexpr int kInspi = 64;
const Rgba kPale = rgb(250, 250, 250);

Picture inspi_eye() {
  Picture p = make_picture(kInspi, kInspi);
  const double c = 32;
  for (int i = 0; i < 7; ++i) {
    const double a = kPi + 0.35 + i * (kPi - 0.7) / 6;
    const double ax = c + std::cos(a) * 17, ay = c + 6 + std::sin(a) * 16;
    const double bx = c + std::cos(a) * 27, by = c + 6 + std::sin(a) * 25;
    part(
        p, [=](double x, double y) { return capsule(x, y, ax, ay, bx, by, 1.6); }, kPale, kInk, 1.2);
  }
  auto lens = [c](double x, double y) { return std::max(circle(x, y, c, c + 22, 34), circle(x, y, c, c - 22, 34)); };
  part(p, lens, kPale, kInk, 2.6);
  Picture inner = make_picture(kInspi, kInspi);
  part(
      inner, [c](double x, double y) { return circle(x, y, c, c, 10); }, rgb(176, 180, 198), rgb(70, 72, 96), 2.4);
  flat(
      inner, [c](double x, double y) { return circle(x, y, c, c, 4.5); }, kInk);
  flat(
      inner, [c](double x, double y) { return circle(x, y, c - 4, c - 4, 1.6); }, rgb(255, 255, 255));
  // The iris shows only inside the lids.
  for (int y = 0; y < kInspi; ++y)
    for (int x = 0; x < kInspi; ++x) {
      const Rgba v = inner.px[static_cast<size_t>(y * kInspi + x)];
      if (v.a && lens(x + 0.5, y + 0.5) < -0.5) put(p, x, y, v);
    }
  return p;
}

Picture inspi_star() {
  Picture p = make_picture(kInspi, kInspi);
  const double c = 32, outer = 29, inner = 12;
  // Star as a union of ten triangles from the centre, shaded per facet.
  for (int i = 0; i < 10; ++i) {
    const double a0 = -kPi / 2 + i * kPi / 5, a1 = a0 + kPi / 5;
    const double r0 = (i % 2) ? inner : outer, r1 = (i % 2) ? outer : inner;
    const double ax = c + std::cos(a0) * r0, ay = c + std::sin(a0) * r0;
    const double bx = c + std::cos(a1) * r1, by = c + std::sin(a1) * r1;
    const Rgba tone = (i % 2) ? rgb(206, 206, 214) : rgb(255, 255, 255);
    flat(
        p, [=](double x, double y) { return triangle(x, y, c, c, ax, ay, bx, by) - 0.4; }, tone);
  }
  auto star = [=](double x, double y) {
    double d = 1e9;
    for (int i = 0; i < 10; ++i) {
      const double a0 = -kPi / 2 + i * kPi / 5, a1 = a0 + kPi / 5;
      const double r0 = (i % 2) ? inner : outer, r1 = (i % 2) ? outer : inner;
      d = std::min(d, triangle(x, y, c, c, c + std::cos(a0) * r0, c + std::sin(a0) * r0, c + std::cos(a1) * r1,
                               c + std::sin(a1) * r1));
    }
    return d;
  };
  for (int y = 0; y < kInspi; ++y)
    for (int x = 0; x < kInspi; ++x) {
      const double d = star(x + 0.5, y + 0.5);
      if (d > 0 && d <= 1.3) put(p, x, y, kInk);
    }
  // A little sparkle.
  flat(
      p,
      [c](double x, double y) {
        return std::min(box(x, y, c - 5, c - 6, 0.5, 2.5, 0), box(x, y, c - 5, c - 6, 2.5, 0.5, 0));
      },
      rgb(255, 255, 255));
  return p;
}

Picture inspi_spiral() {
  Picture p = make_picture(kInspi, kInspi);
  const double c = 32, spacing = 10.5, b = spacing / (2 * kPi), end = 2 * kPi * 2.55;
  auto spiral = [=](double x, double y) {
    const double r = std::hypot(x - c, y - c);
    double phi = std::atan2(y - c, x - c);
    if (phi < 0) phi += 2 * kPi;
    double d = 1e9;
    for (int k = 0; k < 4; ++k) {
      const double t = phi + k * 2 * kPi;
      if (t <= end) d = std::min(d, std::fabs(r - (2.5 + b * t)));
    }
    // Round cap at the outer end.
    d = std::min(d, std::hypot(x - (c + std::cos(end) * (2.5 + b * end)), y - (c + std::sin(end) * (2.5 + b * end))));
    return std::min(d - 3.4, circle(x, y, c, c, 4.5));
  };
  part(p, spiral, kPale, kInk, 2.0);
  return p;
}

Picture inspi_flower() {
  Picture p = make_picture(kInspi, kInspi);
  const double c = 32;
  for (int i = 0; i < 8; ++i) {
    const double a = i * kPi / 4 + kPi / 8;
    const Rgba tone = (i % 2) ? rgb(232, 232, 240) : rgb(255, 255, 255);
    part(
        p, [=](double x, double y) { return ellipse(x, y, c + std::cos(a) * 16, c + std::sin(a) * 16, 13, 7, a); },
        tone, kInk, 2.2);
    flat(
        p,
        [=](double x, double y) {
          return capsule(x, y, c + std::cos(a) * 10, c + std::sin(a) * 10, c + std::cos(a) * 20, c + std::sin(a) * 20,
                         0.45);
        },
        scale(tone, 0.78));
  }
  part(
      p, [c](double x, double y) { return circle(x, y, c, c, 9.5); }, rgb(244, 222, 150), kInk, 2.4);
  for (int i = 0; i < 7; ++i) {
    const double a = i * 2 * kPi / 7, r = (i == 0) ? 0 : 5;
    flat(
        p, [=](double x, double y) { return circle(x, y, c + std::cos(a) * r, c + std::sin(a) * r, 1.1); },
        rgb(176, 140, 70));
  }
  return p;
}

// ---- BMP output --------------------------------------------------------------

void put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t> &out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

// 32 bits per pixel with a BITMAPV4HEADER whose bit fields include an alpha
// mask: SDL's loader then keeps the alpha channel.
bool write_bmp(const std::string &path, const Picture &p) {
  const uint32_t offset = 14 + 108, size = uint32_t(p.w * p.h * 4);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + size);
  put32(out, 0);
  put32(out, offset);
  put32(out, 108);
  put32(out, uint32_t(p.w));
  put32(out, uint32_t(p.h));  // positive: rows run bottom-up
  put16(out, 1);
  put16(out, 32);
  put32(out, 3);  // BI_BITFIELDS
  put32(out, size);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0x00ff0000);
  put32(out, 0x0000ff00);
  put32(out, 0x000000ff);
  put32(out, 0xff000000);
  put32(out, 0x73524742);                      // 'sRGB'
  for (int i = 0; i < 12; ++i) put32(out, 0);  // endpoints and gamma, unused
  for (int y = p.h - 1; y >= 0; --y)
    for (int x = 0; x < p.w; ++x) {
      const Rgba c = p.px[static_cast<size_t>(y * p.w + x)];
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
      out.push_back(c.a);
    }
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  // One drawing for each of the game's pictures, by id.
  std::array<Picture, IMG_COUNT> pictures{};
  pictures[IMG_HANDOPEN] = hand_open();
  pictures[IMG_HANDCLOSE] = hand_close();
  pictures[IMG_STAMP] = stamp();
  pictures[IMG_BLOODY] = bloody();
  pictures[IMG_BOTTOMTEXT] = caption("IT WANTS MORE");
  pictures[IMG_TOPTEXT] = caption("DON'T LET GO");
  pictures[IMG_WILDASS] = wildass();
  pictures[IMG_INSPI0] = inspi_eye();
  pictures[IMG_INSPI1] = inspi_star();
  pictures[IMG_INSPI2] = inspi_spiral();
  pictures[IMG_INSPI3] = inspi_flower();
  for (size_t id = 0; id < pictures.size(); id++) {
    // The game's names carry its res/ directory; the one given here replaces it.
    std::string name = image_files[id];
    name = name.substr(name.rfind('/') + 1);
    const Picture &picture = pictures[id];
    if (picture.w <= 0 || picture.h <= 0) {
      std::fprintf(stderr, "%s: no drawing for it here\n", name.c_str());
      return 1;
    }
    if (!write_bmp(dir + name, picture)) return 1;
    std::printf("%s %d x %d\n", name.c_str(), picture.w, picture.h);
  }
  return 0;
}
