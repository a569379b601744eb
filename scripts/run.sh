#!/usr/bin/env bash
# Builds Keyvane for Windows (build/mingw) and starts it under Wine on
# $DISPLAY. With no display it starts a virtual one (Xvfb) and says so.
# The program keeps its files in build/mingw/data. Ctrl+C closes it the way
# Windows would (WM_CLOSE), so it saves its task list before it ends.
#
#   bash scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

ensure_packages
build_mingw keyvane kvdriver

export WINEDEBUG=${WINEDEBUG:--all}
# No prompts to install the .NET and HTML engines on a first start.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The caption the program gives its main window, from where the program keeps it.
main_caption=$(sed -n 's/.*kMainWindowCaption = u"\(.*\)";/\1/p' src/base/AppInfo.h)
wine_pid=""
driver_out=$(mktemp)
cleanup() {
    if [ -n "$wine_pid" ] && kill -0 "$wine_pid" 2>/dev/null; then
        timeout 30 wine build/mingw/kvdriver.exe "$(winepath -w "$driver_out" 2>/dev/null)" \
            close "$main_caption" >/dev/null 2>&1 || true
        for _ in $(seq 100); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$wine_pid" 2>/dev/null || true
    fi
    stop_xvfb || true
    rm -f "$driver_out"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
    # Its own session too: Ctrl+C reaches the whole foreground group, and
    # the display must outlive the program while it saves and closes.
    start_xvfb 1280x800x24 setsid || exit 1
    echo "No DISPLAY set: running on a virtual display $DISPLAY (Xvfb); nothing will be seen."
fi

echo "Starting Keyvane on $DISPLAY (data in build/mingw/data). Ctrl+C closes it."
# Its own session, so Ctrl+C reaches only this script, which then closes
# the program properly instead of killing it.
setsid wine build/mingw/keyvane.exe &
wine_pid=$!
wait "$wine_pid" || true
wine_pid=""
