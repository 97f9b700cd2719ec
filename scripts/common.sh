# What the project's scripts share, each written once. Sourced from the
# top of the tree.
# shellcheck shell=bash disable=SC2034 # the variables are read by the callers

# Every build the project's own scripts make treats warnings as errors (a
# plain cmake -S . -B build does not, for packagers with newer compilers).
QUONDEL_CMAKE_ARGS=(-DQUONDEL_WERROR=ON)

# The release and the Windows cross-build take at most two jobs, so they
# leave the machine usable beside them.
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
  cmake -S . -B "$QUONDEL_RELEASE_BUILD" "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
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
has_history() { command -v git >/dev/null && [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$PWD" ]; }
