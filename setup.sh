#!/usr/bin/env bash
# Sets up a Debian 12 machine for Volarino and builds it: installs the Debian packages that are missing,
# configures and builds, then either starts the game or runs the whole test suite.
#
#   bash setup.sh          set up, build (Release) and start the game
#   bash setup.sh test     set up, build (warnings as errors, AddressSanitizer + UBSan) and run every test
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-play}

# What the build, the game and the tests need. The fonts stand in for Arial, Comic Sans MS and MS Sans Serif;
# Xvfb, xdotool, xwininfo and ImageMagick run the real-window checks; the package check validates the launcher
# and metainfo; the accessibility check reads the windows through the desktop's accessibility bus (AT-SPI).
packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins qt6-translations-l10n
    libgl-dev libpulse0 fontconfig fonts-liberation2 fonts-comic-neue fonts-dejavu-core
)
test_packages=(xvfb xauth xdotool x11-utils imagemagick desktop-file-utils appstream
    dbus at-spi2-core python3 python3-pyatspi gir1.2-atspi-2.0)
[ "$mode" = test ] && packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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
