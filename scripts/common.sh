# Shared by ./run.sh and ./test.sh: install what is missing, then configure and
# build incrementally into ./build.
set -euo pipefail

MIRELKA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MIRELKA_BUILD="$MIRELKA_ROOT/build"

# Debian 12 packages that building and running the program need.
MIRELKA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
    fonts-liberation2 fonts-dejavu-core qt6-translations-l10n
)

# What the tests add: a headless X server and a window manager, real input
# and screenshots, the X libraries the screen checks link, the package
# checks, clang for the fuzz targets, strace for the benchmark of the
# window's thread after the first page, and the accessibility bus with its
# Python client for reading the program as a screen reader does.
MIRELKA_TEST_PACKAGES=(
    xvfb xauth xdotool imagemagick x11-utils openbox wmctrl libx11-dev libxfixes-dev
    lintian desktop-file-utils appstream librsvg2-bin
    clang libclang-rt-14-dev strace
    dbus-daemon at-spi2-core python3 python3-pyatspi
)

# Installs the packages above that are missing, and those given.
mirelka_install_packages() {
    local missing=()
    for p in "${MIRELKA_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Extra arguments go to the configure step (-DBUILD_TESTING=ON|OFF).
mirelka_build() {
    cmake --preset default -S "$MIRELKA_ROOT" "$@" >/dev/null
    cmake --build "$MIRELKA_BUILD" --parallel "$(nproc)"
}

# The engine refuses to start its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
