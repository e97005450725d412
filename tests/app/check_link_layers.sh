#!/usr/bin/env bash
# The data layer, the embedded store and the command-line SQL client show no windows, so
# none of them may link Qt's GUI libraries. Read off the link lines the build really uses
# (the linker would drop an unused library from ldd's view and hide a wrong dependency).
set -euo pipefail
build_dir=$2
ninja_file="$build_dir/build.ninja"
[ -f "$ninja_file" ] || { echo "no build.ninja in $build_dir (the presets build with Ninja)" >&2; exit 1; }

link_line() { # the libraries of one linked target, one a line
    awk -v target="build $1" 'index($0, target) == 1 { found = 1 }
        found && /LINK_LIBRARIES/ { print; exit }' "$ninja_file" | tr ' ' '\n'
}

status=0
for target in src/talodesk-sql src/libtalodesk_data.a src/libtalodesk_server.a; do
    case $target in
    *.a) # a static library has no link line: its compile flags say which Qt modules it uses
        flags=$(awk -v target="build $(dirname "$target")/CMakeFiles/$(basename "$target" .a | sed 's/^lib//').dir/" \
            'index($0, target) == 1 { found = 1 } found && /DEFINES/ { print; exit }' "$ninja_file")
        [ -n "$flags" ] || { echo "$target: no compile line found" >&2; status=1; continue; }
        if grep -qE 'QT_(GUI|WIDGETS)_LIB' <<<"$flags"; then
            echo "$target is compiled against Qt Gui or Widgets" >&2
            status=1
        fi ;;
    *)
        libs=$(link_line "$target")
        [ -n "$libs" ] || { echo "$target: no link line found" >&2; status=1; continue; }
        if grep -E 'Qt6(Gui|Widgets)' <<<"$libs" >&2; then
            echo "$target links a Qt GUI library (above)" >&2
            status=1
        fi ;;
    esac
done
[ $status -eq 0 ] && echo "talodesk-sql, talodesk_data and talodesk_server use no Qt GUI library"
exit $status
