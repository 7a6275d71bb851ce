#!/bin/bash
# tests/ui/window_screenshot_test.sh -- screenshot smoke check of the idle main window: runs the
# showcase test of ui_tests (which shows the window and prints its client rectangle on the
# screen), takes a screenshot of the X display with `import -window root`, and checks a few
# pixels: the white ground, the lime and the red toggle, the grey Install button.
# Usage (under a display, e.g. through scripts/gui-run):
#   window_screenshot_test.sh <emulator> <ui_tests.exe> <output folder>
set -euo pipefail
emulator=$1
exe=$2
out=$3
mkdir -p "$out"
log="$out/showcase.log"
done_file="$out/showcase.done"
shot="$out/main_window_idle.png"
rm -f "$log" "$done_file" "$shot"

VLM_UI_SHOWCASE_MS=60000 VLM_UI_SHOWCASE_DONE="Z:$done_file" \
  "$emulator" "$exe" --gtest_filter='TMainFormShowcase.*' >"$log" 2>&1 &
pid=$!
finish() {
  touch "$done_file"
  # Bounded: the showcase ends by itself within a minute at the latest.
  wait "$pid" 2>/dev/null || true
}
trap finish EXIT

# Up to 60 s for the window (a fresh wine prefix boots first).
rect=""
for _ in $(seq 1 600); do
  rect=$(grep -m1 '^CLIENT ' "$log" 2>/dev/null || true)
  [ -n "$rect" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$rect" ]; then
  echo "FAIL: the window did not appear"; cat "$log"; exit 1
fi
read -r _ x y w h <<<"$rect"
sleep 1  # let the first paint reach the screen
import -window root "$shot"

# The colour of one client pixel as "r,g,b" (0..255).
pixel() {
  convert "$shot" -crop "1x1+$((x + $1))+$((y + $2))" -depth 8 txt:- |
    sed -n '2s/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}
near() {  # near "r,g,b" R G B tolerance
  IFS=, read -r r g b <<<"$1"
  [ $(( (r-$2)*(r-$2) <= $5*$5 && (g-$3)*(g-$3) <= $5*$5 && (b-$4)*(b-$4) <= $5*$5 )) -eq 1 ]
}
failures=0
check() {  # check name dx dy R G B tolerance
  local got; got=$(pixel "$2" "$3")
  if near "$got" "$4" "$5" "$6" "$7"; then
    echo "ok   $1 at ($2,$3): $got"
  else
    echo "FAIL $1 at ($2,$3): $got, expected about $4,$5,$6"; failures=$((failures + 1))
  fi
}
echo "window client area at $x,$y size ${w}x$h; screenshot $shot"
check "white ground" 5 450 255 255 255 0
check "start-menu toggle lime" 34 160 0 255 0 40
check "desktop toggle red" 34 199 255 0 0 40
check "install button grey" 30 340 128 128 128 90
exit $((failures > 0))
