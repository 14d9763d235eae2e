# Sourced by setup.sh and bench/run.sh: the Debian packages the build and the game need, and the one way
# to install those that are missing.

# The compiler, Qt, the libraries the game calls itself (libpulse for the sound module among them), the fonts that
# stand in for Arial, Comic Sans MS and MS Sans Serif, and dpkg-dev, whose dpkg-shlibdeps gives the Debian package
# the libraries it depends on.
build_packages=(
    g++ cmake ninja-build pkg-config dpkg-dev
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
    libgl-dev libjpeg62-turbo-dev zlib1g-dev libfontconfig-dev libpulse-dev fontconfig fonts-liberation2 fonts-comic-neue fonts-dejavu-core
)

# Installs the given packages that are not installed yet; asks for nothing when all are there.
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
