#!/usr/bin/env bash
# Installs the Debian packages the browser build and its tests need, only those missing:
# the WebAssembly compiler, the headless browser the tests drive, and what unpacks and
# builds Debian's source packages. `make test` does not need them.
set -euo pipefail
packages=(emscripten nodejs chromium dpkg-dev cmake ninja-build fonts-dejavu-core
  fonts-liberation2 fonts-urw-base35)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm is only needed to install the test driver; a Node.js from elsewhere may bring its own.
command -v npm >/dev/null || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
