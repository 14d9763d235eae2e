#!/usr/bin/env bash
# The game as a desktop installs it: `cmake --install` lays out the game, its launcher, icons, metainfo and manual
# page, and they validate; CPack builds the Debian package, which Debian's lintian must pass with no error and no
# warning. As root, the package is then installed with apt into a pristine root of this machine's Debian release,
# which brings in every dependency the package declares and nothing else, and the game is started there from its
# launcher under Xvfb: its window must show and its sound module load.
# Usage: packaging.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
work=$2
fail() { echo "FAIL: $*"; exit 1; }
# A run that was killed may have left the pristine root's mounts behind: never remove through them.
if [ -d "$work" ]; then
    for m in $(awk -v w="$(cd "$work" && pwd)/" 'index($2, w) == 1 {print $2}' /proc/self/mounts | sort -r); do
        umount -l "$m" || fail "cannot unmount $m left by an earlier run"
    done
fi
rm -rf --one-file-system "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

# A release build of its own: the package holds what players run, not the sanitizer build of the tests.
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVOLARINO_TESTS=OFF >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure"; }
cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; fail "build"; }

DESTDIR="$work/root" cmake --install "$work/build" >/dev/null
app=it.volarino.Volarino
for f in usr/games/volarino usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/icons/hicolor/32x32/apps/$app.png usr/share/icons/hicolor/256x256/apps/$app.png \
    usr/share/icons/hicolor/scalable/apps/$app.svg usr/share/man/man6/volarino.6.gz \
    usr/share/doc/volarino/copyright usr/share/doc/volarino/changelog.Debian.gz; do
    [ -e "$work/root/$f" ] || fail "cmake --install did not install $f"
done
# The sound module, where the game looks for it from its own folder, holds the only link to the audio libraries:
# the game itself must not bring them in before its first window.
module=$(cd "$work/root" && find usr/lib -path '*/volarino/volarino-audio.so')
[ -n "$module" ] || fail "cmake --install did not install the sound module"
audio_libs='NEEDED.*\[(libpulse|libQt6Multimedia)'
readelf -d "$work/root/$module" | grep -Eq "$audio_libs" || fail "the sound module links no audio library"
! readelf -d "$work/root/usr/games/volarino" | grep -Eq "$audio_libs" || fail "the game links an audio library"
desktop-file-validate "$work/root/usr/share/applications/$app.desktop" || fail "launcher does not validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app.metainfo.xml" || fail "metainfo does not validate"
grep -q '^Categories=Game;ArcadeGame;$' "$work/root/usr/share/applications/$app.desktop" || fail "categories"
# The launcher's command, run as a desktop session runs it, must be the program the install put there: with the
# PATH Debian gives every user's session (/etc/profile), and with the install's own prefix, whatever was configured.
session_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
launches_installed() { # launches_installed DESKTOP_FILE ROOT INSTALLED_PROGRAM
    local command
    command=$(sed -n 's/^Exec=//p' "$1")
    case $command in
    /*) command=$2$command ;;
    *) command=$(PATH=$(sed "s|\([^:]*\)|$2\1|g" <<<"$session_path") command -v "$command") ;;
    esac
    [ "$command" -ef "$3" ] || { echo "Exec=$(sed -n 's/^Exec=//p' "$1") runs ${command:-nothing}, not $3"; return 1; }
}
launches_installed "$work/root/usr/share/applications/$app.desktop" "$work/root" "$work/root/usr/games/volarino" ||
    fail "the launcher does not start the installed game"
# A player without root installs into ~/.local, a prefix the build was not configured for.
user_prefix=$work/home/.local
cmake --install "$work/build" --prefix "$user_prefix" >/dev/null
desktop-file-validate "$user_prefix/share/applications/$app.desktop" || fail "the user's launcher does not validate"
launches_installed "$user_prefix/share/applications/$app.desktop" "" "$user_prefix/games/volarino" ||
    fail "the launcher installed with --prefix does not start the game installed there"
[ -e "$user_prefix/share/icons/hicolor/256x256/apps/$app.png" ] && [ -e "$user_prefix/share/metainfo/$app.metainfo.xml" ] ||
    fail "icons or metainfo missing under --prefix"
[ "$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/32x32/apps/$app.png")" = 32x32 ] || fail "icon size"

(cd "$work/build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/volarino_*.deb)
echo "package: $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The libraries come from what the binaries link, the rest is declared by hand.
for d in libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n fonts-liberation2 fonts-comic-neue; do
    grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done
listing=$(dpkg-deb -c "$deb")
grep -q ' ./usr/games/volarino$' <<<"$listing" || fail "no game in the package"
grep -q " ./$module\$" <<<"$listing" || fail "no sound module in the package"

# Debian's own checker: informational and pedantic notes are shown, an error or a warning fails.
status=0
report=$(lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ $status -eq 0 ] || fail "lintian found errors or warnings (above)"
echo "lintian: no error, no warning"

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package is built and checked but not installed"
    exit 0
fi

# A pristine root of this machine's release (minbase), made once and kept as a tarball under /var/tmp.
. /etc/os-release
suite=${VERSION_CODENAME:?}
cache=/var/tmp/volarino-pristine-$suite.tar
if [ ! -s "$cache" ]; then
    command -v debootstrap >/dev/null || fail "debootstrap is needed to make a pristine $suite root"
    mirror=$( (grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}'
        grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | awk '{print $2}') | grep -m1 '/debian/*$' || true)
    mirror=${mirror:-http://deb.debian.org/debian}
    fresh=$(mktemp -d /var/tmp/volarino-debootstrap.XXXXXX)
    echo "making a pristine $suite root from $mirror (once; kept in $cache)"
    debootstrap --variant=minbase "$suite" "$fresh" "$mirror" >"$work/debootstrap.log" 2>&1 || {
        tail -n 20 "$work/debootstrap.log"
        rm -rf --one-file-system "$fresh"
        fail "debootstrap could not make a $suite root"
    }
    tar -C "$fresh" -cf "$cache.part" . && mv "$cache.part" "$cache"
    rm -rf --one-file-system "$fresh"
fi
root=$work/pristine
mkdir -p "$root"
cleanup() {
    [ -n "${game:-}" ] && kill "$game" 2>/dev/null || true
    for m in tmp/.X11-unix dev proc; do umount -l "$root/$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$cache"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
# Unmounting the root's copy must not reach the machine's own /dev/pts and /dev/shm.
mount --make-rslave "$root/dev"
mkdir -p "$root/tmp/.X11-unix"
# No service of the packages pulled in may start inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}
# Recommends left out: what the game needs must be in the package's own Depends.
in_root sh -c "apt-get update -qq && apt install -y -q --no-install-recommends ./tmp/$(basename "$deb")" \
    >"$work/apt.log" 2>&1 || { tail -n 30 "$work/apt.log"; fail "apt could not install the package"; }
[ -x "$root/usr/games/volarino" ] || fail "installed game missing"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$app.desktop")
[ -n "$exec_line" ] || fail "the installed launcher has no Exec line"
echo "installed in a pristine $suite root; starting the launcher's command: $exec_line"

export root exec_line work session_path
"$src/tests/with-xvfb.sh" bash -c '
    set -u
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    trap "umount -l \"$root/tmp/.X11-unix\" 2>/dev/null || true" EXIT
    mkdir -p -m 700 "$root/run/user/0"
    # The root execs into the game, so its process is the one started here.
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/user/0 \
        PATH="$session_path" \
        /bin/sh -c "exec $exec_line" >"$work/installed-game.log" 2>&1 &
    pid=$!
    # Waits for the window on the screen and the module in the process, each for its own event, with room
    # for a busy machine.
    win=
    for _ in $(seq 240); do
        kill -0 $pid 2>/dev/null || break
        win=$(xdotool search --onlyvisible --name "^Volarino$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
        sleep 0.5
    done
    loaded=
    for _ in $(seq 240); do
        [ -n "$win" ] || break
        grep -q "/volarino/volarino-audio.so$" /proc/$pid/maps 2>/dev/null && loaded=yes && break
        sleep 0.5
    done
    alive=yes
    kill -0 $pid 2>/dev/null || alive=
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    status=0
    [ -n "$alive" ] || { echo "the installed game ended by itself"; status=1; }
    [ -n "$win" ] || { echo "no window called Volarino within 120 s"; status=1; }
    [ -n "$win" ] && [ -z "$loaded" ] && { echo "the sound module was not loaded within 120 s of the window"; status=1; }
    if [ $status -ne 0 ] || [ -s "$work/installed-game.log" ]; then
        echo "--- the installed game'"'"'s output"
        cat "$work/installed-game.log"
    fi
    exit $status' || fail "the installed game did not start whole"
echo "the installed game started from its launcher: window shown, sound module loaded"
