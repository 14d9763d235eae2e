#!/usr/bin/env bash
# Plays one whole round in a real window under Xvfb, as a player would: launches with "Lancia" and Space,
# shoots three discs where they will be (the directions follow the game's unseeded generator), misses a shot,
# lets a disc get away, and waits for the 90-second summary. Screenshots of each moment are kept.
# Usage: realwindow_round.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"
. "$(dirname "$0")/xwindow.sh"
in_xvfb "$0" "$@"
: >"$out/round.log"
start_game "$out/round.log"
fx=$((x + 24)) # the playing field's top-left corner on the screen
fy=$((y + 40))

# The game's generator: state 327680, times 1140671485 plus 12820163, modulo 2^24.
state=327680
draw() { state=$(((state * 1140671485 + 12820163) % 16777216)); }
steps=(0 -40 -80 -25 25 40 80 -75 75 100 -100)

shoot_next() { # $1: how to launch ("click" or "space"); shoots the disc 0.5 s after the launch
    if [ "$1" = click ]; then xdotool mousemove $((x + 59)) $((y + 316)) click 1; else xdotool key space; fi
    local launched
    launched=$(date +%s%N)
    draw
    local direction=$((state * 11 / 16777216))
    sleep 0.5
    local ticks=$((($(date +%s%N) - launched) / 30000000 + 1))
    # Where the disc picture's corner is now, in pixels of the field, aiming at the middle of the hit box.
    local left=$(((6735 * 10 / 2 + ticks * steps[direction] * 10) / 150))
    local top=$(((3855 - ticks * 60) / 15))
    xdotool mousemove $((fx + left + 16)) $((fy + top + 20)) click 1
    draw # the hit cue's draw
}

start=$(date +%s)
shoot_next click
sleep 0.15
import -window root "$out/round-hit.png"
# "Colpito!" is written in pure blue on the field after a hit.
blue=$(convert "$out/round-hit.png" -crop "90x25+$((fx + 224))+$((fy + 32))" txt:- | grep -c '#0000FF' || true)
[ "$blue" -gt 0 ] || fail "the first disc was not hit (no Colpito! on the field)"
shoot_next space
shoot_next space
sleep 0.3
# A shot on the empty sky (the field takes the focus), then a disc launched with "Lancia" and left to get away.
xdotool mousemove $((fx + 10)) $((fy + 10)) click 1
xdotool mousemove $((x + 59)) $((y + 316)) click 1
draw
sleep 3.5
import -window root "$out/round-missed.png"

# The round's clock has run since the first launch; 90 seconds later the summary appears.
while [ $(($(date +%s) - start)) -lt 92 ]; do sleep 1; done
boxes=$(xdotool search --onlyvisible --name '^Volarino$' | grep -vc "^$win$" || true)
import -window root "$out/round-summary.png"
[ "$boxes" -ge 1 ] || fail "no summary box after 90 seconds"
xdotool key Return
sleep 0.5
import -window root "$out/round-rest.png"
kill -0 $pid || fail "the game ended"
echo "round played; screenshots in $out"
