#!/usr/bin/env bash
# Writes what the embedded store answers to each smoke-test case (cases.txt, then the
# race of race.txt on its limited mode) on the smoke-test rows (seed.sql): the
# expectations smoke_test.sh checks a SQL Server against. Run it after a change of the
# procedures, and commit expected.txt.
#
# usage: make_expected.sh TALODESK_SQL [OUTPUT]     (default OUTPUT: expected.txt here)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tool="${1:?usage: make_expected.sh TALODESK_SQL [OUTPUT]}"
output="${2:-$here/expected.txt}"
store="$(mktemp -d)"
trap 'rm -rf "$store" "$store.before"' EXIT
# shellcheck source=today.sh
source "$here/today.sh"

# The same rows, as SQLite reads them.
as_sqlite() { sed -e "s/\bN'/'/g" -e 's/\.dbo\././g' "$1"; }
LC_ALL=en_US.UTF-8 "$tool" --data "$store" --sqlite -e "$(as_sqlite "$here/seed.sql")" >/dev/null

answer() { # ROLE NAME STATEMENT (with today's date)
    local locale=en_US.UTF-8
    [[ "$2" == *-gb ]] && locale=en_GB.UTF-8
    if [[ "$2" == \~* ]]; then
        LC_ALL="$locale" "$tool" --data "$store" -e "$3" 2>&1 | head -n 1
    else
        LC_ALL="$locale" "$tool" --data "$store" -e "$3" 2>&1 || true
    fi
}
cases() { # FILE: each case's answer under "== ROLE|NAME"
    while IFS='|' read -r role name statement; do
        [[ -z "$role" || "$role" == \#* ]] && continue
        echo "== $role|$name"
        statement="$(with_today <<<"$statement")"
        if [[ "$name" == "rolled back"* ]]; then
            # Its statements one after another on a copy of the store, thrown away after.
            cp -a "$store" "$store.before"
            while IFS= read -r one; do
                answer "$role" "$name" "$one"
            done < <(sed 's/ ;; /\n/g' <<<"$statement")
            rm -rf "$store" && mv "$store.before" "$store"
        else
            answer "$role" "$name" "$statement"
        fi
    done <"$1"
}

{
    echo "# What the embedded store answers to cases.txt; made by make_expected.sh."
    cases "$here/cases.txt"
    # The race's two saves, one after the other, as the store serialises them.
    LC_ALL=en_US.UTF-8 "$tool" --data "$store" --sqlite -e "$(as_sqlite "$here/race_limit.sql")" \
        >/dev/null
    cases "$here/race.txt"
} | as_placeholders >"$output"
