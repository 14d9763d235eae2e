#!/usr/bin/env bash
# Rebuilds every picture and sound of the game with our own tools and writes them into resources/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build/tools}
cmake -S "$top/tools" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build"
"$build/paintlandscapes/paintlandscapes" "$top/resources/backgrounds"
"$build/drawsprites/drawsprites" "$top/resources"
"$build/synthcues/synthcues" "$top/resources/sounds"
