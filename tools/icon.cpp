// Makes a square application icon from one of the game's pictures: the
// picture's visible part, scaled by a whole factor with nearest neighbour
// (or reduced the same way when it is larger than the icon), centred on a
// transparent square, written as an uncompressed PNG. The output depends
// only on the picture, so packages build reproducibly without an image
// library. An .ico (Windows) holds one PNG-compressed image per size.
//
//   quondel_icon PICTURE.bmp SIZE OUT.png
//   quondel_icon PICTURE.bmp SIZE,SIZE,... OUT.ico
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Rgba {
  int w = 0, h = 0;
  std::vector<uint8_t> px;  // 4 bytes a pixel, rows from the top
};

std::array<uint32_t, 256> crc_table() {
  std::array<uint32_t, 256> t{};
  for (uint32_t n = 0; n < 256; n++) {
    uint32_t c = n;
    for (int k = 0; k < 8; k++) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}

uint32_t crc32(const uint8_t *data, size_t size) {
  static const std::array<uint32_t, 256> table = crc_table();
  uint32_t c = 0xffffffffu;
  for (size_t i = 0; i < size; i++) c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
  return c ^ 0xffffffffu;
}

void put_be32(std::vector<uint8_t> &out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void put_chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  put_be32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put_be32(out, crc32(out.data() + start, out.size() - start));
}

// RGBA, 8 bits a channel, no filtering, zlib stream of stored blocks.
std::vector<uint8_t> encode_png(const Rgba &img) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < img.h; y++) {
    raw.push_back(0);
    const auto row = img.px.begin() + static_cast<std::ptrdiff_t>(y) * img.w * 4;
    raw.insert(raw.end(), row, row + img.w * 4);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at == 0 || at < raw.size();) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n & 0xff));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n & 0xff));
    z.push_back(static_cast<uint8_t>((~n >> 8) & 0xff));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    if (last) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  put_be32(z, b << 16 | a);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> ihdr;
  put_be32(ihdr, static_cast<uint32_t>(img.w));
  put_be32(ihdr, static_cast<uint32_t>(img.h));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  put_chunk(out, "IHDR", ihdr);
  put_chunk(out, "IDAT", z);
  put_chunk(out, "IEND", {});
  return out;
}

void put_le(std::vector<uint8_t> &out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// ICONDIR, one 16-byte entry per image (a size of 256 is written as 0),
// then the PNGs in order.
std::vector<uint8_t> encode_ico(const std::vector<std::pair<int, std::vector<uint8_t>>> &pngs) {
  std::vector<uint8_t> out;
  put_le(out, 0, 2);
  put_le(out, 1, 2);
  put_le(out, static_cast<uint32_t>(pngs.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * pngs.size());
  for (const auto &[size, png] : pngs) {
    put_le(out, static_cast<uint32_t>(size & 0xff), 1);
    put_le(out, static_cast<uint32_t>(size & 0xff), 1);
    put_le(out, 0, 2);  // no palette, reserved
    put_le(out, 1, 2);  // planes
    put_le(out, 32, 2);
    put_le(out, static_cast<uint32_t>(png.size()), 4);
    put_le(out, offset, 4);
    offset += static_cast<uint32_t>(png.size());
  }
  for (const auto &entry : pngs) out.insert(out.end(), entry.second.begin(), entry.second.end());
  return out;
}

bool load(const char *path, Rgba &img) {
  // Opened separately so that a missing file reports why, not a null stream.
  SDL_RWops *file = SDL_RWFromFile(path, "rb");
  if (file == nullptr) return false;
  SDL_Surface *loaded = SDL_LoadBMP_RW(file, 1);
  if (loaded == nullptr) return false;
  SDL_Surface *s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (s == nullptr) return false;
  img.w = s->w;
  img.h = s->h;
  img.px.resize(static_cast<size_t>(s->w) * s->h * 4);
  for (int y = 0; y < s->h; y++) {
    const auto *row = static_cast<const uint8_t *>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
    std::copy(row, row + s->w * 4, img.px.begin() + static_cast<std::ptrdiff_t>(y) * s->w * 4);
  }
  SDL_FreeSurface(s);
  return true;
}

// The visible part: the box around every pixel that is not fully
// transparent (the whole picture when it has no transparency).
SDL_Rect visible_box(const Rgba &img) {
  int x0 = img.w, y0 = img.h, x1 = -1, y1 = -1;
  for (int y = 0; y < img.h; y++) {
    for (int x = 0; x < img.w; x++) {
      if (img.px[(static_cast<size_t>(y) * img.w + x) * 4 + 3] == 0) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return SDL_Rect{0, 0, img.w, img.h};
  return SDL_Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

Rgba make_icon(const Rgba &img, int size) {
  const SDL_Rect box = visible_box(img);
  const int side = std::max(box.w, box.h);
  // Whole-number enlargement keeps the pixels square; a larger picture is
  // sampled down by the same rule in reverse.
  const int up = std::max(1, size / side);
  const double step = side * up > size ? static_cast<double>(side) / size : 1.0 / up;
  const int out_w = std::min(size, static_cast<int>(box.w / step));
  const int out_h = std::min(size, static_cast<int>(box.h / step));
  const int left = (size - out_w) / 2, top = (size - out_h) / 2;
  Rgba icon;
  icon.w = icon.h = size;
  icon.px.assign(static_cast<size_t>(size) * size * 4, 0);
  for (int y = 0; y < out_h; y++) {
    for (int x = 0; x < out_w; x++) {
      const int sx = box.x + std::min(box.w - 1, static_cast<int>(x * step));
      const int sy = box.y + std::min(box.h - 1, static_cast<int>(y * step));
      const uint8_t *from = &img.px[(static_cast<size_t>(sy) * img.w + sx) * 4];
      std::copy(from, from + 4, &icon.px[(static_cast<size_t>(top + y) * size + left + x) * 4]);
    }
  }
  return icon;
}

}  // namespace

int main(int argc, char *argv[]) {
  if (argc != 4) {
    std::fputs("usage: quondel_icon PICTURE.bmp SIZE OUT.png | SIZE,SIZE,... OUT.ico\n", stderr);
    return 2;
  }
  const std::string out_path = argv[3];
  const bool ico = out_path.size() > 4 && out_path.compare(out_path.size() - 4, 4, ".ico") == 0;
  std::vector<int> sizes;
  for (const char *at = argv[2]; *at != '\0';) {
    char *end = nullptr;
    const long size = std::strtol(at, &end, 10);
    if (end == at || (*end != '\0' && *end != ',') || size < 1 || size > (ico ? 256 : 1024)) {
      std::fprintf(stderr, "%s: sizes must be 1 to %d\n", argv[2], ico ? 256 : 1024);
      return 2;
    }
    sizes.push_back(static_cast<int>(size));
    at = *end == ',' ? end + 1 : end;
  }
  if (sizes.empty() || (!ico && sizes.size() != 1)) {
    std::fprintf(stderr, "%s: one size for a .png, one or more for an .ico\n", argv[2]);
    return 2;
  }
  Rgba img;
  if (!load(argv[1], img)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], SDL_GetError());
    return 1;
  }
  std::vector<std::pair<int, std::vector<uint8_t>>> pngs;
  for (int size : sizes) pngs.emplace_back(size, encode_png(make_icon(img, size)));
  const std::vector<uint8_t> data = ico ? encode_ico(pngs) : pngs.front().second;
  std::FILE *f = std::fopen(argv[3], "wb");
  const bool ok = f != nullptr && std::fwrite(data.data(), 1, data.size(), f) == data.size();
  if (f != nullptr && std::fclose(f) != 0) return 1;
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write\n", argv[3]);
    return 1;
  }
  return 0;
}
