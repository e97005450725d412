#!/usr/bin/env bash
# Creates the administrator of a new Talodesk server. Asks for the staff ID, names and
# password, turns the password into argon2id hash text on this machine (the `argon2`
# command, Debian package "argon2"), and runs create_administrator.sql with sqlcmd.
# The password itself never leaves this script: sqlcmd receives only the hash.
#
# usage: create_administrator.sh SQLCMD-OPTIONS...
#   e.g. create_administrator.sh -S dbhost -E              (Windows/Kerberos sign-in)
#        create_administrator.sh -S dbhost -U sa            (sqlcmd asks for the password)
#   sqlcmd 18 encrypts by default: add -C when this machine does not trust the server's
#   certificate.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

for tool in argon2 sqlcmd; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
[ $# -gt 0 ] || { sed -n '2,12p' "$0" >&2; exit 2; }

read -r -p "Staff ID: " staff
read -r -p "Last name: " lastname
read -r -p "First name: " firstname
read -r -s -p "Password: " password; echo
read -r -s -p "Password again: " again; echo
[ -n "$staff" ] || { echo "A staff ID is required." >&2; exit 1; }
# The column holds 30 characters: a longer ID is refused, never cut short.
[ "$(printf '%s' "$staff" | LC_ALL=C.UTF-8 wc -m)" -le 30 ] ||
    { echo "A staff ID can be at most 30 characters long." >&2; exit 1; }
[ ${#password} -ge 8 ] || { echo "Use at least 8 characters." >&2; exit 1; }
[ "$password" = "$again" ] || { echo "The passwords differ." >&2; exit 1; }

# libsodium's crypto_pwhash_str_verify reads this standard encoding (one lane, p=1):
# 64 MiB and 2 passes, as crypto_pwhash_str with its interactive limits.
salt="$(head -c 16 /dev/urandom | base64 | tr -d '=+/' | head -c 16)"
hash="$(printf '%s' "$password" | argon2 "$salt" -id -t 2 -m 16 -p 1 -l 32 -e)"
unset password again

quoted() { printf '%s' "${1//\'/\'\'}"; }
# -f 65001: the script and the names in it are UTF-8 ("Peña"), whatever the code page.
sqlcmd "$@" -b -f 65001 -i "$here/create_administrator.sql" \
    -v StaffID="$(quoted "$staff")" Lastname="$(quoted "$lastname")" \
    Firstname="$(quoted "$firstname")" PasswordHash="$hash"
