# Sourced by the real-window checks: the Xvfb they run under and the few questions they ask the X server.

# Re-runs the calling script under an Xvfb of its own (1024x768), unless it already runs under it.
# Usage, at the top of a script: in_xvfb "$0" "$@"
in_xvfb() {
    if [ -z "${VOLARINO_IN_XVFB:-}" ]; then
        VOLARINO_IN_XVFB=1 exec "$(dirname "${BASH_SOURCE[0]}")/with-xvfb.sh" bash "$@"
    fi
    # The game chooses X itself; a platform left from the headless tests must not override it.
    unset QT_QPA_PLATFORM
}

fail() {
    echo "FAIL: $*"
    exit 1
}

# The colour of one pixel of a screenshot, as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR==2 {print $3}'; }

# Left, top, width and height of a window, as the X server has it.
geometry() {
    local info
    info=$(xwininfo -id "$1")
    echo "$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")" \
        "$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")" \
        "$(awk '/Width:/ {print $2}' <<<"$info")" \
        "$(awk '/Height:/ {print $2}' <<<"$info")"
}

# How long any wait for the game's windows and pictures lasts: a sanitized build on a busy two-core machine is slow.
patience=120

# Runs "$@" every fifth of a second until it succeeds; fails the check, naming what it waited for ($1), after
# $patience seconds.
wait_for() {
    local what=$1 end=$((SECONDS + patience))
    shift
    until "$@"; do
        [ $SECONDS -lt $end ] || fail "waited $patience s for $what"
        sleep 0.2
    done
}

# The first visible window whose title matches $1, waiting up to $patience seconds for it.
find_window() {
    timeout $patience xdotool search --sync --onlyvisible --name "$1" | head -n 1 && return 0
    echo "waited $patience s for a window called $1" >&2
    return 1
}

# The pixels of colour $2 (#RRGGBB) in the playing field's message, on the screenshot $1; the game's window at
# $x, $y.
message_pixels() {
    convert "$1" -crop "90x25+$((x + 24 + 224))+$((y + 40 + 32))" txt:- | grep -c "$2" || true
}

# True once the screen shows $1 (#RRGGBB) in the field's message; keeps the last look in $out/$2.png.
message_shows() {
    import -window root "$out/$2.png" && [ "$(message_pixels "$out/$2.png" "$1")" -gt 0 ]
}

# Starts the game under test ($exe) with its output added to the file $1, waits for its window and checks its
# size: sets $pid, $win and the window's $x, $y, $width and $height. The game is stopped when the script ends.
start_game() {
    "$exe" >>"$1" 2>&1 &
    pid=$!
    trap '[ -n "${pid:-}" ] && { kill $pid; kill -CONT $pid; } 2>/dev/null || true' EXIT
    win=$(find_window '^Volarino$') || fail "no window called Volarino"
    read -r x y width height <<<"$(geometry "$win")"
    [ "$width" = 499 ] && [ "$height" = 389 ] || fail "game window is ${width}x${height}, expected 499x389"
    # The game sets its icon once the window is painted: until then a click may find nothing drawn.
    wait_for "the game's icon, set after its first paint" has_icon "$win"
}

# The title the desktop shows for the window $1 (_NET_WM_NAME), exactly.
title_of() { xprop -id "$1" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'; }

has_icon() { xprop -id "$1" -len 4 -notype _NET_WM_ICON 2>/dev/null | grep -q '='; }
