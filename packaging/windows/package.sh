#!/usr/bin/env bash
# Gathers the Windows programs and exactly the DLLs and Qt plugins they load into one
# folder, then makes the installer (NSIS) and a zip of the same files from it.
#   package.sh --version V --out DIR --programs EXE... --dll-dirs DIR... --plugin-dir DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
version="" out="" plugin_dir=""
programs=() dll_dirs=()
list=""
while [ $# -gt 0 ]; do
    case $1 in
    --version) version=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --plugin-dir) plugin_dir=$2; shift 2 ;;
    --programs | --dll-dirs) list=$1; shift ;;
    *)
        case $list in
        --programs) programs+=("$1") ;;
        --dll-dirs) dll_dirs+=("$1") ;;
        *) echo "package.sh: unexpected $1" >&2; exit 2 ;;
        esac
        shift ;;
    esac
done

# The plugins the programs need: the Windows platform, the native style, the ODBC driver.
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll sqldrivers/qsqlodbc.dll)

stage=$out/Talodesk
rm -rf "$stage"
mkdir -p "$stage"
for p in "${programs[@]}"; do cp "$p" "$stage/"; done
for p in "${plugins[@]}"; do
    mkdir -p "$stage/$(dirname "$p")"
    cp "$plugin_dir/$p" "$stage/$p"
done
# Plugins are found beside the program, wherever it is installed.
printf '[Paths]\nPrefix=.\nPlugins=.\n' >"$stage/qt.conf"

# Every DLL the programs and plugins import that is not Windows' own, and what those
# import in turn.
declare -A seen=()
queue=("${programs[@]/#*\//$stage/}")
for p in "${plugins[@]}"; do queue+=("$stage/$p"); done
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r dll; do
        key=${dll,,}
        [ -n "${seen[$key]:-}" ] && continue
        seen[$key]=1
        for dir in "${dll_dirs[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/"
                queue+=("$stage/$dll")
                break
            fi
        done
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll

# The uninstaller removes exactly what the installer put there.
(
    cd "$stage"
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
) >"$out/uninstall-files.nsh"

installer=$out/Talodesk-Setup-$version.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DUNINSTALL_LIST="$out/uninstall-files.nsh" \
    -DOUTFILE="$installer" "$here/talodesk.nsi"
zipfile=$out/Talodesk-$version-windows-x64.zip
rm -f "$zipfile"
(cd "$out" && zip -qr9 "$zipfile" Talodesk)
echo "installer: $installer ($(du -h "$installer" | cut -f1))"
echo "zip:       $zipfile ($(du -h "$zipfile" | cut -f1))"
