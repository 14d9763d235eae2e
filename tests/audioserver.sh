#!/usr/bin/env bash
# audioserver.sh KIND COMMAND...: runs COMMAND beside an audio server of its own, KIND "pulseaudio" or "pipewire"
# (PipeWire with WirePlumber and its pulse server, as current desktops run it), whose default output is a null
# sink named volarino_test: what reaches the speakers can be recorded from volarino_test.monitor. A second null
# sink, volarino_floor, is there for a test's own client. As on a desktop, a sink nobody plays to is suspended
# after 5 s (PulseAudio's module-suspend-on-idle, WirePlumber's own). The server lives in a private runtime folder
# with a private session bus, and is stopped at the end whatever COMMAND did.
# COMMAND finds in AUDIO_SERVER_RESTART a command that kills the server (as a crash would) and starts it again, and
# in AUDIO_SERVER_SIGNAL one that sends the server the signal named after it (STOP, CONT).
#
# Used by itself too: audioserver.sh --restart KIND DIR, audioserver.sh --signal DIR SIGNAL.
set -u
here=$(cd "$(dirname "$0")" && pwd)

# Waits for a condition, up to a limit a busy machine meets; says what it waited for when it gives up.
wait_for() { # wait_for SECONDS WHAT COMMAND...
    local limit=$1 what=$2
    shift 2
    for _ in $(seq $((limit * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "audioserver: gave up after ${limit} s waiting for $what" >&2
    return 1
}

environment() { # environment DIR: the variables every client of this server needs
    export XDG_RUNTIME_DIR=$1/run HOME=$1/home XDG_CONFIG_HOME=$1/home/.config
    export PULSE_SERVER=unix:$1/run/pulse/native PULSE_CLIENTCONFIG=$1/client.conf
    [ -f "$1/bus" ] && DBUS_SESSION_BUS_ADDRESS=$(cat "$1/bus") && export DBUS_SESSION_BUS_ADDRESS
    return 0
}

remember() { echo "$1 $2" >> "$dir/pids"; }

start_pulse_server() { # the one process that clients talk to; also what --restart kills
    case $kind in
    pulseaudio)
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false --log-target=file:"$dir/pulseaudio.log" \
            -L "module-null-sink sink_name=volarino_test" -L "module-null-sink sink_name=volarino_floor" \
            -L "module-native-protocol-unix auth-anonymous=1" -L "module-suspend-on-idle timeout=5" >/dev/null 2>&1 &
        remember server $!
        disown $!
        wait_for 60 "PulseAudio to answer" pactl info || return 1
        ;;
    pipewire)
        pipewire-pulse >>"$dir/pipewire-pulse.log" 2>&1 &
        remember server $!
        disown $!
        wait_for 60 "PipeWire's pulse server to answer" pactl info || return 1
        pactl load-module module-null-sink sink_name=volarino_test >/dev/null || return 1
        pactl load-module module-null-sink sink_name=volarino_floor >/dev/null || return 1
        ;;
    esac
    wait_for 60 "the null sinks' monitors" sh -c 'pactl list short sources | grep -q volarino_floor.monitor' || return 1
    pactl set-default-sink volarino_test
}

start() {
    rm -rf "$dir"
    mkdir -p "$dir/run" "$dir/home/.config"
    chmod 700 "$dir/run"
    printf 'autospawn = no\n' > "$dir/client.conf"
    environment "$dir"
    if [ "$kind" = pipewire ]; then
        dbus-daemon --session --fork --address="unix:path=$dir/run/bus" --print-address=3 --print-pid=4 \
            3>"$dir/bus" 4>"$dir/bus.pid" || return 1
        remember bus "$(cat "$dir/bus.pid")"
        environment "$dir"
        pipewire >"$dir/pipewire.log" 2>&1 &
        remember pipewire $!
        disown $!
        wait_for 60 "PipeWire's socket" test -S "$XDG_RUNTIME_DIR/pipewire-0" || return 1
        wireplumber >"$dir/wireplumber.log" 2>&1 &
        remember wireplumber $!
        disown $!
    fi
    start_pulse_server
}

stop() {
    [ -f "$dir/pids" ] || return 0
    tac "$dir/pids" | while read -r _ pid; do kill "$pid" 2>/dev/null; done
    tac "$dir/pids" | while read -r _ pid; do
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
    done
    rm -f "$dir/pids"
}

server_pid() { awk '$1 == "server" { p = $2 } END { print p }' "$dir/pids"; }

restart() {
    environment "$dir"
    local pid
    pid=$(server_pid)
    kill -9 "$pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    start_pulse_server
}

if [ "${1:-}" = --restart ]; then
    kind=$2 dir=$3
    restart
    exit
fi
if [ "${1:-}" = --signal ]; then
    dir=$2
    kill -s "$3" "$(server_pid)"
    exit
fi

kind=${1:?usage: audioserver.sh pulseaudio|pipewire COMMAND...}
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/volarino-audio-$kind.XXXXXX")
trap 'stop; rm -rf "$dir"' EXIT
if ! start; then
    echo "audioserver: $kind did not start; its logs:" >&2
    tail -n 20 "$dir"/*.log >&2
    exit 1
fi
export AUDIO_SERVER_RESTART="bash $here/audioserver.sh --restart $kind $dir"
export AUDIO_SERVER_SIGNAL="bash $here/audioserver.sh --signal $dir"
echo "audioserver: $(pactl info | grep 'Server Name')"
"$@"
