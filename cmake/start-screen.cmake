# The start screen's words and letters, compiled into the game: the
# photosensitivity warning from packaging/photosensitivity.txt, so that no
# copy of it can drift, and the glyphs of game/font/6x13.bdf (the
# public-domain misc-fixed font, printable ASCII), so that no file is read
# at run time. Both are read when CMake configures and written to
# start_screen_data.h in the build; a change to either reconfigures.
set(QUONDEL_START_DATA_DIR ${CMAKE_BINARY_DIR}/generated)
set(warning_file ${CMAKE_SOURCE_DIR}/packaging/photosensitivity.txt)
set(font_file ${CMAKE_SOURCE_DIR}/game/font/6x13.bdf)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${warning_file} ${font_file})

file(READ ${warning_file} warning)
string(STRIP "${warning}" warning)
if(NOT warning MATCHES "^[ -~]+$")
  message(FATAL_ERROR "${warning_file}: the start screen's font has printable ASCII only, on one line")
endif()
string(REPLACE "\\" "\\\\" warning "${warning}")
string(REPLACE "\"" "\\\"" warning "${warning}")

# Every glyph must fill the font's one cell; then a glyph is its rows of
# the BITMAP section, one byte each, the leftmost pixel in the top bit.
file(STRINGS ${font_file} font_lines)
set(glyphs "")
set(count 0)
set(in_bitmap OFF)
foreach(line IN LISTS font_lines)
  if(line MATCHES "^ENCODING ([0-9]+)$")
    set(code ${CMAKE_MATCH_1})
  elseif(line MATCHES "^BBX ")
    if(NOT line STREQUAL "BBX 6 13 0 -2")
      message(FATAL_ERROR "${font_file}: glyph ${code} is not a whole 6 x 13 cell: ${line}")
    endif()
  elseif(line STREQUAL "BITMAP")
    set(in_bitmap ON)
    set(rows "")
  elseif(line STREQUAL "ENDCHAR")
    set(in_bitmap OFF)
    math(EXPR expected "32 + ${count}")
    if(NOT code EQUAL expected)
      message(FATAL_ERROR "${font_file}: glyph ${code} where ${expected} was expected")
    endif()
    string(APPEND glyphs "    {${rows}},  // ${code}\n")
    math(EXPR count "${count} + 1")
  elseif(in_bitmap)
    string(APPEND rows "0x${line},")
  endif()
endforeach()
if(NOT count EQUAL 95)
  message(FATAL_ERROR "${font_file}: ${count} glyphs, expected the 95 of printable ASCII")
endif()

string(CONFIGURE [[
// Written by cmake/start-screen.cmake from packaging/photosensitivity.txt
// and game/font/6x13.bdf; edit those.
#pragma once

#include <cstdint>

inline constexpr const char *start_warning = "@warning@";

inline constexpr int font_width = 6;
inline constexpr int font_height = 13;
inline constexpr char font_first = ' ';
inline constexpr char font_last = '~';
// Rows from the top, the leftmost pixel in the top bit.
inline constexpr uint8_t font_glyphs[95][13] = {
@glyphs@};
]] start_data @ONLY)
file(GENERATE OUTPUT ${QUONDEL_START_DATA_DIR}/start_screen_data.h CONTENT "${start_data}")
