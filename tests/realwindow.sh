#!/usr/bin/env bash
# Starts the built game in a real X window under Xvfb on a full-HD screen, finds the window by its title, checks its
# size, colours and icons and the options panel's button faces, then maximises it with the size button and plays
# three discs over the whole screen, each seen in flight: the first shot ("Colpito!"), the others let go
# ("Mancato!"). Keeps screenshots of what the player sees.
# Usage: realwindow.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"

. "$(dirname "$0")/xwindow.sh"
# Maximised on a screen this wide, the field is more than 11175 twips wide.
export VOLARINO_SCREEN=1920x1080
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

# "Opzioni" opens the options panel (at 77, 74 in the window; its blue #244FCE). Each colour button's face shows its
# own colour flat, and each of the panel's buttons #8080FF: all colours of a strip 4 to 6 pixels down each face,
# inside the 2-pixel bevel, above the caption and clear of the focus rectangle.
xdotool mousemove $((x + 171)) $((y + 316)) click 1
# True once the screen, kept as $1.png, shows the panel.
panel_shown() {
    import -window root "$out/$1.png" && [ "$(pixel "$out/$1.png" $((x + 87)) $((y + 134)))" = "#244FCE" ]
}
panel_gone() { ! panel_shown options-closed; }
wait_for "the options panel to open" panel_shown options
face() { convert "$out/options.png" -crop "$(($3 - 8))x3+$((x + 81 + $1))+$((y + 78 + $2))" -unique-colors txt:- |
    awk 'NR > 1 {printf "%s ", $3}'; }
while read -r name left top width colour; do
    shown=$(face "$left" "$top" "$width")
    [ "$shown" = "$colour " ] || fail "\"$name\" shows ${shown}not $colour"
done <<'EOF' # caption, left and top in the panel, width (pixels), colour
Rosso 200 32 57 #FF0000
Arancione 272 32 57 #FF8000
Giallo 200 64 57 #FFFF00
Verde 272 64 57 #00FF00
Celeste 200 96 57 #00FFFF
Blu 272 96 57 #0000FF
Violetto 200 128 57 #FF00FF
Bianco 272 128 57 #FFFFFF
Nero 200 160 57 #000000
Altri_colori 272 160 57 #8080FF
Apri_sfondo 8 208 105 #8080FF
OK 120 208 105 #8080FF
Annulla 232 208 105 #8080FF
EOF
xdotool mousemove $((x + 361)) $((y + 294)) click 1 # "Annulla"
wait_for "the options panel to close" panel_gone

# The size button maximises the window to the whole screen; the frame's right edge shows once it is painted.
read -r sw sh <<<"$(xdotool getdisplaygeometry)"
xdotool mousemove $((x + 471)) $((y + 14)) click 1
maximised() {
    [ "$(geometry "$win")" = "0 0 $sw $sh" ] && import -window root "$out/maximised.png" &&
        [ "$(pixel "$out/maximised.png" $((sw - 1)) 200)" = "#909090" ]
}
wait_for "the window maximised to the whole ${sw}x$sh screen and painted" maximised
field="$((sw - 49))x$((sh - 132))+24+40" # the field (W - 735 by H - 1980 twips) at 360, 600 twips
# The pixels of colour $2 in the field's message on the screenshot $1; the message starts at the field's middle.
said() { convert "$1" -crop "90x25+$((24 + (sw - 49) / 2))+72" txt:- | grep -c "$2" || true; }

# Stops the game and looks for the disc where the screen differs from the field before the launch: true, the game
# still stopped and $box the disc's WxH+X+Y in the field, once the whole disc is in view above the field's bottom;
# else lets the game go on. A disc counted missed before it was seen fails the check.
disc_in_view() {
    kill -STOP $pid
    import -window root -depth 8 "$out/aim.miff"
    box=$(convert "$out/maximised.png" "$out/aim.miff" -crop "$field" +repage -compose difference -composite \
        -threshold 10% -format '%@' info: 2>/dev/null)
    [[ $box =~ ^(4[4-9]|5[0-2])x(2[6-9]|3[0-4])\+([0-9]+)\+([0-9]+)$ ]] &&
        [ $((BASH_REMATCH[4] + BASH_REMATCH[2])) -lt $((sh - 132)) ] && return 0
    kill -CONT $pid
    [ "$(said "$out/aim.miff" '#FF0000')" = 0 ] || fail "the disc was counted missed before it was seen in flight"
    return 1
}
message_is() { import -window root "$out/$2.png" && [ "$(said "$out/$2.png" "$1")" -gt 0 ]; }

for disc in 1 2 3; do
    xdotool mousemove 59 $((sh - 71)) click 1 # "Lancia"
    wait_for "disc $disc in flight, whole and above the field's bottom" disc_in_view
    convert "$out/aim.miff" "$out/flight-$disc.png"
    if [ $disc = 1 ]; then
        [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]
        xdotool mousemove $((24 + BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) $((40 + BASH_REMATCH[4] + 4)) click 1
        kill -CONT $pid
        wait_for "Colpito! on the field after a press on disc 1 at $box" message_is '#0000FF' hit
    else
        # Unshot, the disc gets away and the field says so in red.
        kill -CONT $pid
        wait_for "Mancato! on the field after disc $disc flew off" message_is '#FF0000' "missed-$disc"
    fi
done
kill -0 $pid || fail "the game ended during the flights"
rm -f "$out/aim.miff" # each kept as a picture
# In normal play the game writes nothing on its output; only a fault would.
[ ! -s "$out/volarino.log" ] || { cat "$out/volarino.log"; fail "the game wrote the above in normal play"; }
echo "screenshots in $out"
