#!/usr/bin/env bash
# The portable Linux download: the game built against SDL 2.32 from
# Debian's pinned source (sdl_build portable), with the C++ runtime and
# libgcc linked in, SDL beside it and found through RUNPATH $ORIGIN, so it
# needs of the system only the C library and, at run time, the desktop's
# own X11 or Wayland and OpenGL libraries. Writes
# build-portable/quondel-VERSION-linux-x86_64.tar.gz (one top-level
# quondel-VERSION/ directory, every file with SOURCE_DATE_EPOCH's time, or
# the commit's) and prints its path.
#
#   scripts/portable.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
say() { echo "portable.sh: $*" >&2; }
scripts/setup.sh sdl release >&2
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(commit_time)}
build="build-portable"
sdl=$(sdl_build portable)

# A plain configuration (tools for the tests' facts.sh and the icon, no
# art generator or benchmark). The tools run during the build: SDL is
# copied beside each, as it lies beside the game in the download.
# platform/linux/portable.h keeps the C library the game asks for old.
# shellcheck disable=SC2016 # $ORIGIN is the dynamic loader's, not the shell's
cmake -S . -B "$build" "${QUONDEL_CMAKE_ARGS[@]}" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DQUONDEL_BUILD_ART=OFF -DQUONDEL_BUILD_BENCH=OFF -DCMAKE_PREFIX_PATH="$sdl" \
  -DCMAKE_BUILD_WITH_INSTALL_RPATH=ON -DCMAKE_INSTALL_RPATH='$ORIGIN' \
  "-DCMAKE_EXE_LINKER_FLAGS=-static-libstdc++ -static-libgcc" \
  "-DCMAKE_CXX_FLAGS=-include $PWD/platform/linux/portable.h" >/dev/null
library=$(readlink -f "$sdl/lib/libSDL2-2.0.so.0")
mkdir -p "$build/tools"
cp "$library" "$build/libSDL2-2.0.so.0"
cp "$library" "$build/tools/libSDL2-2.0.so.0"
nice -n 10 cmake --build "$build" -j"$QUONDEL_JOBS" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

work=$(mktemp -d /tmp/quondel-portable.XXXXXX)
trap 'rm -rf "$work"' EXIT
name=quondel-$version
dir=$work/$name
mkdir -p "$dir/res"
install -m 755 -s "$build/quondel" "$dir/quondel"
install -m 644 "$library" "$dir/libSDL2-2.0.so.0"
strip --strip-unneeded "$dir/libSDL2-2.0.so.0"
install -m 644 "$build"/res/*.bmp "$dir/res/"
install -m 644 "$build/packaging/icons/256x256/quondel.png" "$dir/quondel.png"
install -m 644 LICENSE "$dir/LICENSE"
install -m 644 "$(scripts/sdl.sh source libsdl2-2.32)/LICENSE.txt" "$dir/LICENSE-SDL.txt"
# The menu entry the build made, its command left to install-menu-entry.
awk -v entry="$build/packaging/quondel.desktop" '
  /^@DESKTOP_ENTRY@$/ {while ((getline line < entry) > 0) print line; next} {print}' \
  packaging/portable/install-menu-entry >"$dir/install-menu-entry"
chmod 755 "$dir/install-menu-entry"

# The oldest C library the download runs with: the newest GLIBC_ version
# any of its programs asks for, and the symbol that asks for it.
floor=$(for f in "$dir/quondel" "$dir/libSDL2-2.0.so.0"; do
  objdump -T "$f" | awk -v file="${f##*/}" '$0 ~ /GLIBC_[0-9]/ {
    for (i = 1; i <= NF; i++) if ($i ~ /GLIBC_[0-9]/) {v = $i; gsub(/[()]/, "", v)}
    print v, $NF, file}'
done | sort -V -k1,1 | tail -n1)
read -r glibc symbol file <<<"$floor"
[ -n "$glibc" ] || { say "no GLIBC_ version found in the programs"; exit 1; }
sed -e "s/@VERSION@/$version/g" -e "s/@GLIBC@/${glibc#GLIBC_}/g" -e "s/@SYMBOL@/$symbol/g" -e "s/@FILE@/$file/g" \
  -e "s/@SDL@/$(scripts/sdl.sh version libsdl2-2.32)/g" packaging/portable/README.in |
  awk -v warning="$(cat packaging/photosensitivity.txt)" '/^@WARNING@$/ {print warning; next} {print}' >"$dir/README"
chmod 644 "$dir/README"

# Files in name order, owned by root, with the commit's time and plain
# permissions: nothing of this machine or of the moment.
find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
archive=$build/$name-linux-x86_64.tar.gz
tar -C "$work" --sort=name --owner=0 --group=0 --numeric-owner --mode=u+rwX,go=rX,go-w --format=gnu -c "$name" |
  gzip -9n >"$archive"
echo "$archive"
