#!/usr/bin/env bash
# Lighthouse's audit of the web build (builds the site first): scores,
# Total Blocking Time and Largest Contentful Paint per form factor, as a
# Markdown table. A measurement, not a test: not part of test.sh.
#
#   bench/web-audit.sh [RUNS]      (5 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh browser npm
scripts/web.sh build
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
(cd bench/web-audit && npm ci --no-audit --no-fund --loglevel=error)
node bench/web-audit.mjs build-web/site "${1:-5}"
