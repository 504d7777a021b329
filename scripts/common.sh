# Shared by scripts/run and scripts/test: installs missing Debian packages and
# builds Korvel in build/. Source it; do not run it.

KORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVEL_BUILD="$KORVEL_ROOT/build"

korvel_install_packages() {
    local wanted=() missing=() pkg
    while read -r pkg; do
        pkg="${pkg%%#*}"; pkg="${pkg//[[:space:]]/}"
        [ -n "$pkg" ] && wanted+=("$pkg")
    done < "$KORVEL_ROOT/scripts/debian-packages.txt"

    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo="sudo"
        else
            echo "Korvel needs these Debian packages: ${missing[*]}; please install them as root." >&2
            return 1
        fi
    fi
    echo "Installing missing packages: ${missing[*]}"
    $sudo apt-get update -q || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

korvel_build() {
    local jobs
    jobs="$(nproc 2>/dev/null || echo 2)"
    if [ ! -f "$KORVEL_BUILD/build.ninja" ]; then
        cmake -S "$KORVEL_ROOT" -B "$KORVEL_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
    fi
    cmake --build "$KORVEL_BUILD" -j "$jobs"
}
