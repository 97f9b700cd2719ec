#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those
# missing, then configures and builds the tree in build/.
# Sourced by run.sh and test.sh; QUONDEL_PACKAGES adds to the list.
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev ${QUONDEL_PACKAGES:-})
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
