#!/usr/bin/env bash
# The data layer, the embedded store and the command-line SQL client show no windows, so
# none of them may link Qt's GUI libraries. Read off the link lines the build really uses
# (the linker would drop an unused library from ldd's view and hide a wrong dependency).
#
# Inside the windows' library the folders are layered too: each may include only folders
# of the layers below its own (top first below), so the folder graph has no cycle and a
# newcomer can tell from a folder's layer what it may use. The graph is printed.
set -euo pipefail
source_dir=$1
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

# The windows' library, top layer first. Folders of one layer do not include each other.
ui_layers=(
    "shell"                  # the frame: menus, start-up, opens every window
    "history"                # reads the counter's meals and the tagging's changes
    "counter reports"        # the windows that obey the site's settings
    "settings"               # the site's settings and the staff import
    "tagging masters access" # windows a higher window may open
    "lookup"                 # the lookup dialog shared by the windows above
    "context"                # what every window shares: context, registry, rights, server date
)
# The libraries below the windows' one may include none of its folders; app/ is above all.
lower_folders="data server widgets user"

declare -A layer_of
for i in "${!ui_layers[@]}"; do
    for folder in ${ui_layers[$i]}; do layer_of[$folder]=$i; done
done

src="$source_dir/src"
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [ -z "${layer_of[$folder]+x}" ] && ! grep -qw "$folder" <<<"$lower_folders app"; then
        echo "src/$folder/ is in no layer: add it to ui_layers here (and to docs/ARCHITECTURE.md)" >&2
        status=1
    fi
done

# The folders one folder's sources include (by the "folder/File.h" form), other than itself.
folders_included() {
    grep -ho '^#include "[A-Za-z_]*/' "$src/$1"/*.h "$src/$1"/*.cpp 2>/dev/null |
        sed 's/^#include "//; s#/$##' | sort -u | grep -vx "$1" || true
}

echo "folder graph of the windows' library (top layer first):"
for i in "${!ui_layers[@]}"; do
    for folder in ${ui_layers[$i]}; do
        [ -d "$src/$folder" ] || { echo "ui_layers names src/$folder/, which is gone" >&2; status=1; continue; }
        used=$(folders_included "$folder" | tr '\n' ' ')
        echo "  $folder -> ${used:-(nothing)}"
        for other in $used; do
            [ -n "${layer_of[$other]+x}" ] || continue # a lower library
            if [ "${layer_of[$other]}" -le "$i" ]; then
                echo "$folder includes $other, which is not in a layer below it:" >&2
                grep -n "^#include \"$other/" "$src/$folder"/*.h "$src/$folder"/*.cpp >&2 || true
                status=1
            fi
        done
    done
done
for folder in $lower_folders; do
    [ -d "$src/$folder" ] || continue
    for other in $(folders_included "$folder"); do
        if [ -n "${layer_of[$other]+x}" ]; then
            echo "src/$folder/ (below the windows' library) includes $other/" >&2
            status=1
        fi
    done
done
[ $status -eq 0 ] && echo "the folder graph has no cycle: every folder includes only layers below it"
exit $status
