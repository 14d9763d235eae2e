#!/usr/bin/env bash
# Starts the built game in a real X window under Xvfb, finds the window by its title, checks its size,
# launches a disc with a real click on "Lancia" and keeps screenshots of what the player sees.
# Usage: realwindow.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"

. "$(dirname "$0")/xwindow.sh"
in_xvfb "$0" "$@"

: >"$out/volarino.log"
start_game "$out/volarino.log"
echo "window $win at $x,$y"
import -window root "$out/start.png"
# The score panel is black, the window around it grey.
[ "$(pixel "$out/start.png" $((x + 200)) $((y + 340)))" = "#000000" ] || fail "score panel is not black"
[ "$(pixel "$out/start.png" $((x + 10)) $((y + 200)))" = "#CFCFCF" ] || fail "window background is not grey"
# The icon comes after the first paint, in all four sizes, for task bars and switchers at any scale.
icons=$(xprop -id "$win" -len 1000000 -notype _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[ "$icons" = "Icon (32 x 32) Icon (64 x 64) Icon (128 x 128) Icon (256 x 256) " ] || fail "window icons: $icons"

[ "$(message_pixels "$out/start.png" '#FF0000')" = 0 ] || fail "the field shows a message before any disc"

# "Lancia" sits at the panel's left: a real click launches the disc.
xdotool mousemove $((x + 59)) $((y + 316)) click 1
sleep 0.6
import -window root "$out/flight.png"
kill -0 $pid || fail "the game ended after the launch"
# Unshot, the disc gets away and the field says so in red.
wait_for "Mancato! on the field after the disc's flight" message_shows '#FF0000' missed
kill -0 $pid || fail "the game ended during the flight"
# In normal play the game writes nothing on its output; only a fault would.
[ ! -s "$out/volarino.log" ] || { cat "$out/volarino.log"; fail "the game wrote the above in normal play"; }
echo "screenshots in $out"
