#!/usr/bin/env bash
# Size and start-up time of the web build in headless Chromium (builds the
# site first); prints Markdown tables. Not part of test.sh. Its sibling
# bench/web-audit.sh audits the same site with Lighthouse.
#
#   bench/web.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh browser npm
scripts/web.sh build
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/web.mjs build-web/site "${1:-5}"
