# Shared by the build and test scripts: installs the Debian packages the
# project needs, and only those that are missing.

KEYVANE_PACKAGES=(
    cmake ninja-build g++ make python3
    googletest libbenchmark-dev
    clang libclang-rt-dev clang-format
    mingw-w64 wine wine64
    xvfb xdotool x11-utils imagemagick
    nsis
)

ensure_packages() {
    local missing=()
    local p
    for p in "${KEYVANE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures (once) and builds the Windows program, its tests and the
# end-to-end programs into build/mingw; with arguments, only those targets.
build_mingw() {
    cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" >/dev/null
    cmake --build build/mingw -j "$(nproc)" ${1:+--target "$@"}
}

# Starts a virtual display (Xvfb) on a free display number: exports DISPLAY
# and sets XVFB_PID. With "setsid" as second argument it runs in a session of
# its own, so Ctrl+C in the terminal does not end it. Fails, leaving nothing
# running, unless the display answers within ten seconds.
start_xvfb() {
    local size=${1:-1024x768x24} displayfile number=""
    displayfile=$(mktemp) || return 1
    # -displayfd: Xvfb picks a free display and writes its number when ready.
    if [ "${2:-}" = setsid ]; then
        setsid Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    else
        Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    fi
    XVFB_PID=$!
    for _ in $(seq 100); do
        number=$(head -n1 "$displayfile")
        [ -n "$number" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$displayfile"
    if [ -z "$number" ] || ! timeout 10 xdpyinfo -display ":$number" >/dev/null 2>&1; then
        echo "the virtual display (Xvfb) did not come up"
        stop_xvfb
        return 1
    fi
    export DISPLAY=":$number"
}

# Ends the display start_xvfb started, if any.
stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}
