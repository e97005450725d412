#!/usr/bin/env bash
# Run by scripts/test before the suite (not by CTest: it builds the program).
# The README's first command must reach the program it builds. It is run here both ways it
# can start the program: under a virtual X server (no display, as on a fresh server or in
# CI) and directly (a display, here the offscreen one). --version makes the program answer
# and stop, so nothing waits for a sign-in.
# It builds the test suite's own preset: a second, release build of every source would
# add minutes to each run and prove nothing the suite's build does not. That the release
# preset still configures is checked on its own.
set -euo pipefail
cd "$(dirname "$0")/../.."
export TALODESK_DEMO_PRESET=${TALODESK_DEMO_PRESET:-ci}
if ! out=$(cmake --preset release 2>&1); then
    printf '%s\n' "$out" >&2
    echo "demo launcher: the release preset does not configure" >&2
    exit 1
fi
demo_dir=$(mktemp -d)
trap 'rm -rf "$demo_dir"' EXIT
expected="talodesk $(sed -n 's/^project(Talodesk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

check() {
    local how=$1 out
    shift
    # The build's own output comes first; the program's answer is the last line.
    if ! out=$(env "$@" TALODESK_DEMO_DIR="$demo_dir" ./scripts/demo --version); then
        printf '%s\n' "$out" >&2
        echo "demo launcher ($how): ./scripts/demo --version failed" >&2
        exit 1
    fi
    local answer=${out##*$'\n'}
    if [ "$answer" != "$expected" ]; then
        printf '%s\n' "$out" >&2
        echo "demo launcher ($how): expected '$expected', the program printed '$answer'" >&2
        exit 1
    fi
    echo "demo launcher ($how): $answer"
}

check "no display, xvfb-run" -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
check "display" QT_QPA_PLATFORM=offscreen
