# What the project's scripts share, each written once. Sourced from the
# top of the tree.
# shellcheck shell=bash disable=SC2034 # the variables are read by the callers

# Every build the project's own scripts make treats warnings as errors (a
# plain cmake -S . -B build does not, for packagers with newer compilers).
QUONDEL_CMAKE_ARGS=(-DQUONDEL_WERROR=ON)

# The release's builds (the package's and the Windows cross-build) take at
# most two jobs, so they leave the machine usable beside them.
QUONDEL_JOBS=$(nproc)
[ "$QUONDEL_JOBS" -le 2 ] || QUONDEL_JOBS=2

# The native release build (the Debian package's, build-pkg/ unless
# QUONDEL_PKG_BUILD says otherwise), also the build machine's tools for the
# cross-builds: one configuration, so the package stage, the release and
# the Windows and web builds share one build instead of making their own.
QUONDEL_RELEASE_BUILD=${QUONDEL_PKG_BUILD:-build-pkg}

# release_build [CMAKE_BUILD_ARGS...]: configures and builds it (all of it,
# or the targets given with --target).
release_build() {
  cmake -S . -B "$QUONDEL_RELEASE_BUILD" "${QUONDEL_CMAKE_ARGS[@]}" -DQUONDEL_DEBIAN_PACKAGE=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  nice -n 10 cmake --build "$QUONDEL_RELEASE_BUILD" -j"$QUONDEL_JOBS" "$@" >/dev/null
}

# icon_tool: builds the icon tool for this machine (the cross-builds run it
# to make their icons) and prints its absolute path.
icon_tool() {
  release_build --target quondel_icon
  echo "$PWD/$QUONDEL_RELEASE_BUILD/tools/quondel_icon"
}

# The time every artefact carries, decided in one place for the build and
# the scripts alike (git in a checkout, packaging/commit-time in a tarball
# made by git archive).
commit_time() { cmake -P cmake/commit-time.cmake; }

# has_history: the tree is a git checkout of its own and git is installed;
# a tree unpacked from the source tarball has neither (it may lie inside
# someone else's checkout, which is not its history).
has_history() { command -v git >/dev/null && [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; }

# ---- Third-party SDL builds (scripts/sdl.sh, cached), each written once
# here so that the stage needing one and ./test.sh, which starts them all
# early, ask for the same build.

# Debian's emcc looks for its acorn module in Debian's node path, which a
# Node.js from elsewhere does not search.
emscripten_env() { export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}; }

# sdl_build NAME: builds it once and prints its install prefix.
#   2.32     SDL 2.32 as Debian 13 ships it, X11, Wayland and libdecor
#            each required (loaded at run time, as the desktop has them),
#            no audio, which the game does not use
#   portable the same build, as the portable Linux download ships it
#   sdl3     SDL 3.2, for sdl2-compat
#   compat   sdl2-compat 2.32 over sdl3, the SDL2 of newer distributions
#   windows  SDL 2.26 for 64-bit Windows (cmake/mingw-w64.cmake)
#   web      SDL 2.26 for the browser (Emscripten)
sdl_build() {
  local gcc
  gcc=gcc$(gcc -dumpversion)
  case $1 in
    2.32 | portable)
      # One build: the SDL the suite tests is the one the portable
      # download ships.
      QUONDEL_SDL_REQUIRE="SDL_VIDEO_DRIVER_X11 SDL_VIDEO_DRIVER_WAYLAND HAVE_LIBDECOR_H" \
        scripts/sdl.sh build libsdl2-2.32 "$gcc" -DSDL_AUDIO=OFF -DSDL_TEST=OFF -DSDL_STATIC=OFF \
        -DSDL_X11=ON -DSDL_X11_SHARED=ON -DSDL_WAYLAND=ON -DSDL_WAYLAND_SHARED=ON -DSDL_WAYLAND_LIBDECOR=ON \
        -DSDL_WAYLAND_LIBDECOR_SHARED=ON
      ;;
    sdl3)
      scripts/sdl.sh build libsdl3-3.2 "$gcc" -DSDL_AUDIO=OFF -DSDL_CAMERA=OFF -DSDL_GPU=OFF -DSDL_VULKAN=OFF \
        -DSDL_KMSDRM=OFF -DSDL_DIALOG=OFF -DSDL_TEST_LIBRARY=OFF -DSDL_EXAMPLES=OFF -DSDL_TESTS=OFF
      ;;
    compat)
      local sdl3
      sdl3=$(sdl_build sdl3)
      # sdl2-compat opens libSDL3 at run time; its run path finds ours.
      scripts/sdl.sh build sdl2-compat-2.32 "$gcc" -DSDL2COMPAT_TESTS=OFF -DCMAKE_PREFIX_PATH="$sdl3" \
        -DCMAKE_INSTALL_RPATH="$sdl3/lib"
      ;;
    windows)
      nice -n 10 scripts/sdl.sh build libsdl2-2.26 "mingw64-gcc$(x86_64-w64-mingw32-g++-posix -dumpversion)" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF \
        "-DCMAKE_SHARED_LINKER_FLAGS=-static -Wl,--no-insert-timestamp"
      ;;
    web)
      # What the game needs of SDL (pads come through the joystick part,
      # which reads the browser's Gamepad API); the rest only adds
      # download size.
      emscripten_env
      QUONDEL_CMAKE="emcmake cmake" scripts/sdl.sh build libsdl2-2.26 "emscripten-$(emcc -dumpversion)" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=ON -DSDL_HAPTIC=OFF \
        -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
      ;;
    *)
      echo "sdl_build: no SDL build '$1'" >&2
      return 2
      ;;
  esac
}
