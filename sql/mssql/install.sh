#!/usr/bin/env bash
# Creates or updates the Talodesk databases on a SQL Server, in order: the check of
# what is there (00_check.sql: stops before any change when the databases are not as
# expected), databases, tables and seed rows, the schema migrations, procedures, the
# users' roles. Every script can run again; sqlcmd -b stops at the first error.
#
# usage: install.sh SQLCMD-OPTIONS...      e.g. install.sh -S dbhost -E
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
command -v sqlcmd >/dev/null || { echo "sqlcmd is not installed" >&2; exit 2; }
[ $# -gt 0 ] || { sed -n '2,8p' "$0" >&2; exit 2; }

for script in "$here"/0[0-5]_*.sql "$here"/migrations/*.sql "$here"/procedures/*.sql \
    "$here"/06_permissions.sql; do
    echo "== ${script#"$here"/}"
    sqlcmd "$@" -b -I -i "$script"
done
echo "Done. Create the administrator with create_administrator.sh."
