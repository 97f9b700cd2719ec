// Writes the scene tests' stand-in pictures into DIR/res, for the tests
// that drive the real game: plain squares whose places on the canvas are
// known, so pixels can be checked exactly.
//
//   quondel_standins DIR
#include <cstdio>
#include <string>

#include "scene_support.h"

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fputs("usage: quondel_standins DIR\n", stderr);
    return 2;
  }
  if (!scene::write_pictures(std::string(argv[1]) + "/")) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
