#!/usr/bin/env bash
# The browser tests: builds the browser player (scripts/build-web.sh, incremental), installs
# the pinned test driver (tests/web/package-lock.json) when missing, and runs
# tests/web/run.mjs against Debian's chromium.
#   test-web.sh CORVIDA [WEB_DIR]   CORVIDA: the native program (builds the demo and renders)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# Both paths are made absolute: the driver runs from tests/web.
corvida=$(realpath "$1")
web=$(realpath -m "${2:-$here/build/web}")
bash "$here/scripts/install-web-deps.sh"
bash "$here/scripts/build-web.sh" "$web" "$corvida"
if [ ! -d "$here/tests/web/node_modules/playwright-core" ]; then
  (cd "$here/tests/web" && npm ci --no-audit --no-fund --silent)
fi
cd "$here/tests/web"
# The sanitizers of a native test build are not wanted inside the browser.
ASAN_OPTIONS=detect_leaks=0 node run.mjs "$web" "$corvida"
