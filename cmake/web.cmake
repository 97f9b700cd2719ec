# The game for the browser, written out as a complete static site in
# ${CMAKE_BINARY_DIR}/site: our own page, the program as JavaScript and
# WebAssembly, and the pictures as a package that is loaded into the
# program's file system before it starts, as /res beside the program.
#
# Included from the top-level CMakeLists.txt when building with emcmake.

set(QUONDEL_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(quondel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUONDEL_SITE})

# ASYNCIFY lets SDL_Delay hand control back to the browser, so the game's
# own loop and pacing run unchanged. The page starts main itself once the
# files are in, lets the game's first frame go at the player's first click,
# tap or key (platform/web/page.cpp), and hears of the end through onExit.
# SDL's renderer draws with plain WebGL 1 and asks for no extension, so
# the context is made without switching every one of the browser's on: on
# a slow phone that alone took a fifth of a second after the tap.
target_link_options(quondel PRIVATE
  -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0
  -sASYNCIFY
  -sENVIRONMENT=web
  -sFORCE_FILESYSTEM
  -sEXIT_RUNTIME
  -sINVOKE_RUN=0
  -sALLOW_MEMORY_GROWTH
  "-sEXPORTED_FUNCTIONS=_main,_quondel_frames,_quondel_reduce_flashing"
  "-sEXPORTED_RUNTIME_METHODS=callMain")

# The pictures' package: quondel.data and the loader quondel.data.js.
# A second site, without one picture, shows what a player sees when the
# game cannot start.
find_program(QUONDEL_PYTHON NAMES python3 REQUIRED)
set(QUONDEL_PACKAGER ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager.py)
function(quondel_web_pictures site)
  set(args --preload ${CMAKE_SOURCE_DIR}/res@/res --js-output=quondel.data.js --no-node)
  foreach(left_out ${ARGN})
    list(APPEND args --exclude */${left_out})
  endforeach()
  file(MAKE_DIRECTORY ${site})
  add_custom_command(OUTPUT ${site}/quondel.data ${site}/quondel.data.js
    # Relative names and a package id from the contents: every build of the
    # same pictures writes the same bytes.
    COMMAND ${QUONDEL_PYTHON} ${QUONDEL_PACKAGER} quondel.data ${args}
    COMMAND ${CMAKE_COMMAND} -DJS=quondel.data.js -DDATA=quondel.data -P ${CMAKE_SOURCE_DIR}/cmake/web-package-id.cmake
    WORKING_DIRECTORY ${site}
    DEPENDS ${QUONDEL_PICTURES} ${CMAKE_SOURCE_DIR}/cmake/web-package-id.cmake VERBATIM)
endfunction()
quondel_web_pictures(${QUONDEL_SITE})

# Text from a file made fit to stand in the page, also inside an attribute.
function(quondel_html_escape var)
  set(text "${${var}}")
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# The page carries the photosensitivity warning, worded once for every
# platform; its first sentence part ("...:") is the heading.
set(QUONDEL_WARNING_FILE ${CMAKE_SOURCE_DIR}/packaging/photosensitivity.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUONDEL_WARNING_FILE})
file(READ ${QUONDEL_WARNING_FILE} warning)
string(STRIP "${warning}" warning)
quondel_html_escape(warning)
if(NOT warning MATCHES "^([^:]+): (.+)$")
  message(FATAL_ERROR "${QUONDEL_WARNING_FILE}: expected 'Heading: text'")
endif()
set(QUONDEL_WARNING_HEADING "${CMAKE_MATCH_1}")
set(QUONDEL_WARNING_TEXT "${CMAKE_MATCH_2}")
# Its description for search engines and shared links is the game's one
# summary, the same sentence every platform shows.
set(QUONDEL_SUMMARY_FILE ${CMAKE_SOURCE_DIR}/packaging/summary.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUONDEL_SUMMARY_FILE})
file(READ ${QUONDEL_SUMMARY_FILE} summary)
string(STRIP "${summary}" summary)
quondel_html_escape(summary)
set(QUONDEL_SUMMARY "${summary}")
configure_file(${CMAKE_SOURCE_DIR}/platform/web/index.html ${QUONDEL_SITE}/index.html @ONLY)

# Installable: the manifest and the open hand as its icons (192 and 512
# pixels), made by the icon tool built for this machine (scripts/web.sh
# builds it); the smaller one is also the tab's icon.
set(QUONDEL_ICON_TOOL "" CACHE FILEPATH "quondel_icon built for the build machine")
if(NOT EXISTS "${QUONDEL_ICON_TOOL}")
  message(FATAL_ERROR "Set QUONDEL_ICON_TOOL to a quondel_icon built for this machine (scripts/web.sh does)")
endif()
set(QUONDEL_ICON_PICTURE ${CMAKE_SOURCE_DIR}/res/handopen.bmp)
set(QUONDEL_SITE_EXTRAS ${QUONDEL_SITE}/manifest.webmanifest)
foreach(size 192 512)
  add_custom_command(OUTPUT ${QUONDEL_SITE}/icon-${size}.png
    COMMAND ${QUONDEL_ICON_TOOL} ${QUONDEL_ICON_PICTURE} ${size} ${QUONDEL_SITE}/icon-${size}.png
    DEPENDS ${QUONDEL_ICON_TOOL} ${QUONDEL_ICON_PICTURE} VERBATIM)
  list(APPEND QUONDEL_SITE_EXTRAS ${QUONDEL_SITE}/icon-${size}.png)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/platform/web/manifest.webmanifest ${QUONDEL_SITE}/manifest.webmanifest COPYONLY)

# Offline: a service worker keeping every file above, its cache named by
# their contents.
set(site_files index.html quondel.js quondel.wasm quondel.data quondel.data.js manifest.webmanifest
  icon-192.png icon-512.png)
add_custom_command(OUTPUT ${QUONDEL_SITE}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${QUONDEL_SITE} -DTEMPLATE=${CMAKE_SOURCE_DIR}/platform/web/sw.js
    "-DFILES=${site_files}" -P ${CMAKE_SOURCE_DIR}/platform/web/offline.cmake
  DEPENDS quondel ${QUONDEL_SITE}/quondel.data ${QUONDEL_SITE_EXTRAS} ${QUONDEL_SITE}/index.html
    ${CMAKE_SOURCE_DIR}/platform/web/sw.js ${CMAKE_SOURCE_DIR}/platform/web/offline.cmake
  VERBATIM)

add_custom_target(site ALL DEPENDS quondel ${QUONDEL_SITE}/quondel.data ${QUONDEL_SITE_EXTRAS} ${QUONDEL_SITE}/sw.js)

# For the browser test only: the same site without the stamp's picture.
set(QUONDEL_SITE_BROKEN ${CMAKE_BINARY_DIR}/site-without-stamp)
quondel_web_pictures(${QUONDEL_SITE_BROKEN} stamp.bmp)
add_custom_target(site-without-stamp
  COMMAND ${CMAKE_COMMAND} -E copy ${QUONDEL_SITE}/index.html $<TARGET_FILE:quondel>
    ${QUONDEL_SITE}/quondel.wasm ${QUONDEL_SITE_EXTRAS} ${QUONDEL_SITE_BROKEN}
  DEPENDS site ${QUONDEL_SITE_BROKEN}/quondel.data VERBATIM)
