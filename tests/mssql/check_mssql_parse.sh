#!/usr/bin/env bash
# label: kit
# Every script of the SQL Server kit (sql/mssql) parses as T-SQL with sqlfluff, without
# an unparsable section. The parse is the slowest check of the whole test run, so it
# runs on every core, and with BINARY_DIR it remembers each script that parsed (by its
# content and the sqlfluff version) in BINARY_DIR/mssql-parse-cache: a rerun parses only
# what changed. A clean build directory (as CI has) parses everything.
# usage: check_mssql_parse.sh SOURCE_DIR [BINARY_DIR]
set -euo pipefail
source_dir="$(cd "${1:?usage: check_mssql_parse.sh SOURCE_DIR [BINARY_DIR]}" && pwd)"
kit="$source_dir/sql/mssql"
command -v sqlfluff >/dev/null || { echo "FAIL: sqlfluff is not installed"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cache=""
if [ -n "${2:-}" ]; then
    cache="$2/mssql-parse-cache"
    mkdir -p "$cache"
fi
version="$(sqlfluff --version)"
# No script is skipped for its size.
printf '[sqlfluff]\ndialect = tsql\nlarge_file_skip_byte_limit = 0\n' >"$work/config"

key_of() { { echo "$version"; cat "$1"; } | sha256sum | cut -d' ' -f1; }

scripts=() todo=()
while IFS= read -r script; do
    scripts+=("$script")
    if [ -z "$cache" ] || [ ! -e "$cache/$(key_of "$script")" ]; then
        todo+=("$script")
    fi
done < <(find "$kit" -name '*.sql' | sort)

# sqlfluff (1.4 in Debian 12) does not know SQL Server's FOR JSON clause. The changes
# log's procedures use it in exactly one form; that form alone is blanked (with as many
# blanks, so lines and positions stay) in a copy that is parsed instead. Any other use of
# FOR JSON is left in place and fails the parse.
declare -A parsed_as
for script in "${todo[@]}"; do
    parsed_as["$script"]="$script"
    if grep -q "FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES" "$script"; then
        copy="$work/copies/${script#"$source_dir"/}"
        mkdir -p "$(dirname "$copy")"
        sed 's/FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES$/                                                        /' \
            "$script" >"$copy"
        parsed_as["$script"]="$copy"
    fi
done

if [ "${#todo[@]}" -gt 0 ]; then
    lint=()
    for script in "${todo[@]}"; do lint+=("${parsed_as[$script]}"); done
    # lint parses like parse does but spreads the files over processes; one cheap rule
    # is enough, only the parse violations (PRS) count.
    sqlfluff lint --config "$work/config" --processes "$(nproc)" --rules L001 --format json \
        --nofail "${lint[@]}" >"$work/lint.json" 2>"$work/lint.err" || {
        echo "FAIL: sqlfluff did not run"
        cat "$work/lint.err"
        exit 1
    }
    python3 - "$work/lint.json" >"$work/failed" <<'EOF'
import json, sys
for entry in json.load(open(sys.argv[1])):
    for v in entry["violations"]:
        if v["code"] == "PRS":
            print(entry["filepath"] + "\t" + v["description"])
EOF
    failed=0
    for script in "${todo[@]}"; do
        if grep -q -F "${parsed_as[$script]}"$'\t' "$work/failed"; then
            failed=1
            echo "FAIL: ${script#"$source_dir"/}"
            grep -F "${parsed_as[$script]}"$'\t' "$work/failed" | cut -f2 | sed 's/^/    /'
        elif [ -n "$cache" ]; then
            : >"$cache/$(key_of "$script")"
        fi
    done
    [ "$failed" = 0 ] || exit 1
fi
echo "${#scripts[@]} scripts parse (${#todo[@]} parsed now, the rest unchanged since they last parsed)"
