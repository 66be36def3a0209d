#!/usr/bin/env bash
# Builds the bundled demo stack and plays it in a window. Without a display it says so
# and writes the contact sheet (every card as a labelled thumbnail) instead.
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")/.." && pwd)
out=${CORVIDA_PLAY_DIR:-$here/build/play}
mkdir -p "$out"
"$bin" build "$here/examples/demo/demo.json" -o "$out/demo.stk"
# The stack refers to this picture file and this film; they are looked up beside the stack.
cp "$here/examples/demo/ladybird.bmp" "$here/examples/demo/flight.mov" "$out/"
# The example extension modules, built beside the player, are installed in its own NBAs
# folder: the demo's last card runs one.
modules=$(dirname "$bin")/../examples/extensions
if compgen -G "$modules/*.NBA" > /dev/null; then
  mkdir -p "$(dirname "$bin")/NBAs"
  cp "$modules"/*.NBA "$(dirname "$bin")/NBAs/"
fi
echo "Demo stack:    $out/demo.stk"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Playing it: Ctrl+> next card, Ctrl+< previous, Ctrl+J jump, close the window to stop."
  if "$bin" play "$out/demo.stk"; then exit 0; fi
  echo "The window could not be opened; writing the contact sheet instead."
else
  echo "No display here (DISPLAY is not set), so the demo is not played in a window;"
  echo "writing its contact sheet instead."
fi
"$bin" sheet "$out/demo.stk" -o "$out/demo-sheet.png" > /dev/null
echo "Contact sheet: $out/demo-sheet.png"
