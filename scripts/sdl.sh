#!/usr/bin/env bash
# Third-party SDL builds from Debian's own source packages, pinned, fetched
# and built once into a cache outside the work tree (~/.cache/quondel, or
# $QUONDEL_CACHE), so a second run takes seconds. Usage below.
#
# PIN is one of the names in the table below. The source comes through
# apt-get source from the mirror this machine's apt already uses, with a
# private apt configuration (the system's is left alone); apt checks the
# files against the release's signed index, and the .dsc is checked here
# against the hash pinned below.
set -euo pipefail
usage() {
  cat >&2 <<'USAGE'
  scripts/sdl.sh source PIN
      prints the directory of PIN's unpacked source
  scripts/sdl.sh mirror
      prints the Debian mirror this machine's apt sources name
  scripts/sdl.sh version PIN
      prints PIN's upstream version (the Debian version without its
      repack suffix and revision)
  scripts/sdl.sh build PIN TAG [CMAKE_ARGS...]
      builds PIN with CMake and installs it; prints the install prefix.
      TAG names the toolchain (its compiler's version belongs in it); the
      cache key is PIN + TAG + the arguments (a toolchain file by its
      contents), so any change builds anew.
      $QUONDEL_CMAKE replaces "cmake" for the configure step (for
      example "emcmake cmake"). $QUONDEL_SDL_REQUIRE names macros the
      configured SDL_config.h must define (an SDL 2 build fails there,
      before compiling, when a feature asked for was not found).
USAGE
}

# pin            suite     package      version         sha256 of the .dsc
pins="
libsdl2-2.26     bookworm  libsdl2      2.26.5+dfsg-1   95b9a18130d98164e7856eca8ac1a2eb65d822ac4872ef8862ceed2cb1662136
libsdl2-2.32     trixie    libsdl2      2.32.4+dfsg-1   b2259e51d2953963d4f81e4b9028d85ffa646d2ac2a657ae19cefc3589d961e7
libsdl3-3.2      trixie    libsdl3      3.2.10+ds-1     bba5b49a77ce119e6a5342a6fd220d5bd59b42403f3407507d5d1706e5f8416a
sdl2-compat-2.32 trixie    sdl2-compat  2.32.54+ds-1    068547ba0376b236faca7ff576dc03e05dbbe49f58ff9f3a9d56cae840d172c3
"

cache=${QUONDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quondel}
say() { echo "sdl.sh: $*" >&2; }

# The first Debian archive URI of the machine's apt sources (deb822 or
# one-line format): the mirror to take the source package from.
mirror() {
  local uri=""
  if compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null; then
    uri=$(awk 'tolower($1)=="uris:" && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list.d/*.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1=="deb" && $0 !~ /security/ {for (i=2;i<=NF;i++) if ($i ~ /:\/\//) {print $i; exit}}' /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || { say "no Debian mirror found in the apt sources"; exit 1; }
  echo "$uri"
}

source_dir() {
  local pin=$1 line suite package version
  line=$(awk -v p="$pin" '$1==p' <<<"$pins")
  [ -n "$line" ] || { say "unknown pin '$pin'"; exit 2; }
  read -r _ suite package version _ <<<"$line"
  local dir="$cache/src/$package-$version"
  local lock
  if [ ! -f "$dir/.unpacked" ]; then
    # One fetch at a time: another run may be fetching the same sources.
    mkdir -p "$cache/src"
    exec {lock}>"$cache/src/.lock"
    flock "$lock"
    [ -f "$dir/.unpacked" ] || fetch_suite "$suite"
    exec {lock}>&-
  fi
  echo "$dir/tree"
}

# fetch_suite SUITE: every pin of that suite not fetched yet, through one
# update of a private package list: a suite's source index is large, and
# the suite's pins are wanted one after the other by the same run.
fetch_suite() {
  local suite=$1 pin s package version sum dir
  command -v dpkg-source >/dev/null || { say "dpkg-source missing (install dpkg-dev)"; exit 1; }
  local apt
  mkdir -p "$cache"
  apt=$(mktemp -d "$cache/apt-$suite.XXXXXX")
  mkdir -p "$apt/lists/partial" "$apt/cache"
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  echo "deb-src [signed-by=$keyring] $(mirror) $suite main" >"$apt/sources.list"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root -qq)
  apt-get "${opts[@]}" update >&2
  while read -r pin s package version sum; do
    dir="$cache/src/$package-$version"
    if [ "$s" != "$suite" ] || [ -f "$dir/.unpacked" ]; then continue; fi
    say "fetching $package $version ($suite) into $dir"
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${opts[@]}" source --download-only "$package=$version" >&2)
    local dsc="$dir/${package}_${version#*:}.dsc"
    echo "$sum  $dsc" | sha256sum -c --quiet - >&2 || { say "$dsc does not match its pinned hash"; exit 1; }
    # dpkg-source checks every tarball against the .dsc's own hashes.
    (cd "$dir" && dpkg-source -x "$dsc" tree >&2)
    touch "$dir/.unpacked"
  done < <(grep . <<<"$pins")
  rm -rf "$apt"
}

build() {
  local pin=$1 tag=$2
  shift 2
  local src key prefix work arg keyed=()
  src=$(source_dir "$pin")
  # A toolchain file counts by its contents, not by where the tree lies:
  # another checkout of the same commit (the reproducibility stage's)
  # reuses the build instead of making it again.
  for arg; do
    case $arg in
      -DCMAKE_TOOLCHAIN_FILE=*) keyed+=("-DCMAKE_TOOLCHAIN_FILE=$(sha256sum <"${arg#*=}" | cut -c1-64)") ;;
      *) keyed+=("$arg") ;;
    esac
  done
  # The compiler flags below are part of the recipe: a change to them
  # builds anew.
  key=$(printf '%s\n' "$pin" "$tag" "${QUONDEL_CMAKE:-cmake}" "${QUONDEL_SDL_REQUIRE:-}" "${keyed[@]}" \
    "file-prefix-map" | sha256sum | cut -c1-12)
  prefix="$cache/$pin-$tag-$key"
  if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    return
  fi
  # One build of a key at a time: another run (./test.sh starts them early,
  # in the background) may be making it; then it is waited for and reused.
  local lock
  exec {lock}>"$prefix.lock"
  flock "$lock"
  if [ -f "$prefix/.built" ]; then
    echo "$prefix"
    return
  fi
  say "building $pin for $tag into $prefix (a few minutes, once)"
  work="$cache/build/$pin-$tag-$key"
  rm -rf "$prefix" "$work"
  # Where the source, the build and the cache lie on this machine stays
  # out of the library (__FILE__ in its assertions, debug information):
  # the same build gives the same bytes under any home directory.
  local maps="-ffile-prefix-map=$src=/usr/src/sdl -ffile-prefix-map=$work=/usr/src/sdl-build"
  maps+=" -ffile-prefix-map=$prefix=/usr/local"
  # shellcheck disable=SC2086 # QUONDEL_CMAKE may be a launcher plus cmake
  CFLAGS="${CFLAGS:-} $maps" CXXFLAGS="${CXXFLAGS:-} $maps" ${QUONDEL_CMAKE:-cmake} -S "$src" -B "$work" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >&2
  local macro
  for macro in ${QUONDEL_SDL_REQUIRE:-}; do
    grep -q "^#define $macro 1" "$work/SDL_config.h.intermediate" ||
      { say "$pin for $tag: $macro not configured (its development files missing?)"; exit 1; }
  done
  cmake --build "$work" -j"$(nproc)" >&2
  cmake --install "$work" >&2
  rm -rf "$work"
  touch "$prefix/.built"
  echo "$prefix"
}

case "${1:-}" in
  source) source_dir "$2" ;;
  mirror) mirror ;;
  version) awk -v p="$2" '$1 == p {sub(/[+-].*/, "", $4); print $4; found = 1} END {exit !found}' <<<"$pins" ;;
  build) build "${@:2}" ;;
  *)
    usage
    exit 2
    ;;
esac
