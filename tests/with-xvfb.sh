#!/usr/bin/env bash
# Runs a command under an Xvfb of its own, then stops it. The server picks a free display itself (-displayfd), so
# checks started side by side never share or fight over one, as "xvfb-run -a" can. The screen is 1024x768 unless
# VOLARINO_SCREEN gives another size (WIDTHxHEIGHT), such as a full-HD 1920x1080.
# Usage: [VOLARINO_SCREEN=WxH] with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
fd_file=$(mktemp /tmp/volarino-xvfb.XXXXXX)
# -noreset: by default the server starts over whenever its last client leaves, and a client that connects
# meanwhile (a window manager started just after the game was stopped, say) is turned away.
Xvfb -displayfd 3 -screen 0 "${VOLARINO_SCREEN:-1024x768}x24" -nolisten tcp -noreset 3>"$fd_file" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -f "$fd_file"; [ -z "${own_runtime:-}" ] || rm -rf "$own_runtime"' EXIT
trap 'exit 143' TERM INT
# The server writes its display number once it accepts connections; a busy machine may take its time.
for _ in $(seq 1200); do
    [ -s "$fd_file" ] && break
    kill -0 $server 2>/dev/null || { echo "FAIL: Xvfb did not start"; exit 1; }
    sleep 0.1
done
[ -s "$fd_file" ] || { echo "FAIL: waited 120 s for Xvfb to give its display"; exit 1; }
export DISPLAY=:$(head -n 1 "$fd_file")
# A desktop session has a runtime folder of its own; without one Qt says so on the game's output.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    own_runtime=$(mktemp -d /tmp/volarino-runtime.XXXXXX)
    export XDG_RUNTIME_DIR=$own_runtime
fi
status=0
"$@" || status=$?
exit $status
