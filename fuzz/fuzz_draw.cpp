// Random drawing calls with random ids, tiles, positions, colours and
// VYN_DrawExOptions, including NaN, infinities, huge and negative values,
// plus points, lines and rectangles.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "common.h"

namespace {

int loaded = 0;  // images 0 .. loaded-1 exist

// Mostly the awkward values, sometimes any bit pattern.
template <typename T>
T number(FuzzedDataProvider &in) {
  constexpr std::array<T, 14> special = {
      0,
      -0.0,
      1,
      -1,
      0.5,
      std::numeric_limits<T>::quiet_NaN(),
      std::numeric_limits<T>::infinity(),
      -std::numeric_limits<T>::infinity(),
      std::numeric_limits<T>::max(),
      std::numeric_limits<T>::lowest(),
      std::numeric_limits<T>::denorm_min(),
      static_cast<T>(2147483648.0),
      static_cast<T>(-2147483649.0),
      static_cast<T>(1e30),
  };
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      return in.PickValueInArray(special);
    case 1:
      return in.ConsumeFloatingPointInRange<T>(-4, 4);
    default:
      return in.ConsumeFloatingPoint<T>();
  }
}

int coordinate(FuzzedDataProvider &in) {
  if (in.ConsumeBool()) return in.ConsumeIntegralInRange<int>(-300, 600);
  return in.ConsumeIntegral<int32_t>();
}

int image_id(FuzzedDataProvider &in) {
  if (in.ConsumeBool()) return in.ConsumeIntegralInRange<int>(-1, VYN_MAX_IMAGES);
  return in.ConsumeIntegral<int32_t>();
}

// SDL's software renderer builds a scaled copy of the whole destination
// before rotating it, so a destination of millions of pixels a side costs
// gigabytes inside SDL. Such draws are left out; sizes beyond an int, NaN
// and infinities still reach the engine, which must refuse them.
bool destination_affordable(int id, const VYN_DrawExOptions &o) {
  if (id < 0 || id >= loaded) return true;
  const double side[2] = {(o.src_w > 0 ? o.src_w : 64) * o.scale_x, (o.src_h > 0 ? o.src_h : 64) * o.scale_y};
  for (double s : side) {
    if (std::isfinite(s) && std::fabs(s) < 2147483648.0 && std::fabs(s) > 1024) return false;
  }
  return true;
}

void draw_ex(FuzzedDataProvider &in) {
  const int id = image_id(in);
  const int x = coordinate(in);
  const int y = coordinate(in);
  VYN_DrawExOptions o{};
  o.src_x = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 70) : in.ConsumeIntegral<int32_t>();
  o.src_y = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 70) : in.ConsumeIntegral<int32_t>();
  o.src_w = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 70) : in.ConsumeIntegral<int32_t>();
  o.src_h = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 70) : in.ConsumeIntegral<int32_t>();
  o.scale_x = number<double>(in);
  o.scale_y = number<double>(in);
  o.angle = number<double>(in);
  o.center = in.ConsumeBool();
  o.flip_h = in.ConsumeBool();
  o.flip_v = in.ConsumeBool();
  if (in.ConsumeIntegralInRange<int>(0, 15) == 0) {
    VYN_DrawImageEx(id, x, y, nullptr);
  } else if (destination_affordable(id, o)) {
    VYN_DrawImageEx(id, x, y, &o);
  }
}

void draw_points(FuzzedDataProvider &in) {
  const int count = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-3, 300) : in.ConsumeIntegral<int32_t>();
  // Arrays as long as the count says, up to one past the engine's limit;
  // longer counts must be refused before the arrays are read.
  const int have = count < 0 ? 0 : count > 65537 ? 0 : count;
  std::vector<int> xs(static_cast<size_t>(have)), ys(static_cast<size_t>(have));
  for (int i = 0; i < have && in.remaining_bytes() > 0; i++) {
    xs[static_cast<size_t>(i)] = coordinate(in);
    ys[static_cast<size_t>(i)] = coordinate(in);
  }
  const int result =
      VYN_DrawPoints(have > 0 ? xs.data() : nullptr, have > 0 ? ys.data() : nullptr, have == 0 ? count : have);
  if (count > 65536 && result != -1) {
    std::fprintf(stderr, "\nfuzz_draw: %d points accepted on a 256 x 256 canvas\n", count);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::start_engine();
  const std::string dir = harness::exe_dir() + "res/";
  mkdir(dir.c_str(), 0755);
  // Images of different shapes: a sheet of 4 x 2 tiles, one smaller than
  // a tile, a single pixel, and one with alpha.
  const struct {
    const char *name;
    int w, h, bits;
  } pictures[] = {
      {"sheet.bmp", 64, 32, 24}, {"small.bmp", 10, 7, 24}, {"pixel.bmp", 1, 1, 32}, {"alpha.bmp", 40, 30, 32}};
  for (const auto &p : pictures) {
    if (!fuzz::write_bmp(dir + p.name, p.w, p.h, p.bits) || VYN_ImageLoad((std::string("res/") + p.name).c_str()) < 0) {
      std::fprintf(stderr, "\nfuzz_draw: cannot prepare %s\n", p.name);
      std::abort();
    }
    loaded++;
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  VYN_DrawBegin();
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange<int>(0, 10)) {
      case 0:
        VYN_DrawSetColor(number<float>(in), number<float>(in), number<float>(in), number<float>(in));
        break;
      case 1:
        VYN_DrawImage(image_id(in), coordinate(in), coordinate(in));
        break;
      case 2:
        draw_ex(in);
        break;
      case 3: {
        const int id = image_id(in);
        const int tile = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 10) : in.ConsumeIntegral<int32_t>();
        const int x = coordinate(in);
        const int y = coordinate(in);
        const double angle = number<double>(in);
        VYN_DrawTile(id, tile, x, y, angle, static_cast<SDL_RendererFlip>(in.ConsumeIntegralInRange<int>(0, 3)));
        break;
      }
      case 4:
        VYN_DrawPoint(coordinate(in), coordinate(in));
        break;
      case 5:
        draw_points(in);
        break;
      case 6:
        VYN_DrawLine(coordinate(in), coordinate(in), coordinate(in), coordinate(in));
        break;
      case 7:
        VYN_DrawRectangle(in.ConsumeBool(), coordinate(in), coordinate(in), coordinate(in), coordinate(in));
        break;
      case 8:
        VYN_DrawClear();
        break;
      case 9:
        VYN_DrawEnd();
        VYN_DrawBegin();
        break;
      default:
        VYN_GetTick();
        break;
    }
  }
  VYN_DrawEnd();
  return 0;
}
