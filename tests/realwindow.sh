#!/usr/bin/env bash
# Starts the built game in a real X window under Xvfb, finds the window by its title, checks its size,
# launches a disc with a real click on "Lancia" and keeps screenshots of what the player sees.
# Usage: realwindow.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"

if [ "${3:-}" != --inside ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$exe" "$out" --inside
fi

fail() { echo "FAIL: $*"; exit 1; }
unset QT_QPA_PLATFORM
"$exe" >"$out/volarino.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Volarino$' | head -n 1) || fail "no window called Volarino"
geometry=$(xwininfo -id "$win")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
[ "$width" = 499 ] && [ "$height" = 389 ] || fail "window is ${width}x${height}, expected 499x389"
echo "window $win at $x,$y size ${width}x${height}"

pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR==2 {print $3}'; }

sleep 1
import -window root "$out/start.png"
# The score panel is black, the window around it grey.
[ "$(pixel "$out/start.png" $((x + 200)) $((y + 340)))" = "#000000" ] || fail "score panel is not black"
[ "$(pixel "$out/start.png" $((x + 10)) $((y + 200)))" = "#CFCFCF" ] || fail "window background is not grey"

# "Lancia" sits at the panel's left: a real click launches the disc.
xdotool mousemove $((x + 59)) $((y + 316)) click 1
sleep 0.6
import -window root "$out/flight.png"
kill -0 $pid || fail "the game ended after the launch"
# Space launches again once the disc has got away and "Lancia" has the focus.
sleep 3
import -window root "$out/missed.png"
kill -0 $pid || fail "the game ended during the flight"
echo "screenshots in $out"
