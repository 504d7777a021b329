# Shared by scripts/run and scripts/test: installs missing Debian packages and
# builds Korvel in build/. Source it; do not run it.

KORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVEL_BUILD="$KORVEL_ROOT/build"
KORVEL_SANITIZE_BUILD="$KORVEL_ROOT/build-sanitize"

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

# The library, the tests, the program and the fuzz target once more with
# clang, AddressSanitizer and UBSan, in build-sanitize/. -O1 keeps it fast
# enough for CI; -fno-sanitize-recover makes any UBSan report fatal.
korvel_build_sanitize() {
    local jobs flags
    jobs="$(nproc 2>/dev/null || echo 2)"
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    if [ ! -f "$KORVEL_SANITIZE_BUILD/build.ninja" ]; then
        cmake -S "$KORVEL_ROOT" -B "$KORVEL_SANITIZE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
            -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
            -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
            -DKORVEL_BUILD_FUZZ=ON -DKORVEL_TEST_TIME_SCALE=3 || return 1
    fi
    cmake --build "$KORVEL_SANITIZE_BUILD" -j "$jobs"
}

# Any sanitizer report ends the process with an error, which fails its test.
# Qt's own allocations that live until exit are not leaks worth reporting.
korvel_sanitizer_environment() {
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:strict_init_order=1:detect_stack_use_after_return=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
}
