// The start screen in the game's own window: the photosensitivity warning,
// the controls, and the two ways to play, in the web page's words and
// order, before any scene is drawn. It is still: drawn once, and again
// only when the player moves the highlight or the window needs it.
//
// Everything is laid out on the view's own grid (VYN_DrawBeginStill) in
// whole font pixels, so every glyph shows as its bitmap enlarged by the
// window's whole-number scale, and the layout is the same at every scale.
#include <array>
#include <cstring>

#include "game.h"
#include "start_screen_data.h"

namespace {

constexpr const char *controls = "Tab/arrows/d-pad move, Enter/Space/A play, Esc/B quit";
constexpr std::array<const char *, 2> choice_names = {"Play", "Play with reduced flashing"};

constexpr int margin = 8;        // view units around the text
constexpr int gap = 8;           // between the warning and the controls
constexpr int choices_gap = 14;  // above the choices, and between them
constexpr int pad_x = 8, pad_y = 4;
constexpr int choice_height = font_height + 2 * pad_y;

struct Line {
  const char *text;
  int length;
};
constexpr size_t max_lines = 24;
struct Lines {
  std::array<Line, max_lines> line;
  size_t count;
};

struct Rect {
  int x, y, w, h;
};

// Words into lines of at most columns characters, broken at spaces; a
// word longer than a line is cut. Lines past max_lines are dropped.
Lines wrap(const char *text, int columns) {
  Lines out{};
  const char *p = text;
  while (*p != '\0' && out.count < max_lines) {
    while (*p == ' ') p++;
    if (*p == '\0') break;
    const int left = static_cast<int>(std::strlen(p));
    int length = left < columns ? left : columns;
    if (length < left) {
      int cut = length;
      while (cut > 0 && p[cut] != ' ') cut--;
      if (cut > 0) length = cut;
    }
    out.line[out.count++] = {p, length};
    p += length;
  }
  return out;
}

void set_grey(int level) {
  const float v = static_cast<float>(level) / 255.0f;
  VYN_DrawSetColor(v, v, v, 1);
}

// One glyph at (x, y), a run of lit pixels a rectangle.
void draw_glyph(char c, int x, int y) {
  if (c < font_first || c > font_last) c = '?';
  const uint8_t *rows = font_glyphs[c - font_first];
  for (int r = 0; r < font_height; r++) {
    for (int col = 0; col < font_width;) {
      if ((rows[r] & (0x80 >> col)) == 0) {
        col++;
        continue;
      }
      int end = col;
      while (end < font_width && (rows[r] & (0x80 >> end)) != 0) end++;
      VYN_DrawRectangle(true, x + col, y + r, end - col, 1);
      col = end;
    }
  }
}

void draw_text(const char *text, int length, int x, int y) {
  for (int i = 0; i < length; i++) draw_glyph(text[i], x + i * font_width, y);
}

// Where everything goes: the warning's and the controls' lines, and the
// box of each choice, centred side by side below them; the whole block
// centred in the view.
struct Layout {
  Lines warning, controls;
  int warning_y, controls_y;
  std::array<Rect, 2> choices;
};

Layout layout() {
  Layout l{};
  int view_w = 0, view_h = 0;
  VYN_ViewSize(&cfg, &view_w, &view_h);
  const int columns = (view_w - 2 * margin) / font_width;
  l.warning = wrap(start_warning, columns);
  l.controls = wrap(controls, columns);
  const int text_h = static_cast<int>(l.warning.count + l.controls.count) * font_height + gap;
  const int total = text_h + choices_gap + choice_height;
  const int top = (view_h - total) / 2;
  l.warning_y = top > margin ? top : margin;
  l.controls_y = l.warning_y + static_cast<int>(l.warning.count) * font_height + gap;
  const int choices_y = l.warning_y + text_h + choices_gap;
  std::array<int, choice_names.size()> widths{};
  int width = choices_gap;
  for (size_t i = 0; i < choice_names.size(); i++) {
    widths[i] = static_cast<int>(std::strlen(choice_names[i])) * font_width + 2 * pad_x;
    width += widths[i];
  }
  int x = (view_w - width) / 2;
  for (size_t i = 0; i < choice_names.size(); i++) {
    l.choices[i] = {x, choices_y, widths[i], choice_height};
    x += widths[i] + choices_gap;
  }
  return l;
}

bool inside(const Rect &r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

// The web page's look: light grey text, dark buttons with a grey border,
// the highlighted one with a light double-width border and white text.
void draw(const StartScreen &screen) {
  const Layout l = layout();
  if (VYN_DrawBeginStill() != 0) return;
  const int x = margin;
  set_grey(0xdd);
  for (size_t i = 0; i < l.warning.count; i++) {
    draw_text(l.warning.line[i].text, l.warning.line[i].length, x, l.warning_y + static_cast<int>(i) * font_height);
  }
  set_grey(0xaa);
  for (size_t i = 0; i < l.controls.count; i++) {
    draw_text(l.controls.line[i].text, l.controls.line[i].length, x, l.controls_y + static_cast<int>(i) * font_height);
  }
  for (size_t i = 0; i < choice_names.size(); i++) {
    const Rect &r = l.choices[i];
    const bool lit = static_cast<int32_t>(i) == screen.highlighted;
    set_grey(lit ? 0xdd : 0x55);
    VYN_DrawRectangle(true, r.x, r.y, r.w, r.h);
    const int border = lit ? 2 : 1;
    set_grey(0x22);
    VYN_DrawRectangle(true, r.x + border, r.y + border, r.w - 2 * border, r.h - 2 * border);
    set_grey(lit ? 0xff : 0xdd);
    draw_text(choice_names[i], static_cast<int>(std::strlen(choice_names[i])), r.x + pad_x, r.y + pad_y);
  }
  VYN_DrawEnd();
}

StartChoice chosen(int32_t index) { return index == 1 ? StartChoice::play_reduced : StartChoice::play; }

}  // namespace

StartChoice start_screen_input(StartScreen &screen, const VYN_Event &e) {
  const auto n = static_cast<int32_t>(choice_names.size());
  switch (e.type) {
    case VYN_QUIT:
      return StartChoice::quit;
    case VYN_KEY_DOWN:
      if (e.key == SDL_SCANCODE_TAB) screen.highlighted = (screen.highlighted + 1) % n;
      if (e.key == SDL_SCANCODE_RETURN || e.key == SDL_SCANCODE_KP_ENTER) return chosen(screen.highlighted);
      if (e.key == SDL_SCANCODE_ESCAPE) return StartChoice::quit;
      return StartChoice::waiting;
    case VYN_BUTTON_DOWN:
      if (e.button == VYN_BTN_LEFT || e.button == VYN_BTN_UP) screen.highlighted = (screen.highlighted + n - 1) % n;
      if (e.button == VYN_BTN_RIGHT || e.button == VYN_BTN_DOWN) screen.highlighted = (screen.highlighted + 1) % n;
      if (e.button == VYN_BTN_ACTION) return chosen(screen.highlighted);
      // The keyboard's C is the same button as a controller's B; only
      // the controller's quits, as Escape does.
      if (e.button == VYN_BTN_ALT && e.pad) return StartChoice::quit;
      if (e.button == VYN_BTN_MOUSE_LEFT) {
        const Layout l = layout();
        for (int32_t i = 0; i < n; i++) {
          if (inside(l.choices[static_cast<size_t>(i)], e.x, e.y)) return chosen(i);
        }
      }
      return StartChoice::waiting;
    default:
      return StartChoice::waiting;
  }
}

StartChoice start_screen() {
  StartScreen screen{};
  draw(screen);
  VYN_Event e{};
  while (VYN_WaitEvent(&e)) {
    const int32_t before = screen.highlighted;
    const StartChoice choice = start_screen_input(screen, e);
    if (choice != StartChoice::waiting) return choice;
    if (e.type == VYN_REDRAW || screen.highlighted != before) draw(screen);
  }
  return StartChoice::quit;
}
