#!/usr/bin/env bash
# Builds every release artefact of the checked-out commit into dist/
# (installing missing Debian packages), then lists them with their sizes:
#
#   quondel_VERSION_amd64.deb            the Debian package
#   quondel-VERSION-linux-x86_64.tar.gz  Linux, to unpack anywhere
#   quondel-VERSION-win64.zip            Windows, to unzip anywhere
#   quondel-VERSION-win64-setup.exe      Windows installer
#   quondel-VERSION-web.zip              the web site, index.html at its root
#   quondel-VERSION.tar.gz               the source (git archive)
#   SHA256SUMS                           for sha256sum -c
#
# VERSION is the CMake project's. Every file carries the commit's time, so
# the same commit gives the same bytes on any machine, at any time
# (scripts/test-reproducible.sh proves it). In a tree unpacked from the
# source tarball (no git history) there is no commit to archive: the
# tarball is left out, and the rest carries the time the tarball recorded.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
say() { echo "release.sh: $*" >&2; }
usage() {
  cat >&2 <<'USAGE'
  scripts/release.sh                   refuses uncommitted changes
  scripts/release.sh --allow-dirty     builds them in (the tarball stays the commit's)
USAGE
}
source scripts/common.sh

case "${1:-}" in
  "") ! has_history || [ -z "$(git status --porcelain --untracked-files=no)" ] || {
    say "the work tree has uncommitted changes; commit them, or pass --allow-dirty"
    git status --short --untracked-files=no >&2
    exit 1
  } ;;
  --allow-dirty) ;;
  *)
    usage
    exit 2
    ;;
esac
scripts/setup.sh release
SOURCE_DATE_EPOCH=$(commit_time)
export SOURCE_DATE_EPOCH

# Linux: the package, and with its configuration the version.
release_build
build=$QUONDEL_RELEASE_BUILD
(cd "$build" && rm -f quondel_*.deb && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { say "no project version in $build/CMakeCache.txt"; exit 1; }
rm -rf dist
mkdir dist
cp "$build"/quondel_"$version"_*.deb dist/
cp "$(scripts/portable.sh)" dist/

# Windows.
scripts/windows.sh >/dev/null
cp build-windows/package/quondel-"$version"-win64.zip build-windows/package/quondel-"$version"-win64-setup.exe dist/

# The web site as a zip: its files in name order, each with the commit's
# time and plain permissions, nothing else of this machine's.
scripts/web.sh build >/dev/null
site=$(mktemp -d /tmp/quondel-site.XXXXXX)
trap 'rm -rf "$site"' EXIT
cp -r build-web/site/. "$site"
find "$site" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$site" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$site" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
  TZ=UTC zip -X -D -q -9 "$OLDPWD/dist/quondel-$version-web.zip" -@)

# The source, exactly the commit.
if has_history; then
  git archive --format=tar.gz --prefix="quondel-$version/" -o "dist/quondel-$version.tar.gz" HEAD
else
  say "no git history here: no source tarball (this tree came from one)"
fi

(cd dist && sha256sum -- * >SHA256SUMS)
(cd dist && for f in *; do printf '%10s  %s\n' "$(stat -c %s "$f")" "$f"; done)
say "dist/ made in $(($(date +%s) - started)) s"
