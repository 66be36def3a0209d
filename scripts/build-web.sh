#!/usr/bin/env bash
# Builds the browser player into OUT (default build/web): the libraries it needs for
# WebAssembly (scripts/web-deps.sh, cached), the module through emcmake, then the page
# script, the demo page and stack, and the face files the desktop uses.
#   build-web.sh [OUT] [NATIVE-CORVIDA]   the native program builds the demo stack
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/web}
native=${2:-}
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
deps=$(bash "$here/scripts/web-deps.sh" | tail -1)
nice emcmake cmake -S "$here" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIDA_WERROR=ON \
  -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_FIND_ROOT_PATH="$deps" > /dev/null
nice cmake --build "$out" -j "${JOBS:-2}"
cp "$here/web/corvida.js" "$here/web/index.html" "$out/"

# The face files the desktop looks for, wherever this machine has them, and their list.
mkdir -p "$out/fonts"
: > "$out/fonts/index.txt"
for name in $(grep -o '"[A-Za-z0-9_-]*\.[ot]tf"' "$here/platform/font_names.cpp" | tr -d '"' | sort -u); do
  for folder in /usr/share/fonts/truetype/liberation2 /usr/share/fonts/truetype/liberation \
    /usr/share/fonts/truetype/dejavu /usr/share/fonts/opentype/urw-base35; do
    if [ -f "$folder/$name" ]; then
      cp "$folder/$name" "$out/fonts/"
      echo "$name" >> "$out/fonts/index.txt"
      break
    fi
  done
done

# The demo stack, built by the native program from its description.
if [ -z "$native" ]; then
  for candidate in "$here/build/release/apps/corvida" "$here/build/asan/apps/corvida"; do
    [ -x "$candidate" ] && native=$candidate && break
  done
fi
if [ -n "$native" ]; then
  "$native" build "$here/examples/demo/demo.json" -o "$out/demo.stk" > /dev/null
  cp "$here/examples/demo/ladybird.bmp" "$here/examples/demo/flight.mov" "$out/"
else
  echo "build-web: no native corvida to build the demo stack (make build-release)" >&2
fi
# What a page downloads before the first card, as sent and compressed.
for f in corvida.js corvida-player.js corvida-player.wasm; do
  printf '%-22s %9d bytes, %9d gzip -9\n' "$f" "$(stat -c %s "$out/$f")" "$(gzip -9c "$out/$f" | wc -c)"
done
echo "Built the browser player in $out"
