#!/usr/bin/env bash
# Proves the release reproducible: scripts/release.sh run here (reusing the
# build directories the other stages made) and again from scratch in a
# clone of the same commit, with the same uncommitted changes and new
# files, in another directory and minutes later, must give byte-identical
# artefacts: the Debian package, the Windows zip and installer, the web
# site (each file, and the zip), the source tarball and SHA256SUMS. A tree
# without git history (unpacked from the source tarball) is copied instead
# of cloned, and has no source tarball to compare: that one is skipped.
# Another user's home directory changes only where the SDL builds lie
# (the cache): the portable download's SDL, the one library shipped as
# built, is built again under another home (once; cached there) and must
# be the same bytes, and no artefact may hold this machine's cache or work
# tree path.
#
#   scripts/test-reproducible.sh
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh
work=$(mktemp -d /tmp/quondel-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0
skipped=0
failed=0
finish() {
  echo "reproducible: $passed passed, $skipped skipped, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

other=$work/elsewhere/quondel
if ! scripts/release.sh --allow-dirty >"$work/here.log" 2>&1; then
  echo "FAIL: release.sh here"
  tail -30 "$work/here.log"
  failed=1
  finish
fi
# copy_tree: the source as it is here, without what builds leave in it
# (the entries .gitignore names, read as tar patterns).
copy_tree() {
  local excludes=() line
  while read -r line; do
    line=${line%/}
    case $line in "" | "#"*) continue ;; /*) line=.$line ;; esac
    excludes+=(--exclude="$line")
  done <.gitignore
  mkdir -p "$other" && tar -c "${excludes[@]}" . | tar -x -C "$other"
}
if has_history; then
  if ! { git clone -q --no-checkout . "$other" && git -C "$other" checkout -q --detach "$(git rev-parse HEAD)" &&
    git diff --binary HEAD | git -C "$other" apply --allow-empty &&
    git ls-files -z --others --exclude-standard | tar -c --null -T - | tar -x -C "$other"; }; then
    echo "FAIL: cloning this tree into $other"
    failed=1
    finish
  fi
elif ! copy_tree; then
  echo "FAIL: copying this tree into $other"
  failed=1
  finish
fi
if ! "$other/scripts/release.sh" --allow-dirty >"$work/there.log" 2>&1; then
  echo "FAIL: release.sh in $other"
  tail -30 "$work/there.log"
  failed=1
  finish
fi

echo "release.sh here, reusing the build directories: $(grep -o "made in .*" "$work/here.log")"
echo "release.sh in the clone, from scratch: $(grep -o "made in .*" "$work/there.log")"

# what_differs A B: names the members of two archives that differ.
what_differs() {
  case $1 in
    *.deb)
      mkdir -p "$work/a" "$work/b"
      dpkg-deb -R "$1" "$work/a" && dpkg-deb -R "$2" "$work/b" && diff -r "$work/a" "$work/b"
      diff <(dpkg-deb -c "$1") <(dpkg-deb -c "$2")
      ;;
    *.zip) diff <(unzip -Zl "$1") <(unzip -Zl "$2") ;;
    *) cmp "$1" "$2" ;;
  esac
  true
}
for f in dist/*; do
  if cmp -s "$f" "$other/$f"; then
    echo "ok: $(basename "$f") is the same, $(sha256sum <"$f" | cut -c1-16)..."
    passed=$((passed + 1))
  else
    echo "FAIL: $(basename "$f") differs"
    what_differs "$f" "$other/$f" 2>&1 | head -20 | sed 's/^/    /'
    failed=$((failed + 1))
  fi
done
if diff -r build-web/site "$other/build-web/site" >"$work/site.diff"; then
  echo "ok: the web site's $(find build-web/site -type f | wc -l) files are the same"
  passed=$((passed + 1))
else
  echo "FAIL: the web site differs"
  sed 's/^/    /' "$work/site.diff"
  failed=$((failed + 1))
fi
# Another home directory: the same SDL build, and no machine paths.
cache=${QUONDEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quondel}
other_home=$cache/other-home
sources=$(dirname "$(scripts/sdl.sh source libsdl2-2.32)")
# Its sources fetched already, as another user's would be: linked, not
# fetched again.
mkdir -p "$other_home/.cache/quondel/src"
[ -e "$other_home/.cache/quondel/src/${sources##*/}" ] || cp -al "$sources" "$other_home/.cache/quondel/src/"
here_sdl=$(sdl_build portable 2>"$work/sdl.log")
there_sdl=$(env -u QUONDEL_CACHE -u XDG_CACHE_HOME HOME="$other_home" bash -c 'source scripts/common.sh && sdl_build portable' 2>>"$work/sdl.log")
if [ -n "$here_sdl" ] && [ -n "$there_sdl" ] && cmp "$here_sdl/lib/libSDL2-2.0.so.0" "$there_sdl/lib/libSDL2-2.0.so.0"; then
  echo "ok: SDL built under $HOME and under $other_home is the same"
  passed=$((passed + 1))
else
  echo "FAIL: SDL built under another home directory differs"
  tail -5 "$work/sdl.log"
  failed=$((failed + 1))
fi
mkdir "$work/unpacked"
for f in dist/*.deb; do dpkg-deb -x "$f" "$work/unpacked/deb"; done
for f in dist/*.zip; do unzip -q "$f" -d "$work/unpacked/${f##*/}"; done
for f in dist/*-linux-x86_64.tar.gz; do tar -xzf "$f" -C "$work/unpacked"; done
if leaks=$(grep -rlaF -e "$cache" -e "$PWD" "$work/unpacked" build-web/site); then
  echo "FAIL: this machine's paths in: $leaks"
  failed=$((failed + 1))
else
  echo "ok: no artefact holds $cache or $PWD"
  passed=$((passed + 1))
fi
if ! has_history; then
  echo "SKIP: the source tarball: no git history here to archive"
  skipped=1
fi
# Six artefacts (five without history), SHA256SUMS, the site, SDL under
# another home and the paths.
[ $((passed + skipped)) -ge 10 ] || {
  echo "FAIL: only $((passed + skipped)) of the 10 comparisons ran"
  failed=$((failed + 1))
}
finish
