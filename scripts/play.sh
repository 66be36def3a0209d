#!/usr/bin/env bash
# Builds the bundled demo stack and writes its contact sheet (every card as a labelled
# thumbnail); the player window will open the stack instead once it exists.
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")/.." && pwd)
out=${CORVIDA_PLAY_DIR:-$here/build/play}
mkdir -p "$out"
"$bin" build "$here/examples/demo/demo.json" -o "$out/demo.stk"
# The stack refers to this picture file; it is looked up beside the stack.
cp "$here/examples/demo/ladybird.bmp" "$out/"
"$bin" sheet "$out/demo.stk" -o "$out/demo-sheet.png" > /dev/null
echo "Demo stack:    $out/demo.stk"
echo "Contact sheet: $out/demo-sheet.png"
