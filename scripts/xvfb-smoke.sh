#!/usr/bin/env bash
# Smoke test of the desktop window on a virtual X display. Plays the demo stack and, with
# real window-system events (corvida play --events), resizes the window, turns full
# screen on and off, opens the menu with Alt and Down, and drops another stack on it,
# taking a screenshot from inside the player after each step. A screenshot of the first
# card alone is compared with the headless render by tests/cli/player_window_test.cpp.
# Skipped (exit 77) where no virtual display can be started.
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")/.." && pwd)
command -v xvfb-run > /dev/null || { echo "xvfb-run is missing: skipped"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "xvfb smoke: $*"; [ -f "$out/log.txt" ] && cat "$out/log.txt"; exit 1; }

"$bin" build "$here/examples/demo/demo.json" -o "$out/demo.stk" > /dev/null || exit 1
cp "$here/examples/demo/ladybird.bmp" "$here/examples/demo/flight.mov" "$out/"
cat > "$out/small.json" << 'EOF'
{"stack": {"width": 200, "height": 150, "depth": 8}, "cards": [{"id": 1, "name": "Small"}]}
EOF
"$bin" build "$out/small.json" -o "$out/small.stk" > /dev/null || exit 1

cat > "$out/events.txt" << EOF
wait 1500
shot $out/first.png
resize 900 700
wait 600
shot $out/resized.png
key F11
wait 600
shot $out/full.png
key F11
wait 600
shot $out/windowed.png
key Left Alt
key Down
wait 400
shot $out/menu.png
key Escape
key Escape
wait 300
drop $out/small.stk
wait 1000
shot $out/dropped.png
EOF

# The display libraries keep memory until the process ends; that is not ours to report.
# HOME is the test's own, so the window size kept on closing goes nowhere else.
HOME=$out ASAN_OPTIONS=detect_leaks=0 timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$bin" play "$out/demo.stk" --events "$out/events.txt" --seconds 1 > "$out/log.txt" 2>&1 ||
  fail "corvida play failed"

for shot in first resized full windowed menu dropped; do
  [ -s "$out/$shot.png" ] || fail "no screenshot $shot.png"
done
line() { grep "^shot $out/$1.png:" "$out/log.txt"; }
line resized | grep -q "window 900x700" || fail "the window was not resized: $(line resized)"
line full | grep -q "full screen" || fail "F11 did not make the window full screen: $(line full)"
line windowed | grep -q "full screen" && fail "F11 again did not end full screen: $(line windowed)"
line menu | grep -q "menu open" || fail "Alt and Down opened no menu: $(line menu)"
cmp -s "$out/windowed.png" "$out/menu.png" && fail "the open menu is not in the screenshot"
line dropped | grep -q "menu open" && fail "Escape did not close the menu: $(line dropped)"
line dropped | grep -q "card 200x150" || fail "the dropped stack was not opened: $(line dropped)"
echo "played, resized, full screen on and off, menu opened with Alt, stack dropped: all seen"
