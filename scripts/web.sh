#!/usr/bin/env bash
# The game in a browser (installing missing Debian packages): builds the
# site, serves it or plays it in headless Chromium (usage below).
# Emscripten comes from Debian; SDL is built from Debian's source package
# for it once and cached (scripts/sdl.sh). The site is plain files: any
# static file server will do.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
usage() {
  cat >&2 <<'USAGE'
  scripts/web.sh build          the whole site into build-web/site/
  scripts/web.sh serve [PORT]   serves it on 127.0.0.1 (port 8080 by default)
  scripts/web.sh test           builds, then plays it in headless Chromium
USAGE
}

# build [TARGET...]: the site and any further targets, after installing
# the package groups named in groups.
groups=(web)
build() {
  scripts/setup.sh "${groups[@]}"
  emscripten_env
  local sdl icon
  sdl=$(sdl_build web)
  # The site's icons come from the icon tool, built for this machine.
  icon=$(icon_tool)
  emcmake cmake -S . -B build-web "${QUONDEL_CMAKE_ARGS[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DSDL2_DIR="$sdl/lib/cmake/SDL2" -DQUONDEL_ICON_TOOL="$icon" >/dev/null
  cmake --build build-web -j"$(nproc)" --target site "$@"
  echo "web.sh: site in build-web/site/"
}

case "${1:-}" in
  build) build ;;
  serve)
    [ -f build-web/site/index.html ] || build
    port=${2:-8080}
    echo "web.sh: serving build-web/site/ at http://127.0.0.1:$port/ (Ctrl+C stops)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
    ;;
  test)
    groups+=(browser npm)
    build site-without-stamp
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
    QUONDEL_SITE=build-web/site QUONDEL_SITE_BROKEN=build-web/site-without-stamp \
      node --test --test-concurrency=1 tests/web/
    ;;
  *)
    usage
    exit 2
    ;;
esac
