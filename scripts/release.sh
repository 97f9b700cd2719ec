#!/usr/bin/env bash
# Builds every release artefact of the checked-out commit into dist/
# (installing missing Debian packages), then lists them with their sizes:
#
#   quondel_VERSION_amd64.deb            the Debian package
#   quondel-VERSION-win64.zip            Windows, to unzip anywhere
#   quondel-VERSION-win64-setup.exe      Windows installer
#   quondel-VERSION-web.zip              the web site, index.html at its root
#   quondel-VERSION.tar.gz               the source (git archive)
#   SHA256SUMS                           for sha256sum -c
#
#   scripts/release.sh                   refuses uncommitted changes
#   scripts/release.sh --allow-dirty     builds them in (the tarball stays the commit's)
#
# VERSION is the CMake project's. Every file carries the commit's time, so
# the same commit gives the same bytes on any machine, at any time
# (scripts/test-reproducible.sh proves it).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
say() { echo "release.sh: $*" >&2; }

case "${1:-}" in
  "") [ -z "$(git status --porcelain --untracked-files=no)" ] || {
    say "the work tree has uncommitted changes; commit them, or pass --allow-dirty"
    git status --short --untracked-files=no >&2
    exit 1
  } ;;
  --allow-dirty) ;;
  *)
    sed -n '12,13p' "$0" >&2
    exit 2
    ;;
esac
# shellcheck source=scripts/setup.sh
QUONDEL_PACKAGES="dpkg-dev zip ${QUONDEL_PACKAGES:-}" source scripts/setup.sh
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2

# Linux: the package, and with its configuration the version.
cmake -S . -B build-pkg -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-pkg -j"$jobs" >/dev/null
(cd build-pkg && rm -f quondel_*.deb && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-pkg/CMakeCache.txt)
[ -n "$version" ] || { say "no project version in build-pkg/CMakeCache.txt"; exit 1; }
rm -rf dist
mkdir dist
cp build-pkg/quondel_"$version"_*.deb dist/

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
git archive --format=tar.gz --prefix="quondel-$version/" -o "dist/quondel-$version.tar.gz" HEAD

(cd dist && sha256sum -- * >SHA256SUMS)
(cd dist && for f in *; do printf '%10s  %s\n' "$(stat -c %s "$f")" "$f"; done)
say "dist/ made in $(($(date +%s) - started)) s"
