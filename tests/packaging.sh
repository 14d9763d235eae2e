#!/usr/bin/env bash
# The game as a desktop installs it: `cmake --install` lays out the launcher, icons and metainfo, both validate;
# CPack builds the Debian package with its dependencies declared; as root the package is installed for real,
# the installed game is started under Xvfb and its window found, and the package removed again.
# Usage: packaging.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

# A release build of its own: the package holds what players run, not the sanitizer build of the tests.
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVOLARINO_TESTS=OFF >"$work/configure.log"
cmake --build "$work/build" >"$work/build.log"

DESTDIR="$work/root" cmake --install "$work/build" >/dev/null
app=it.volarino.Volarino
for f in usr/bin/volarino usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/icons/hicolor/32x32/apps/$app.png usr/share/icons/hicolor/256x256/apps/$app.png \
    usr/share/icons/hicolor/scalable/apps/$app.svg; do
    [ -e "$work/root/$f" ] || fail "cmake --install did not install $f"
done
# The sound module, where the game looks for it from its own folder, holds the only link to QtMultimedia: the
# game itself must not bring the audio libraries in before its first window.
module=$(cd "$work/root" && find usr/lib -path '*/volarino/volarino-audio.so')
[ -n "$module" ] || fail "cmake --install did not install the sound module"
readelf -d "$work/root/$module" | grep -q 'NEEDED.*libQt6Multimedia' || fail "the sound module does not link QtMultimedia"
! readelf -d "$work/root/usr/bin/volarino" | grep -q 'NEEDED.*libQt6Multimedia' || fail "the game links QtMultimedia"
desktop-file-validate "$work/root/usr/share/applications/$app.desktop" || fail "launcher does not validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app.metainfo.xml" || fail "metainfo does not validate"
grep -q '^Categories=Game;ArcadeGame;$' "$work/root/usr/share/applications/$app.desktop" || fail "categories"
[ "$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/32x32/apps/$app.png")" = 32x32 ] || fail "icon size"

(cd "$work/build" && cpack -G DEB -B "$work/package" >"$work/cpack.log") || fail "cpack"
deb=$(ls "$work"/package/volarino_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins qt6-translations-l10n fonts-comic-neue; do
    grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done
listing=$(dpkg-deb -c "$deb")
grep -q './usr/bin/volarino$' <<<"$listing" || fail "no executable in the package"
grep -q "./$module\$" <<<"$listing" || fail "no sound module in the package"
echo "package: $deb"

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package is built and checked but not installed"
    exit 0
fi
if dpkg-query -W -f='${Status}' volarino 2>/dev/null | grep -q 'install ok installed'; then
    fail "a volarino package is already installed here; refusing to replace it"
fi
dpkg -i "$deb" >/dev/null || fail "dpkg could not install the package"
trap 'dpkg -r volarino >/dev/null 2>&1 || true' EXIT
[ -x /usr/bin/volarino ] || fail "installed executable missing"
[ -e /usr/share/applications/$app.desktop ] || fail "the launcher is not in the application list"
"$src/tests/with-xvfb.sh" bash -c '
    unset QT_QPA_PLATFORM
    /usr/bin/volarino >/dev/null 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "^Volarino$" | head -n 1)
    # Once the window is up, the sound thread loads the installed sound module.
    loaded=
    for _ in $(seq 100); do
        grep -q "/volarino/volarino-audio.so$" /proc/$pid/maps && loaded=yes && break
        sleep 0.1
    done
    kill $pid
    [ -n "$win" ] || { echo "no window"; exit 1; }
    [ -n "$loaded" ] || { echo "the sound module was not loaded"; exit 1; }' || fail "the installed game did not start whole"
echo "installed, started, found the window of the installed game and its sound module loaded"
