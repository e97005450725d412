#!/usr/bin/env bash
# Creates or updates the Talodesk databases on a SQL Server, in the order install_order.txt
# lists: the check of what is there (00_check.sql: stops before any change when the
# databases are not as expected), databases, tables and seed rows, the schema
# migrations, procedures, the users' roles and the signing of the procedures that
# write the personnel master and the password register. Every script can run again;
# sqlcmd -b stops at the first error.
#
# usage: install.sh [--hr-owns-staff] SQLCMD-OPTIONS...   e.g. install.sh -S dbhost -E
#        install.sh --list                 prints the scripts in the order they run
# --hr-owns-staff: for a site whose HR system owns the personnel master and the password
# register; the staff import and the user procedures are left unsigned and not granted
# (pass it on every install of such a site).
# sqlcmd 18 encrypts by default: add -C (trust the server's certificate) when this
# machine does not trust the server's certificate.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t scripts < <(grep -v -e '^#' -e '^[[:space:]]*$' "$here/install_order.txt")
if [ "${1:-}" = "--list" ]; then
    printf '%s\n' "${scripts[@]}"
    exit 0
fi
hr_owns_staff=0
if [ "${1:-}" = "--hr-owns-staff" ]; then
    hr_owns_staff=1
    shift
fi
command -v sqlcmd >/dev/null || { echo "sqlcmd is not installed" >&2; exit 2; }
[ $# -gt 0 ] || { sed -n '2,15p' "$0" >&2; exit 2; }

for script in "${scripts[@]}"; do
    echo "== $script"
    sqlcmd "$@" -b -I -f 65001 -v TaloHrOwnsStaff="$hr_owns_staff" -i "$here/$script"
done
echo "Done. Create the administrator with create_administrator.sh."
