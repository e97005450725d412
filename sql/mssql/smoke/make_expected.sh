#!/usr/bin/env bash
# Writes what the embedded store answers to each smoke-test case (cases.txt) on the
# smoke-test rows (seed.sql): the expectations smoke_test.sh checks a SQL Server
# against. Run it after a change of the procedures, and commit expected.txt.
#
# usage: make_expected.sh TALODESK_SQL [OUTPUT]     (default OUTPUT: expected.txt here)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tool="${1:?usage: make_expected.sh TALODESK_SQL [OUTPUT]}"
output="${2:-$here/expected.txt}"
store="$(mktemp -d)"
trap 'rm -rf "$store"' EXIT
# shellcheck source=today.sh
source "$here/today.sh"

# The same rows, as SQLite reads them.
seed="$(sed -e "s/\bN'/'/g" -e 's/\.dbo\././g' "$here/seed.sql")"
LC_ALL=en_US.UTF-8 "$tool" --data "$store" --sqlite -e "$seed" >/dev/null

{
    echo "# What the embedded store answers to cases.txt; made by make_expected.sh."
    while IFS='|' read -r role name statement; do
        [[ -z "$role" || "$role" == \#* ]] && continue
        locale=en_US.UTF-8
        [[ "$name" == *-gb ]] && locale=en_GB.UTF-8
        echo "== $role|$name"
        statement="$(with_today <<<"$statement")"
        if [[ "$name" == \~* ]]; then
            LC_ALL="$locale" "$tool" --data "$store" -e "$statement" 2>&1 | head -n 1
        else
            LC_ALL="$locale" "$tool" --data "$store" -e "$statement" 2>&1 || true
        fi
    done <"$here/cases.txt"
} | as_placeholders >"$output"
