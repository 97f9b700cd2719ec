// Writes what the scripts that drive the real game must know of it, as
// shell assignments: the version, the window's title and its first size,
// which is the view. The view comes from the engine's own computation, so
// the scripts agree with what the game opens.
//
//   quondel_facts FILE
#include <cstdio>
#include <cstring>

#include "game.h"

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fputs("usage: quondel_facts FILE\n", stderr);
    return 2;
  }
  int w = 0, h = 0;
  VYN_ViewSize(&cfg, &w, &h);
  if (w == 0 || std::strchr(cfg.title, '\'') != nullptr) {
    std::fputs("quondel_facts: the game's configuration has no view or an unquotable title\n", stderr);
    return 1;
  }
  std::FILE *out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "QUONDEL_VERSION=%s\nQUONDEL_TITLE='%s'\nQUONDEL_VIEW_WIDTH=%d\nQUONDEL_VIEW_HEIGHT=%d\n",
               QUONDEL_VERSION, cfg.title, w, h);
  if (std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
