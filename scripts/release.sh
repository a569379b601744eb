#!/usr/bin/env bash
# Builds Keyvane's Windows release: a stripped, statically linked Release
# keyvane.exe, then into one folder
#   keyvane-<version>-win64.zip    keyvane.exe, README.txt, LICENSE.txt
#   keyvane-<version>-setup.exe    the per-user installer (NSIS)
#   SHA256SUMS
# The version is the CMake project's. The zip is the same bytes every time
# one commit is built: fixed member order, times and attributes.
#
#   bash scripts/release.sh
#   KEYVANE_RELEASE_BUILD=build/x KEYVANE_RELEASE_OUT=build/y bash scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

ensure_packages || { echo "package installation failed"; exit 1; }

build=${KEYVANE_RELEASE_BUILD:-build/release-win}
out=${KEYVANE_RELEASE_OUT:-build/release-out}
root=$PWD

# Build paths must not reach the program, so two build folders give one exe.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEYVANE_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root/=" -DCMAKE_C_FLAGS="-ffile-prefix-map=$root/=" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,--no-insert-timestamp" >/dev/null
cmake --build "$build" -j "$(nproc)" --target keyvane

version=$(sed -n 's/^#define KEYVANE_VERSION_FULL "\(.*\)"$/\1/p' "$build/generated/Version.h")
[ -n "$version" ] || { echo "no version in $build/generated/Version.h"; exit 1; }
# The caption by which setup finds a running Keyvane, from the program's own texts.
caption=$(sed -n 's/^inline constexpr std::u16string_view kMainWindowCaption = u"\(.*\)";$/\1/p' \
    src/base/AppInfo.h)
[ -n "$caption" ] || { echo "no kMainWindowCaption in src/base/AppInfo.h"; exit 1; }
class=$(sed -n 's/^inline constexpr std::u16string_view kMainWindowClass = u"\(.*\)";$/\1/p' \
    src/base/AppInfo.h)
[ -n "$class" ] || { echo "no kMainWindowClass in src/base/AppInfo.h"; exit 1; }

# The time stamped into the program and the zip's file times: the commit's,
# so they say when the release was made and stay the same for every build of
# it (strip would write the current time into the program's header).
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)

stage="$build/stage"
rm -rf "$stage" "$out"
mkdir -p "$stage" "$out"
SOURCE_DATE_EPOCH=$stamp x86_64-w64-mingw32-strip -o "$stage/keyvane.exe" "$build/keyvane.exe"
# Windows text files: CR LF, so every editor shows the lines.
sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/README.txt >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"

zip="keyvane-$version-win64.zip"
setup="keyvane-$version-setup.exe"

python3 - "$stage" "$out/$zip" "$stamp" <<'EOF'
import os, sys, time, zipfile
stage, target, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.gmtime(max(stamp, 315532800))[:6]  # a zip holds no time before 1980
with zipfile.ZipFile(target, "w") as z:
    for name in sorted(os.listdir(stage)):
        info = zipfile.ZipInfo(name, date_time=when)
        info.create_system = 0  # made "on Windows": the attribute byte below is a DOS one
        info.external_attr = 0x20  # archive
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
EOF

makensis -V2 -NOCD -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DSTAGE=$stage" "-DICON=src/windows/keyvane.ico" \
    "-DMAIN_CAPTION=$caption" "-DMAIN_CLASS=$class" "-DOUTFILE=$out/$setup" packaging/keyvane.nsi

(cd "$out" && sha256sum "$zip" "$setup" >SHA256SUMS)
ls -l "$out" | awk 'NR > 1 {print $5, $9}'
