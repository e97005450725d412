#!/usr/bin/env bash
# Creates or updates the Talodesk databases on a SQL Server, in order: databases,
# tables and seed rows, procedures, the users' role. Every script can run again.
#
# usage: install.sh SQLCMD-OPTIONS...      e.g. install.sh -S dbhost -E
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
command -v sqlcmd >/dev/null || { echo "sqlcmd is not installed" >&2; exit 2; }
[ $# -gt 0 ] || { sed -n '2,5p' "$0" >&2; exit 2; }

for script in "$here"/0[1-5]_*.sql "$here"/procedures/*.sql "$here"/06_permissions.sql; do
    echo "== ${script#"$here"/}"
    sqlcmd "$@" -b -I -i "$script"
done
echo "Done. Create the administrator with create_administrator.sh."
