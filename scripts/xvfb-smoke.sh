#!/usr/bin/env bash
# Smoke test of the desktop window: plays the demo stack for two seconds on a virtual X
# display and takes a screenshot from inside the player, which must show the first card
# (tests/cli/player_window_test.cpp compares it with the headless render). Skipped (exit
# 77) where no virtual display can be started.
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")/.." && pwd)
command -v xvfb-run > /dev/null || { echo "xvfb-run is missing: skipped"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$bin" build "$here/examples/demo/demo.json" -o "$out/demo.stk" > /dev/null || exit 1
cp "$here/examples/demo/ladybird.bmp" "$here/examples/demo/flight.mov" "$out/"
# The display libraries keep memory until the process ends; that is not ours to report.
ASAN_OPTIONS=detect_leaks=0 timeout 60 xvfb-run -a "$bin" play "$out/demo.stk" --seconds 2 \
  --screenshot "$out/shot.png" --after 1500 || exit 1
[ -s "$out/shot.png" ] || { echo "no screenshot was written"; exit 1; }
echo "played for two seconds; screenshot written"
