# Shared by the build and test scripts: installs the Debian packages the
# project needs, and only those that are missing.

KEYVANE_PACKAGES=(
    cmake ninja-build g++ make python3
    googletest libbenchmark-dev
    clang libclang-rt-dev
    mingw-w64 wine wine64
    xvfb xdotool x11-utils imagemagick
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
