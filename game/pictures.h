// The game's pictures, the one list of them. Plain C++ without SDL, so the
// picture generator can read it too; the build reads the file names from
// here for the scripts (pictures.txt next to the game).
#pragma once

#include <array>

// Image ids, fixed by the load order of image_files below.
enum {
  IMG_HANDOPEN = 0,
  IMG_HANDCLOSE = 1,
  IMG_STAMP = 2,
  IMG_BLOODY = 3,
  IMG_BOTTOMTEXT = 4,
  IMG_TOPTEXT = 5,
  IMG_WILDASS = 6,
  IMG_INSPI0 = 7,
  IMG_INSPI1 = 8,
  IMG_INSPI2 = 9,
  IMG_INSPI3 = 10,
  IMG_COUNT  // a new picture's id goes above
};

// The pictures, loaded at start-up in this order: a picture's id is its
// index, so the order is part of the ids above.
inline constexpr std::array image_files = {
    "res/handopen.bmp",   "res/handclose.bmp", "res/stamp.bmp",   "res/bloody.bmp",
    "res/bottomtext.bmp", "res/toptext.bmp",   "res/wildass.bmp", "res/inspi0.bmp",
    "res/inspi1.bmp",     "res/inspi2.bmp",    "res/inspi3.bmp",
};
static_assert(image_files.size() == IMG_COUNT, "one file for every image id");
