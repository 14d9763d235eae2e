#!/usr/bin/env bash
# Plays one whole round in a real window under Xvfb, as a player would: launches with "Lancia" and Space,
# shoots three discs (the first where the screen shows it, the others where they will be: the directions follow
# the game's unseeded generator), misses a shot, lets a disc get away, and waits for the 90-second summary.
# Screenshots of each moment are kept.
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

# The playing field on the screen, 449 by 256 pixels, for ImageMagick.
field="449x256+$fx+$fy"
# Where the disc differs from the field as it was before the launch, as ImageMagick's WxH+X+Y in the field,
# once the whole disc has risen into view.
disc_box() {
    local box
    box=$(convert "$out/round-before.png" "$out/round-aim.png" -crop "$field" +repage -compose difference \
        -composite -threshold 10% -format '%@' info: 2>/dev/null)
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    local w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} top=${BASH_REMATCH[4]}
    [ "$w" -ge 16 ] && [ "$w" -lt 449 ] && [ "$h" -ge 16 ] && [ $((top + h)) -lt 250 ] || return 1
    echo "$box"
}
# Stops the game, so the disc stays where the screenshot shows it, and looks for the disc; the game goes on
# when the disc is not in full view yet.
disc_in_view() {
    kill -STOP $pid
    import -window root "$out/round-aim.png"
    box=$(disc_box) && return 0
    kill -CONT $pid
    return 1
}

import -window root "$out/round-before.png"
xdotool mousemove $((x + 59)) $((y + 316)) click 1
start=$(date +%s)
draw
wait_for "the first disc in full view on the field" disc_in_view
[[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]
# A click on the disc itself is always a hit; the game takes it when it goes on.
xdotool mousemove $((fx + BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) $((fy + BASH_REMATCH[4] + BASH_REMATCH[2] / 2)) \
    click 1
kill -CONT $pid
draw # the hit cue's draw
# "Colpito!" is written in pure blue on the field after a hit.
wait_for "Colpito! on the field after a click on the first disc (at $box in the field)" \
    message_shows '#0000FF' round-hit
shoot_next space
shoot_next space
sleep 0.3
# A shot on the empty sky (the field takes the focus), then a disc launched with "Lancia" and left to get away.
xdotool mousemove $((fx + 10)) $((fy + 10)) click 1
xdotool mousemove $((x + 59)) $((y + 316)) click 1
draw
sleep 3.5
import -window root "$out/round-missed.png"

# The round's clock has run since the first launch; 90 seconds of it later the summary appears, a second window
# called Volarino. A busy machine runs the clock's ticks late, so the wait allows for more.
summary_shown() { [ "$(xdotool search --onlyvisible --name '^Volarino$' | grep -vc "^$win$" || true)" -ge 1 ]; }
patience=$((90 + patience)) wait_for "the round's summary after 90 s of play" summary_shown
echo "summary after $(($(date +%s) - start)) s"
import -window root "$out/round-summary.png"
xdotool key Return
sleep 0.5
import -window root "$out/round-rest.png"
kill -0 $pid || fail "the game ended"
# In normal play the game writes nothing on its output; only a fault would.
[ ! -s "$out/round.log" ] || { cat "$out/round.log"; fail "the game wrote the above in normal play"; }
echo "round played; screenshots in $out"
