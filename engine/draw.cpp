// Engine pictures and drawing: the image registry and its BMP loader, the
// window icon, shapes and images, and the clipping that keeps far-off
// coordinates away from SDL's arithmetic.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.h"

using namespace vyn;

namespace {

const State::Core &core = state.core;
State::Pictures &pictures = state.pictures;

// Half the side of a square centred on the origin that holds every render
// target. SDL's own arithmetic overflows or allocates without bound for
// shapes and copies far beyond it, so those are cut or dropped first;
// nothing inside it changes.
constexpr int64_t reach = 65536;

// Shared checks of the image draws: the id, then the modulation.
VYN_Image *_image_lookup(int id, const char *negative_message) {
  if (id < 0) {
    std::fputs(negative_message, stderr);
    return nullptr;
  }
  if (id >= VYN_MAX_IMAGES || pictures.images[id].texture == nullptr) {
    std::fprintf(stderr, "no image with id %d\n", id);
    return nullptr;
  }
  return &pictures.images[id];
}

int _image_modulate(const VYN_Image *img) {
  if (SDL_SetTextureColorMod(img->texture, static_cast<Uint8>(core.color.r), static_cast<Uint8>(core.color.g),
                             static_cast<Uint8>(core.color.b)) < 0) {
    return _sdl_fail();
  }
  SDL_SetTextureAlphaMod(img->texture, static_cast<Uint8>(core.color.a));
  return 0;
}

// SDL's loader allocates and clears whatever size a header claims before
// reading a pixel, so a damaged picture could take gigabytes. Pictures
// beyond the usual largest texture are refused up front; anything else,
// including headers too short to judge, is left to SDL.
bool _bmp_too_large(SDL_RWops *rw) {
  constexpr int64_t max_side = 16384;
  char magic[2] = {};
  int64_t w = 0, h = 0;
  if (SDL_RWread(rw, magic, 2, 1) == 1 && magic[0] == 'B' && magic[1] == 'M' && SDL_RWseek(rw, 14, RW_SEEK_SET) == 14) {
    // The old 12-byte header has 16-bit sizes, the others 32-bit signed
    // ones (a negative height means rows run top-down). A short read gives
    // zeros, which SDL then reports itself.
    if (SDL_ReadLE32(rw) == 12) {
      w = SDL_ReadLE16(rw);
      h = SDL_ReadLE16(rw);
    } else {
      w = static_cast<int32_t>(SDL_ReadLE32(rw));
      h = static_cast<int32_t>(SDL_ReadLE32(rw));
    }
  }
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  if (w <= max_side && h <= max_side && h >= -max_side) return false;
  SDL_SetError("picture too large (%lld x %lld)", static_cast<long long>(w), static_cast<long long>(h));
  return true;
}

// A BMP file as a surface, or null with SDL's error set. The file is opened
// first so a missing one reports why it could not be opened, not the
// loader's complaint about a null stream.
SDL_Surface *_load_bmp(const char *full) {
  SDL_RWops *rw = SDL_RWFromFile(full, "rb");
  if (rw == nullptr) return nullptr;
  if (_bmp_too_large(rw)) {
    SDL_RWclose(rw);
    return nullptr;
  }
  SDL_ClearError();
  SDL_Surface *surface = SDL_LoadBMP_RW(rw, 1);
  // SDL 3's loader (under sdl2-compat) gives no reason for a file that
  // ends early; SDL 2's words for it are used then.
  if (surface == nullptr && *SDL_GetError() == '\0') SDL_SetError("Error reading from datastream");
  return surface;
}

// SDL plots a line point by point into a buffer as long as the whole line,
// so a line between far-off coordinates would cost gigabytes. Lines that
// leave a square far larger than any render target are cut at its edges
// (Liang-Barsky); everything else reaches SDL untouched. False when
// nothing of the line is inside.
bool _clip_line(int &x0, int &y0, int &x1, int &y1) {
  if (std::abs(static_cast<double>(x0)) <= reach && std::abs(static_cast<double>(y0)) <= reach &&
      std::abs(static_cast<double>(x1)) <= reach && std::abs(static_cast<double>(y1)) <= reach) {
    return true;
  }
  const double ax = x0, ay = y0, dx = static_cast<double>(x1) - ax, dy = static_cast<double>(y1) - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax + reach, reach - ax, ay + reach, reach - ay};
  double t0 = 0.0, t1 = 1.0;
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  x0 = static_cast<int>(std::lround(ax + t0 * dx));
  y0 = static_cast<int>(std::lround(ay + t0 * dy));
  x1 = static_cast<int>(std::lround(ax + t1 * dx));
  y1 = static_cast<int>(std::lround(ay + t1 * dy));
  return true;
}

// A double that can be truncated to int without leaving its range.
bool _fits_int(double v) { return v > -2147483649.0 && v < 2147483648.0; }

// True when a copy to dst, turned any way about its centre, lands wholly
// outside the square every target fits in: SDL's rotation overflows on
// such positions, and there is nothing to see anyway.
bool _far_away(const SDL_Rect &dst) {
  const double cx = dst.x + dst.w / 2.0;
  const double cy = dst.y + dst.h / 2.0;
  const double radius = std::hypot(static_cast<double>(dst.w), static_cast<double>(dst.h)) / 2.0;
  const auto r = static_cast<double>(reach);
  return cx + radius < -r || cx - radius > r || cy + radius < -r || cy - radius > r;
}

}  // namespace

int vyn::_pictures_init() {
  // 64-bit count: a large canvas must not wrap to a small buffer.
  const uint64_t count = static_cast<uint64_t>(core.config.display_width) * core.config.display_height;
  if (count <= SIZE_MAX / sizeof(SDL_Point)) {
    pictures.points = static_cast<SDL_Point *>(std::malloc(static_cast<size_t>(count) * sizeof(SDL_Point)));
  }
  if (pictures.points == nullptr) {
    std::fputs("malloc failed\n", stderr);
    return -1;
  }
  return 0;
}

void vyn::_pictures_quit() {
  for (int i = 0; i < VYN_MAX_IMAGES; i++) {
    if (pictures.images[i].texture == nullptr) continue;
    SDL_DestroyTexture(pictures.images[i].texture);
    pictures.images[i] = VYN_Image{};
    std::fprintf(stderr, "destroyed image %d\n", i);
  }
  std::free(pictures.points);
  pictures.points = nullptr;
}

// ---- Image registry -----------------------------------------------------

char *VYN_PathPrefix(const char *path) {
  if (path == nullptr) {
    std::fputs("path is NULL\n", stderr);
    return nullptr;
  }
  const size_t plen = std::strlen(path);
  if (core.basepath == nullptr) {
    std::fputs("basepath is NULL", stderr);
    char *copy = static_cast<char *>(std::malloc(plen + 1));
    if (copy != nullptr) std::memcpy(copy, path, plen + 1);
    return copy;
  }
  const size_t blen = std::strlen(core.basepath);
  char *full = static_cast<char *>(std::malloc(blen + plen + 1));
  if (full == nullptr) {
    std::fputs("malloc failed\n", stderr);
    return nullptr;
  }
  std::memcpy(full, core.basepath, blen);
  std::memcpy(full + blen, path, plen + 1);
  return full;
}

int VYN_ImageLoad(const char *path) {
  int slot = 0;
  while (slot < VYN_MAX_IMAGES && pictures.images[slot].texture != nullptr) slot++;
  if (slot == VYN_MAX_IMAGES) {
    std::fprintf(stderr, "reached image limit (%d)\n", VYN_MAX_IMAGES);
    return -1;
  }
  char *full = VYN_PathPrefix(path);
  if (full == nullptr) {
    std::fputs("VYN_PathPrefix failed\n", stderr);
    return -1;
  }
  SDL_Surface *surface = _load_bmp(full);
  std::free(full);
  if (surface == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path, SDL_GetError());
    return -1;
  }
  SDL_Texture *texture = SDL_CreateTextureFromSurface(core.renderer, surface);
  SDL_FreeSurface(surface);
  if (texture == nullptr) return _sdl_fail();

  VYN_Image &img = pictures.images[slot];
  img.texture = texture;
  if (SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND) < 0) return _sdl_fail();
  if (SDL_QueryTexture(texture, nullptr, nullptr, &img.width, &img.height) != 0) return _sdl_fail();
  return slot;
}

int VYN_WindowIcon(const char *path) {
  char *full = VYN_PathPrefix(path);
  if (full == nullptr) {
    std::fputs("VYN_PathPrefix failed\n", stderr);
    return -1;
  }
  SDL_Surface *icon = _load_bmp(full);
  std::free(full);
  if (icon != nullptr && core.window == nullptr) {
    SDL_FreeSurface(icon);
    icon = nullptr;
    SDL_SetError("no window");
  }
  if (icon == nullptr) {
    std::fprintf(stderr, "window icon %s: %s\n", path, SDL_GetError());
    return -1;
  }
  SDL_SetWindowIcon(core.window, icon);
  SDL_FreeSurface(icon);
  return 0;
}

// ---- Shape drawing ------------------------------------------------------

int VYN_DrawPoint(int x, int y) {
  if (SDL_RenderDrawPoint(core.renderer, x, y) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawPoints(const int *xs, const int *ys, int count) {
  const auto limit = static_cast<int>(core.config.display_width * core.config.display_height);
  if (count > limit) {
    std::fprintf(stderr, "%d > %u\n", count, static_cast<unsigned>(limit));
    return -1;
  }
  if (count > 0 && (xs == nullptr || ys == nullptr)) {
    std::fputs("xs or ys is NULL\n", stderr);
    return -1;
  }
  for (int i = 0; i < count; i++) pictures.points[i] = SDL_Point{xs[i], ys[i]};
  if (SDL_RenderDrawPoints(core.renderer, pictures.points, count) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawLine(int x0, int y0, int x1, int y1) {
  if (!_clip_line(x0, y0, x1, y1)) return 0;
  if (SDL_RenderDrawLine(core.renderer, x0, y0, x1, y1) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawRectangle(bool fill, int x, int y, int w, int h) {
  // SDL's rectangle code overflows (and writes out of bounds) when x + w or
  // y + h leaves the int range. A rectangle reaching beyond a square far
  // larger than any render target is cut to it; the cut edges stay
  // outside every target, so what is drawn does not change.
  const int64_t x0 = x, y0 = y, x1 = x0 + w, y1 = y0 + h;
  if (x0 < -reach || y0 < -reach || x1 > reach || y1 > reach) {
    const int64_t cx0 = std::max(x0, -reach), cy0 = std::max(y0, -reach);
    const int64_t cx1 = std::min(x1, reach), cy1 = std::min(y1, reach);
    if (w <= 0 || h <= 0 || cx1 <= cx0 || cy1 <= cy0) return 0;
    x = static_cast<int>(cx0);
    y = static_cast<int>(cy0);
    w = static_cast<int>(cx1 - cx0);
    h = static_cast<int>(cy1 - cy0);
  }
  const SDL_Rect r = {x, y, w, h};
  const int result = fill ? SDL_RenderFillRect(core.renderer, &r) : SDL_RenderDrawRect(core.renderer, &r);
  if (result != 0) return _sdl_fail();
  return 0;
}

// ---- Image drawing ------------------------------------------------------

int VYN_DrawImage(int id, int x, int y) {
  const VYN_Image *img = _image_lookup(id, "id is negative\n");
  if (img == nullptr || _image_modulate(img) != 0) return -1;
  const SDL_Rect dst = {x, y, img->width, img->height};
  if (_far_away(dst)) return 0;
  if (SDL_RenderCopy(core.renderer, img->texture, nullptr, &dst) < 0) return _sdl_fail();
  return 0;
}

int VYN_DrawImageEx(int id, int x, int y, const VYN_DrawExOptions *options) {
  const VYN_Image *img = _image_lookup(id, "id is negative\n");
  if (img == nullptr) return -1;
  if (options == nullptr) {
    std::fputs("options is NULL\n", stderr);
    return -1;
  }
  const VYN_DrawExOptions &o = *options;
  // A negative offset would reach outside the texture: refused, not guessed.
  if (o.src_x < 0 || o.src_y < 0) {
    std::fputs(o.src_x < 0 ? "src_x is negative\n" : "src_y is negative\n", stderr);
    return -1;
  }

  const int w = o.src_w > 0 ? o.src_w : img->width;
  const int h = o.src_h > 0 ? o.src_h : img->height;
  const double dw = w * o.scale_x;
  const double dh = h * o.scale_y;
  double dx = x;
  double dy = y;
  if (o.center) {
    dx = x - dw / 2.0;
    dy = y - dh / 2.0;
  }
  // NaN, infinities and sizes beyond an int have no rectangle to draw.
  if (!_fits_int(dw) || !_fits_int(dh) || !_fits_int(dx) || !_fits_int(dy) || !std::isfinite(o.angle)) {
    std::fputs("draw options out of range\n", stderr);
    return -1;
  }
  SDL_Rect src = {o.src_x, o.src_y, w, h};
  SDL_Rect dst = {static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dw), static_cast<int>(dh)};
  if (static_cast<int64_t>(o.src_x) + w > img->width) src.w = dst.w = img->width - o.src_x;
  if (static_cast<int64_t>(o.src_y) + h > img->height) src.h = dst.h = img->height - o.src_y;

  if (_image_modulate(img) != 0) return -1;
  if (_far_away(dst)) return 0;
  const int flip = (o.flip_h ? SDL_FLIP_HORIZONTAL : 0) | (o.flip_v ? SDL_FLIP_VERTICAL : 0);
  if (SDL_RenderCopyEx(core.renderer, img->texture, &src, &dst, o.angle, nullptr,
                       static_cast<SDL_RendererFlip>(flip)) != 0) {
    return _sdl_fail();
  }
  return 0;
}

int VYN_DrawTile(int id, int tile, int x, int y, double angle, SDL_RendererFlip flip) {
  const VYN_Image *img = _image_lookup(id, "id is negative");
  if (img == nullptr) return -1;
  if (tile < 0) {
    std::fputs("tile is negative\n", stderr);
    return -1;
  }
  const uint32_t size = core.config.tile_size;
  const uint32_t columns = static_cast<uint32_t>(img->width) / size;
  const uint32_t rows = static_cast<uint32_t>(img->height) / size;
  if (static_cast<uint64_t>(tile) >= static_cast<uint64_t>(columns) * rows) {
    std::fputs("tile exceeds boundaries\n", stderr);
    return -1;
  }
  // SDL's rotation has no answer for an infinite or NaN angle and crashes.
  if (!std::isfinite(angle)) {
    std::fputs("angle out of range\n", stderr);
    return -1;
  }
  if (_image_modulate(img) != 0) return -1;
  const auto t = static_cast<uint32_t>(tile);
  const auto edge = static_cast<int>(size);
  const SDL_Rect src = {static_cast<int>(t % columns * size), static_cast<int>(t / columns * size), edge, edge};
  const SDL_Rect dst = {x, y, edge, edge};
  if (_far_away(dst)) return 0;
  if (SDL_RenderCopyEx(core.renderer, img->texture, &src, &dst, angle, nullptr, flip) < 0) return _sdl_fail();
  return 0;
}
