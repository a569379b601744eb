#!/usr/bin/env bash
# Installs whatever is missing, builds everything and runs every test:
# native unit tests (plain and under AddressSanitizer + UBSan), the same tests
# built for Windows and run under Wine, the fuzz targets briefly over their
# corpora and kept regressions, and the end-to-end suite under Wine and Xvfb.
#
#   bash scripts/test.sh            everything
#   KEYVANE_FUZZ_SECONDS=600 bash scripts/test.sh    fuzz longer
#
# Every Wine run has a time limit, so a hung Wine fails its stage instead of
# holding the machine: KEYVANE_WINE_UNIT_TIMEOUT (seconds, default 600) for the
# unit tests, KEYVANE_E2E_TIMEOUT (default 2400) for the whole end-to-end run,
# KEYVANE_RELEASE_TIMEOUT (default 900) for the release packages' cases.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

ensure_packages || { echo "package installation failed"; exit 1; }

jobs=$(nproc)
fuzz_seconds=${KEYVANE_FUZZ_SECONDS:-10}
wine_unit_timeout=${KEYVANE_WINE_UNIT_TIMEOUT:-600}
e2e_timeout=${KEYVANE_E2E_TIMEOUT:-2400}
release_timeout=${KEYVANE_RELEASE_TIMEOUT:-900}
unit_prefix="$PWD/build/wine-unit-prefix"
passed=0
failed=0
failed_stages=()

# Whatever way the script ends, the display and Wine's server go with it.
cleanup() {
    stop_xvfb
    [ ! -d "$unit_prefix" ] || WINEPREFIX="$unit_prefix" timeout 30 wineserver -k >/dev/null 2>&1
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Adds the counts of a GoogleTest log to the totals.
count_gtest() {
    local log=$1 ok bad
    ok=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)
    bad=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
}

stage() {
    local name=$1
    shift
    echo
    echo "=== $name"
    if "$@"; then
        echo "--- $name: ok"
    else
        echo "--- $name: FAILED"
        failed_stages+=("$name")
    fi
}

native_tests() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null &&
        cmake --build "$dir" -j "$jobs" || return 1
    "$dir/keyvane_tests" --gtest_brief=1 2>&1 | tee "$dir/unit.log"
    local rc=${PIPESTATUS[0]}
    count_gtest "$dir/unit.log"
    return "$rc"
}

# Whether an exit status is timeout's: the limit passed (124), or the
# command then ignored SIGTERM and was killed (137).
timed_out() {
    [ "$1" -eq 124 ] || [ "$1" -eq 137 ]
}

# Runs the Windows unit tests under Wine, within the time limit.
run_wine_unit_tests() {
    # Wine's children may keep our stdout open: the log goes to a file.
    timeout --kill-after=30 "$wine_unit_timeout" \
        wine build/mingw/keyvane_tests.exe --gtest_brief=1 >build/mingw/unit.log 2>&1
    local rc=$?
    if timed_out "$rc"; then
        echo "the tests under Wine did not end within ${wine_unit_timeout}s" >>build/mingw/unit.log
    fi
    return "$rc"
}

wine_tests() {
    build_mingw || return 1
    local WINEPREFIX="$unit_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="${DISPLAY:-}"
    export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
    # Some tests make real windows, so they get a display of their own.
    start_xvfb 1024x768x24 || return 1
    if [ ! -d "$WINEPREFIX" ]; then
        timeout 300 wineboot -i >/dev/null 2>&1
        if [ $? -eq 124 ]; then
            echo "creating the Wine prefix took more than 300s"
            stop_xvfb
            return 1
        fi
    fi
    run_wine_unit_tests
    local rc=$?
    # Wine now and then ends a new process before its first instruction; the
    # tests never ran then (no summary line), so start them once more.
    if [ "$rc" -ne 0 ] && ! timed_out "$rc" && ! grep -q '^\[==========\]' build/mingw/unit.log; then
        echo "the tests did not start under Wine (exit $rc); starting them again"
        run_wine_unit_tests
        rc=$?
    fi
    cat build/mingw/unit.log
    count_gtest build/mingw/unit.log
    timeout 30 wineserver -k >/dev/null 2>&1
    stop_xvfb
    return "$rc"
}

# No DLL planted beside keyvane.exe can be loaded into it: its import table
# names only DLLs Windows always takes from its system folder (comctl32
# aside, which the manifest takes from the side-by-side store), and every
# load of another DLL passes the system-folder flag. The list is exactly what
# the start needs: anything else is loaded on first use, so a new import
# fails here.
dll_imports() {
    build_mingw keyvane || return 1
    local known=" advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
    local name bad=0
    for name in $(x86_64-w64-mingw32-objdump -p build/mingw/keyvane.exe |
        sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
        if [[ $known == *" $name "* ]]; then
            passed=$((passed + 1))
        else
            echo "keyvane.exe imports $name, which Windows may load from the program's folder"
            failed=$((failed + 1)); bad=1
        fi
    done
    local loads
    loads=$(grep -rn 'LoadLibrary' src | grep -v 'LOAD_LIBRARY_SEARCH_SYSTEM32' | grep -v '^src/[^:]*\.h:')
    if [ -n "$loads" ]; then
        echo "DLL loads without the system-folder flag:"; echo "$loads"
        failed=$((failed + 1)); bad=1
    else
        passed=$((passed + 1))
    fi
    [ "$bad" -eq 0 ]
}

# Every C++ file as the committed .clang-format writes it; the files that
# differ are named.
formatting() {
    local files bad
    files=$(git ls-files '*.cpp' '*.h') || return 1
    bad=$(for f in $files; do
        clang-format --style=file "$f" | cmp -s - "$f" || echo "$f"
    done)
    if [ -n "$bad" ]; then
        echo "not formatted as .clang-format says (clang-format -i FILE):"; echo "$bad"
        failed=$((failed + 1))
        return 1
    fi
    passed=$((passed + 1))
}

benchmarks_build() {
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEYVANE_TESTS=OFF \
        -DKEYVANE_BENCH=ON >/dev/null && cmake --build build/release -j "$jobs"
}

fuzz() {
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKEYVANE_TESTS=OFF -DKEYVANE_FUZZ=ON >/dev/null && cmake --build build/fuzz -j "$jobs" || return 1
    local rc=0 target name work
    for target in build/fuzz/*_fuzz; do
        [ -f "$target" ] && [ -x "$target" ] || continue
        name=$(basename "$target")
        # Kept crashing inputs first: each must now pass.
        if [ -d "tests/fuzz/regressions/$name" ] && [ -n "$(ls -A "tests/fuzz/regressions/$name")" ]; then
            if "$target" tests/fuzz/regressions/"$name"/* >"build/fuzz/$name-regressions.log" 2>&1; then
                passed=$((passed + 1))
            else
                failed=$((failed + 1)); rc=1; tail -n 30 "build/fuzz/$name-regressions.log"
            fi
        fi
        # New findings go to a scratch corpus, never into the source tree.
        work=build/fuzz/corpus-$name
        mkdir -p "$work"
        if "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$work" \
            "tests/fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1; then
            echo "$name: $(grep -oE 'stat::number_of_executed_units: *[0-9]+|Done [0-9]+ runs' "build/fuzz/$name.log" | tail -n1) in ${fuzz_seconds}s, no finding"
            passed=$((passed + 1))
        else
            failed=$((failed + 1)); rc=1; tail -n 40 "build/fuzz/$name.log"
        fi
    done
    return "$rc"
}

e2e() {
    # Incremental, so it costs nothing after the Wine stage; an exe left from
    # an earlier build must never be what the suite tests.
    build_mingw || return 1
    # The runner ends every Wine process it started when it is told to stop.
    timeout --kill-after=60 "$e2e_timeout" python3 tests/e2e/run.py --build-dir build/mingw 2>&1 |
        tee build/mingw/e2e.log
    local rc=${PIPESTATUS[0]}
    timed_out "$rc" && echo "the end-to-end run did not end within ${e2e_timeout}s"
    local line
    line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' build/mingw/e2e.log | tail -n1)
    if [ -n "$line" ]; then
        passed=$((passed + $(echo "$line" | awk '{print $2}')))
        failed=$((failed + $(echo "$line" | awk '{print $4}')))
    fi
    return "$rc"
}

# Adds the counts of a closing "e2e: N passed, M failed" line to the totals.
count_e2e() {
    local line
    line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$1" | tail -n1)
    if [ -n "$line" ]; then
        passed=$((passed + $(echo "$line" | awk '{print $2}')))
        failed=$((failed + $(echo "$line" | awk '{print $4}')))
    fi
}

release_packages() {
    # The driver and the target programs come from the MinGW tree.
    build_mingw || return 1
    bash scripts/release.sh || return 1
    # A second build from scratch in other folders must give the same zip bytes.
    rm -rf build/release-win-again build/release-out-again
    KEYVANE_RELEASE_BUILD=build/release-win-again KEYVANE_RELEASE_OUT=build/release-out-again \
        bash scripts/release.sh >build/release-again.log 2>&1 || { tail -n 20 build/release-again.log; return 1; }
    local zip
    zip=$(cd build/release-out && ls keyvane-*-win64.zip)
    if cmp -s "build/release-out/$zip" "build/release-out-again/$zip"; then
        echo "PASS two release builds give the same zip bytes"
        passed=$((passed + 1))
    else
        echo "FAIL two release builds give different zips: $(cmp "build/release-out/$zip" "build/release-out-again/$zip")"
        failed=$((failed + 1))
    fi
    timeout --kill-after=60 "$release_timeout" python3 tests/e2e/release_cases.py --build-dir build/mingw \
        --packages build/release-out 2>&1 | tee build/mingw/release-e2e.log
    local rc=${PIPESTATUS[0]}
    timed_out "$rc" && echo "the release cases did not end within ${release_timeout}s"
    count_e2e build/mingw/release-e2e.log
    [ "$rc" -eq 0 ] && cmp -s "build/release-out/$zip" "build/release-out-again/$zip"
}

stage "formatting" formatting
stage "native unit tests" native_tests build/native -DCMAKE_BUILD_TYPE=Debug
stage "native unit tests, ASan+UBSan" native_tests build/sanitize -DCMAKE_BUILD_TYPE=Debug -DKEYVANE_SANITIZE=ON
stage "benchmarks build" benchmarks_build
stage "Windows unit tests under Wine" wine_tests
stage "DLLs come from the system folder" dll_imports
stage "fuzzing (${fuzz_seconds}s a target)" fuzz
stage "end-to-end under Wine" e2e
stage "release packages under Wine" release_packages

echo
if [ ${#failed_stages[@]} -gt 0 ]; then
    echo "Failed stages: ${failed_stages[*]}"
    [ "$failed" -gt 0 ] || failed=${#failed_stages[@]}
fi
echo "all: $passed passed, $failed failed"
[ ${#failed_stages[@]} -eq 0 ] && [ "$failed" -eq 0 ]
