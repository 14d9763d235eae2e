#!/usr/bin/env bash
# Starts the game in a real window with its own session bus and accessibility bus, and reads it with AT-SPI.
# With --bus, runs another check under the same X server and buses instead, one that starts the game itself.
# Usage: accessibility.sh VOLARINO_EXECUTABLE | accessibility.sh --bus COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VOLARINO_A11Y_BUS:-}" ]; then
    VOLARINO_A11Y_BUS=1 VOLARINO_IN_XVFB=1 exec "$here/with-xvfb.sh" dbus-run-session -- bash "$0" "$@"
fi
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher=$candidate && break
done
[ -n "$launcher" ] || { echo "FAIL: no at-spi-bus-launcher"; exit 1; }
"$launcher" --launch-immediately &
bus=$!
trap 'kill $bus 2>/dev/null || true' EXIT
# The game asks the session bus for the accessibility bus once, at start: the bus must answer by then.
end=$((SECONDS + 120))
until dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || { echo "FAIL: waited 120 s for the accessibility bus to answer"; exit 1; }
    sleep 0.2
done
unset QT_QPA_PLATFORM
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
if [ "$1" = --bus ]; then
    shift
    "$@"
    exit
fi
exe=$1
# The game's own output is kept, and shown if the check fails: a game that died tells why.
log=$(mktemp)
"$exe" >"$log" 2>&1 &
game=$!
trap 'kill $game $bus 2>/dev/null || true; rm -f "$log"' EXIT
/usr/bin/python3 "$here/a11y_check.py" || {
    status=$?
    kill -0 $game 2>/dev/null || { wait $game; echo "the game ended with status $?"; } || true
    echo "--- the game's output"
    cat "$log"
    exit $status
}
