#!/usr/bin/env bash
# The data layer, the embedded store and the command-line SQL client show no windows: the
# client must not even load Qt's GUI libraries. Read off the linked program, not the sources.
set -euo pipefail
build_dir=$2
program=$(find "$build_dir/src" -maxdepth 1 -name talodesk-sql -type f | head -n 1)
if [ -z "$program" ]; then
    echo "talodesk-sql was not found under $build_dir/src" >&2
    exit 1
fi
libs=$(ldd "$program")
if grep -E 'libQt6(Gui|Widgets)' <<<"$libs"; then
    echo "talodesk-sql links a Qt GUI library (above); data and server must stay without widgets" >&2
    exit 1
fi
grep -q 'libQt6Core' <<<"$libs" || { echo "talodesk-sql: expected libQt6Core in its link" >&2; exit 1; }
echo "talodesk-sql links no Qt GUI library"
