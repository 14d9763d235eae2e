#!/usr/bin/env bash
# The skinned windows on a real X server (Xvfb, no window manager): the rounded outline lets the desktop show
# through at the corners, the help button opens the help window, the size button maximises and restores, and
# the close button with its question ends the program: with the help window open the game window slides away
# and the program lives on until the help window is closed; closed while maximised, it ends at once.
# Then, without a window manager and under openbox, a drag of the title with each button ends at that
# button's release and a tap on it moves nothing; under openbox the desktop's own maximise and restore leave the
# game laid out for its size. Keeps screenshots of every step.
# Usage: realwindow_shell.sh VOLARINO_EXECUTABLE SCREENSHOT_DIR
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"

. "$(dirname "$0")/xwindow.sh"
in_xvfb "$0" "$@"
: >"$out/volarino-shell.log"

shot() { import -window root "$out/$1.png"; }

# Waits up to $1 seconds for the program to end.
ends_within() {
    local tenths=$(($1 * 10))
    for ((i = 0; i < tenths; i++)); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

window_at() { [ "$(geometry "$win" | cut -d' ' -f1,2)" = "$1 $2" ]; }
window_is() { [ "$(geometry "$win")" = "$*" ]; }
game_gone() { ! xdotool search --onlyvisible --name '^Volarino$' >/dev/null; }
help_shown() { xdotool search --onlyvisible --name '^Informazioni$' >/dev/null; }
help_gone() { ! help_shown; }

# Drags the game window by its title with X button $1 (1 left, 2 middle, 3 right), lets go and moves on, as a
# player would: the window follows the drag and stays where the button was let go. A click on the help button
# where the window stayed proves it: it reaches the game only once the drag has let go of the pointer, and
# finds the button only if the window did not move on.
title_drag() {
    local gx gy
    read -r gx gy _ _ <<<"$(geometry "$win")"
    xdotool mousemove $((gx + 300)) $((gy + 10)) mousedown "$1"
    xdotool mousemove $((gx + 330)) $((gy + 25)) mousemove $((gx + 360)) $((gy + 50))
    # The window follows the motion the game has seen: the pointer keeps stirring at the goal, as a player's
    # hand would, until the window gets there.
    stirred_to() {
        xdotool mousemove $((gx + 359)) $((gy + 50)) mousemove $((gx + 360)) $((gy + 50))
        window_at "$@"
    }
    (wait_for "the window to follow a drag of its title with button $1" stirred_to $((gx + 60)) $((gy + 40))) ||
        fail "button $1 dragged the window from $gx,$gy to $(geometry "$win"), not to $((gx + 60)),$((gy + 40))"
    xdotool mouseup "$1"
    xdotool mousemove $((gx + 560)) $((gy + 300)) mousemove $((gx + 600)) $((gy + 350))
    xdotool mousemove $((gx + 501)) $((gy + 54)) click 1
    wait_for "the help window from the help button where the window was let go (button $1)" help_shown
    window_at $((gx + 60)) $((gy + 40)) || fail "button $1: the window moved on after the release, to $(geometry "$win")"
    shot "shell-drag-$2-button-$1"
    local help hx hy
    help=$(find_window '^Informazioni$')
    read -r hx hy _ _ <<<"$(geometry "$help")"
    xdotool mousemove $((hx + 276)) $((hy + 212)) click 1
    wait_for "the help window's OK to close it" help_gone
}

# A tap on the title that reaches the game together with its release, as a touchpad's tap or a busy moment
# delivers it (the game is stopped meanwhile): nothing moves. A window manager's move asked for after the
# release would take the window along with the pointer and swallow the next click, which ends it: the click
# on the help button, or the one on the help window's OK once the help window is there.
title_tap() {
    local gx gy help hx hy
    read -r gx gy _ _ <<<"$(geometry "$win")"
    xdotool mousemove $((gx + 300)) $((gy + 10))
    kill -STOP "$pid"
    xdotool mousedown 1 mouseup 1
    kill -CONT "$pid"
    xdotool mousemove $((gx + 380)) $((gy + 60)) mousemove $((gx + 441)) $((gy + 14)) click 1
    wait_for "the help window from the help button after a tap on the title" help_shown
    shot "shell-tap-$1"
    help=$(find_window '^Informazioni$')
    read -r hx hy _ _ <<<"$(geometry "$help")"
    xdotool mousemove $((hx + 276)) $((hy + 212)) click 1
    wait_for "the help window's OK to close it after a tap on the title" help_gone
    window_at "$gx" "$gy" || fail "a tap on the title moved the window from $gx,$gy to $(geometry "$win")"
}

# True once the screenshot $1 shows the game laid out for its window's size: the field's picture reaching down to
# 92 px above the window's bottom edge, the black score panel below it reaching to 26 px from the right edge.
laid_out() {
    local gx gy gw gh
    read -r gx gy gw gh <<<"$(geometry "$win")"
    shot "$1" &&
        [ "$(pixel "$out/$1.png" $((gx + 30)) $((gy + gh - 95)))" != "#CFCFCF" ] &&
        [ "$(pixel "$out/$1.png" $((gx + gw - 30)) $((gy + gh - 40)))" = "#000000" ]
}
window_sized() { [ "$(geometry "$win" | cut -d' ' -f3,4)" = "$1 $2" ]; }

# Answers the close question with "Sì" (the default button, whatever the buttons' order) from the keyboard.
answer_yes() {
    local box
    box=$(find_window '^Uscita$') || fail "no closing question"
    [ "$(title_of "$box")" = Uscita ] || fail "the question's title is \"$(title_of "$box")\", not \"Uscita\""
    sleep 0.3
    shot "$1"
    xdotool windowfocus --sync "$box" key Return
}

# ---- First run: frame, help, size toggle, close with the help window open.
start_game "$out/volarino-shell.log"
echo "game window at $x,$y"
[ "$x,$y" = "262,189" ] || fail "game window not centred: $x,$y"
shot shell-start
desk=$(pixel "$out/shell-start.png" 5 5)
# The corners are cut away: the desktop shows through where the square window would be grey.
for corner in "$x $y" "$((x + width - 1)) $y" "$x $((y + height - 1))" "$((x + width - 1)) $((y + height - 1))"; do
    # shellcheck disable=SC2086
    c=$(pixel "$out/shell-start.png" $corner)
    [ "$c" != "#CFCFCF" ] || fail "corner $corner is window grey"
    [ "$c" = "$desk" ] || fail "corner $corner is $c, not the desktop's $desk"
done
[ "$(pixel "$out/shell-start.png" $((x + 12)) $((y + 12)))" != "$desk" ] || fail "the outline cuts too deep"
[ "$(pixel "$out/shell-start.png" $((x + 300)) $((y + 15)))" = "#1562AF" ] || fail "title bar is not blue"
[ "$(pixel "$out/shell-start.png" $((x + 498)) $((y + 200)))" = "#909090" ] || fail "right border has no shadow"
[ "$(pixel "$out/shell-start.png" $((x + 200)) $((y + 388)))" = "#909090" ] || fail "bottom border has no shadow"
[ "$(pixel "$out/shell-start.png" $((x + 10)) $((y + 200)))" = "#CFCFCF" ] || fail "left border is not grey"

# The help button: the help window opens in the middle of the screen, beside the game.
xdotool mousemove $((x + 441)) $((y + 14)) click 1
help=$(find_window '^Informazioni$') || fail "the help button opened no help window"
read -r hx hy hw hh <<<"$(geometry "$help")"
echo "help window at $hx,$hy size ${hw}x${hh}"
[ "$hw" = 356 ] && [ "$hh" = 261 ] || fail "help window is ${hw}x${hh}, expected 356x261"
[ "$hx,$hy" = "334,253" ] || fail "help window not centred: $hx,$hy"
# Each window's title is its own, with nothing of the program's added.
for w in "$win Volarino" "$help Informazioni"; do
    # shellcheck disable=SC2086
    set -- $w
    [ "$(title_of "$1")" = "$2" ] || fail "the window titled \"$(title_of "$1")\", not \"$2\""
done
help_drawn() { shot shell-help && [ "$(pixel "$out/shell-help.png" $((hx + 100)) $((hy + 152)))" = "#FFFFFF" ]; }
wait_for "the help window drawn, its separator line white" help_drawn
[ "$(pixel "$out/shell-help.png" "$hx" "$hy")" != "#CFCFCF" ] || fail "help window's corner is not cut"
[ "$(pixel "$out/shell-help.png" $((hx + 300)) $((hy + 15)))" = "#1562AF" ] || fail "help title bar is not blue"
# Pressed again, the help button opens no second help window. The game handles the size button's click below
# after this one, and asks the X server for its windows in order: once the window is maximised, a second help
# window would have been shown.
xdotool mousemove $((x + 441)) $((y + 14)) click 1

# The size button: maximised to the whole screen, then back.
xdotool mousemove $((x + 471)) $((y + 14)) click 1
wait_for "the window maximised to the whole screen" window_is 0 0 1024 768
[ "$(xdotool search --onlyvisible --name '^Informazioni$' | wc -l)" = 1 ] || fail "a second help window"
shot shell-maximised
[ "$(pixel "$out/shell-maximised.png" 0 0)" != "#CFCFCF" ] || fail "maximised corner is not cut"
[ "$(pixel "$out/shell-maximised.png" 1023 767)" != "#CFCFCF" ] || fail "maximised corner is not cut"
# The frame follows the screen's edges.
[ "$(pixel "$out/shell-maximised.png" 1023 200)" = "#909090" ] || fail "maximised right border is not at the edge"
[ "$(pixel "$out/shell-maximised.png" 500 767)" = "#909090" ] || fail "maximised bottom border is not at the edge"
# The size button now sits 990 px in: W - 285 - 225 twips.
xdotool mousemove 996 14 click 1
wait_for "the window restored to its place and size" window_is "$x" "$y" 499 389
shot shell-restored

# The close button and "Sì": the game window slides away, the help window stays and the program with it.
xdotool mousemove $((x + 486)) $((y + 14)) click 1
answer_yes shell-question
wait_for "the game window to slide away" game_gone
kill -0 "$pid" || fail "the program ended with the help window still open"
shot shell-slid
[ "$(pixel "$out/shell-slid.png" $((hx + 300)) $((hy + 15)))" = "#1562AF" ] || fail "the help window went too"
# "OK" closes the last window: the program ends.
xdotool mousemove $((hx + 276)) $((hy + 212)) click 1
ends_within 60 || fail "the program did not end once its last window closed"
pid=

# ---- Second run: closed while maximised, the program ends at once. The question's buttons come in GNOME's
# order, "No | Sì": Enter still answers Sì.
XDG_CURRENT_DESKTOP=GNOME start_game "$out/volarino-shell.log"
xdotool mousemove $((x + 471)) $((y + 14)) click 1
wait_for "the window maximised to the whole screen" window_is 0 0 1024 768
xdotool mousemove 1011 14 click 1
answer_yes shell-question-maximised
ends_within 60 || fail "closed while maximised, the program did not end"
pid=

# ---- Third run: title drags without a window manager, where the game moves the window itself. First
# "Opzioni", then "Apri sfondo": the background picker, titled Form1; Esc closes it, "Annulla" the options.
start_game "$out/volarino-shell.log"
options_shown() { shot shell-options && [ "$(pixel "$out/shell-options.png" $((x + 90)) $((y + 90)))" = "#244FCE" ]; }
picker_gone() { ! xdotool search --onlyvisible --name '^Form1$' >/dev/null; }
xdotool mousemove $((x + 171)) $((y + 318)) click 1
wait_for "the options panel" options_shown
xdotool mousemove $((x + 137)) $((y + 294)) click 1
picker=$(find_window '^Form1$') || fail "Apri sfondo opened no background picker"
[ "$(title_of "$picker")" = Form1 ] || fail "the picker is titled \"$(title_of "$picker")\", not \"Form1\""
xdotool windowfocus --sync "$picker" key Escape
wait_for "the picker closed by Esc" picker_gone
xdotool mousemove $((x + 361)) $((y + 294)) click 1
title_drag 3 nowm
title_drag 2 nowm
kill "$pid"
pid=

# ---- Fourth run: the same under openbox, which moves the window itself for a left drag.
openbox >>"$out/volarino-shell.log" 2>&1 &
wm=$!
trap '[ -n "${pid:-}" ] && kill $pid 2>/dev/null; kill $wm 2>/dev/null || true' EXIT
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for "openbox to manage the screen" wm_running
start_game "$out/volarino-shell.log"
trap '[ -n "${pid:-}" ] && kill $pid 2>/dev/null; kill $wm 2>/dev/null || true' EXIT
title_tap openbox
for button in 3 2 1; do
    title_drag "$button" openbox
done

# The desktop's own maximise, as Super+Up or a drag to the top edge asks it, keeps the size of the window, and
# the size button maximises it; the desktop's restore of the maximised window lays it out at its normal size.
# Each time the field and the score panel fill the window, and "Esci" is where its size puts it.
wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
read -r x y width height <<<"$(geometry "$win")"
xdotool mousemove $((x + width - 28)) $((y + 14)) click 1
wait_for "the window maximised by its size button after the desktop's maximise" window_is 0 0 1024 768
wait_for "the field and the panel laid out for the maximised window" laid_out shell-desktop-maximise
wmctrl -i -r "$win" -b remove,maximized_vert,maximized_horz
wait_for "the desktop's restore to the normal size" window_sized 499 389
wait_for "the field and the panel laid out for the restored window" laid_out shell-desktop-restore
read -r x y width height <<<"$(geometry "$win")"
xdotool mousemove $((x + 432)) $((y + height - 71)) click 1
answer_yes shell-question-restored
ends_within 60 || fail "the program did not end after Esci and Sì"
pid=
echo "screenshots in $out"
