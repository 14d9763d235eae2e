#!/usr/bin/env bash
# Plays one whole round in a real window under Xvfb, as a player would, and checks what each action caused:
# three discs, launched with "Lancia" and Space, each shot where the screen shows it ("Colpito!" and the hit count
# going up), a shot into the sky and a disc left to get away (the miss count, "Mancato!"), and the summary after
# 90 seconds, read as a screen reader reads it, against the shots and hits made. Screenshots of each moment are kept.
# Usage: realwindow_round.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"
here=$(dirname "$0")
[ -n "${VOLARINO_A11Y_BUS:-}" ] || exec "$here/accessibility.sh" --bus bash "$0" "$@"
. "$here/xwindow.sh"
in_xvfb "$0" "$@"
: >"$out/round.log"
start_game "$out/round.log"
fx=$((x + 24)) # the playing field's top-left corner on the screen
fy=$((y + 40))
field="449x256+$fx+$fy" # the field as the score panel leaves it in view, for ImageMagick

# A count on the screenshot $1, at $2 pixels into the window: its red channel, in which the yellow hits and the
# red misses draw a number alike.
count() { convert "$1" -crop "27x25+$((x + $2))+$((y + 305))" -channel R -separate -depth 8 gray:- | md5sum; }
hits=276 misses=377

# Stops the game and looks for the disc where the screen differs from the field before the first launch: true,
# the game still stopped and $box the disc's WxH+X+Y in the field, once the whole disc is in view; else lets
# the game go on. A disc that got away unseen fails the check.
disc_in_view() {
    kill -STOP $pid
    import -window root -depth 8 "$out/round-aim.miff"
    box=$(convert "$out/round-before.png" "$out/round-aim.miff" -crop "$field" +repage -compose difference \
        -composite -threshold 10% -format '%@' info: 2>/dev/null)
    [[ $box =~ ^(4[4-9]|5[0-2])x(2[6-9]|3[0-4])\+([0-9]+)\+([0-9]+)$ ]] &&
        [ $((BASH_REMATCH[4] + BASH_REMATCH[2])) -lt 256 ] && return 0
    kill -CONT $pid
    [ "$(message_pixels "$out/round-aim.miff" '#FF0000')" = 0 ] || fail "the disc got away before it was seen whole"
    return 1
}

# The screen shows "Colpito!" and the hit count gone up from what screenshot $2 showed, the miss count as before;
# keeps the look as round-hit-$1.png.
hit_shown() {
    message_shows '#0000FF' "round-hit-$1" &&
        [ "$(count "$out/round-hit-$1.png" $hits)" != "$(count "$2" $hits)" ] &&
        [ "$(count "$out/round-hit-$1.png" $misses)" = "$(count "$2" $misses)" ]
}

# Launches a disc ("click" on "Lancia" or "space") and shoots it where the screen shows it: a press on the disc
# is a hit. $2 names the shot; the screenshot of the shot before it is $3.
shoot() {
    if [ "$1" = click ]; then xdotool mousemove $((x + 59)) $((y + 316)) click 1; else xdotool key space; fi
    # Looked for often, so that the game flies only a tick or two between looks: the whole disc is in view for
    # a dozen ticks or more before it leaves the field.
    local end=$((SECONDS + patience))
    until disc_in_view; do
        [ $SECONDS -lt $end ] || fail "waited $patience s for disc $2 in full view on the field"
        sleep 0.05
    done
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]
    # Near the top of the rim: still on the disc if it flies on a few ticks before the game takes the press.
    xdotool mousemove $((fx + BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) $((fy + BASH_REMATCH[4] + 4)) click 1
    kill -CONT $pid
    convert "$out/round-aim.miff" "$out/round-aim-$2.png"
    wait_for "Colpito! and the hit count going up, the miss count not, after a press on disc $2 at $box" \
        hit_shown "$2" "$3"
}

import -window root "$out/round-before.png"
[ "$(count "$out/round-before.png" $hits)" = "$(count "$out/round-before.png" $misses)" ] ||
    fail "the two counts do not read alike (0) at the start"
shoot click 1 "$out/round-before.png"
shoot space 2 "$out/round-hit-1.png"
shoot space 3 "$out/round-hit-2.png"
# A shot into the sky counts a miss: the miss count reads as the hit count did after the first hit. Then a disc
# launched with "Lancia" gets away: "Mancato!" in red and the miss count as the hit count after the second.
misses_read() { import -window root "$out/round-$1.png" && [ "$(count "$out/round-$1.png" $misses)" = "$2" ]; }
xdotool mousemove $((fx + 10)) $((fy + 10)) click 1
wait_for "the miss count to read 1 after a shot into the sky" misses_read sky "$(count "$out/round-hit-1.png" $hits)"
[ "$(count "$out/round-sky.png" $hits)" = "$(count "$out/round-hit-3.png" $hits)" ] || fail "a miss changed the hits"
xdotool mousemove $((x + 59)) $((y + 316)) click 1
got_away() { misses_read missed "$1" && [ "$(message_pixels "$out/round-missed.png" '#FF0000')" -gt 0 ]; }
wait_for "Mancato! and the miss count reading 2 after a disc got away" got_away "$(count "$out/round-hit-2.png" $hits)"

# The round's clock has run since the first launch; 90 seconds of it later the summary appears, a second window
# called Volarino. A busy machine runs the clock's ticks late, so the wait allows for more.
summary_shown() { [ "$(xdotool search --onlyvisible --name '^Volarino$' | grep -vc "^$win$" || true)" -ge 1 ]; }
patience=$((90 + patience)) wait_for "the round's summary after 90 s of play" summary_shown
import -window root "$out/round-summary.png"
# Its text as a screen reader reads it: 4 shots, 3 of them hits.
summary_text() {
    /usr/bin/python3 -c 'import pyatspi
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name.lower() == "volarino":
        for window in app:
            if window.getRole() == pyatspi.ROLE_ALERT:
                print("\n".join(n.name for n in window if n.getRole() == pyatspi.ROLE_LABEL and n.name))' \
        >"$out/round-summary.txt"
    [ "$(cat "$out/round-summary.txt")" = "$(printf 'Tempo scaduto.\nHai sparato 4 colpi.\nHai fatto 3 centri.')" ]
}
(wait_for "the summary to read 4 shots and 3 hits" summary_text) ||
    fail "the summary reads: $(sed -n l "$out/round-summary.txt" | tr '\n' ' ')"
xdotool key Return
summary_gone() { ! summary_shown; }
wait_for "the summary to close" summary_gone
import -window root "$out/round-rest.png"
kill -0 $pid || fail "the game ended"
rm -f "$out/round-aim.miff" # each kept as a picture
# In normal play the game writes nothing on its output; only a fault would.
[ ! -s "$out/round.log" ] || { cat "$out/round.log"; fail "the game wrote the above in normal play"; }
echo "round played; screenshots in $out"
