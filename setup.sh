#!/usr/bin/env bash
# Sets up a Debian 12 or 13 machine for Volarino and builds it: installs the Debian packages that are missing,
# configures and builds, then either starts the game or runs the whole test suite.
#
#   bash setup.sh          set up, build (Release) and start the game
#   bash setup.sh test     set up, build (warnings as errors, AddressSanitizer + UBSan) and run every test
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-play}

. scripts/debian-packages.sh
# Beside the build's packages, the tests need: Xvfb, xdotool, xwininfo and ImageMagick for the real-window
# checks, openbox for those that need a window manager, and wmctrl to ask it for a maximise; desktop-file-utils and
# appstream to validate the launcher and metainfo, lintian to check the Debian package and debootstrap to make a
# pristine root to install it in; dbus, at-spi2-core and pyatspi to read the windows through the desktop's
# accessibility bus (AT-SPI); PulseAudio, and PipeWire with its pulse server and WirePlumber, so the cues are heard
# through both kinds of audio server a desktop runs (pactl, in pulseaudio-utils, reads what the desktop's mixer
# would show).
packages=("${build_packages[@]}")
[ "$mode" = test ] && packages+=(xvfb xdotool x11-utils imagemagick openbox wmctrl desktop-file-utils appstream lintian
    debootstrap dbus at-spi2-core python3 python3-pyatspi gir1.2-atspi-2.0
    pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber)
install_missing "${packages[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
case "$mode" in
play)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOLARINO_TESTS=OFF
    cmake --build build/release -j "$jobs"
    exec build/release/src/volarino
    ;;
test)
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOLARINO_WERROR=ON -DVOLARINO_SANITIZE=ON
    cmake --build build/test -j "$jobs"
    # Leaks are looked for by their own check; here the sanitizers stop at the first real fault.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    cd build/test && ctest --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: bash setup.sh [test]" >&2
    exit 2
    ;;
esac
