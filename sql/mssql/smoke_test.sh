#!/usr/bin/env bash
# Smoke test of an installed Talodesk server, for the DBA (no data of the hospital is
# read or changed: it works on rows coded ZZ… that it adds and removes again, by their
# keys; every other write it sends runs inside a transaction it rolls back).
#
#  0. It refuses to start when the counter or administration login may do more than its
#     roles allow (smoke/privileges.sql: sysadmin, db_owner, db_datawriter, a table
#     write): the refusal cases below would then change rows instead of being refused.
#  1. As a member of talodesk_counter and talodesk_revoke, and as a member of
#     talodesk_admin, it sends
#     every statement the program sends (smoke/cases.txt) and compares rows and refusal
#     texts with what the embedded store answers (smoke/expected.txt, made from the
#     store by smoke/make_expected.sh). Dates go under us_english with DATEFORMAT mdy
#     and under British with dmy, as the program sets them from the workstation. A
#     settings save that succeeds runs inside a transaction it rolls back; the
#     hospital's app settings must be as they were at the end.
#     Then two counter sessions race for the last meal of a mode limited to one a day
#     (smoke/race.txt, on a meal mode ZZ Smoke that smoke/race_limit.sql adds for the
#     race only): the second must wait for the first one's open transaction and be
#     refused.
#  2. As the counter login it tries what only administrators may do and expects the
#     server to refuse it (error 229): give itself every right, change a meal, write a
#     table, read the audit log.
#     As a user of each role in turn (made without a login, removed again) it calls
#     every procedure that role may not run (smoke/role_refusals.txt) and a table write,
#     and expects 229 each time. A German session with the mdy order reads back the
#     employee list's date as the same day.
#     While an administrator's staff import holds its locks, a counter that waits for no
#     lock longer than 2 seconds loads the employee list: it must not get error 1222.
#  3. It saves a two-line order in one transaction, the second line refused: the
#     refusal must leave the transaction open and usable (no error 266), and after the
#     rollback nothing of the order is stored.
#     And a two-line order of a mode limited to one a day with autocommit off (SET
#     IMPLICIT_TRANSACTIONS ON, as ODBC drivers do it): the second line is refused with
#     the embedded store's words, both lines counted as the order's.
#  4. Two administrators take right 5 from two ZZ managers at once: the second must
#     wait for the first one's guard (smoke/race_managers.sql adds the two for it).
#
# usage: smoke_test.sh COUNTER-SQLCMD-OPTIONS...
#   with TALO_SMOKE_DBA="SQLCMD-OPTIONS" (a login that may write the tables, for the
#   test rows) and TALO_SMOKE_ADMIN="SQLCMD-OPTIONS" (a member of talodesk_admin), e.g.
#   TALO_SMOKE_DBA="-S dbhost -E" TALO_SMOKE_ADMIN="-S dbhost -U talo_admin_test" \
#       sql/mssql/smoke_test.sh -S dbhost -U talo_counter_test
# sqlcmd reads a SQL login's password from SQLCMDPASSWORD (or asks for it); with
# Microsoft's ODBC Driver 18 add -C (trust the server certificate) to each option set
# when the server's certificate is not trusted by this machine.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=smoke/today.sh
source "$here/smoke/today.sh"
command -v sqlcmd >/dev/null || { echo "sqlcmd is not installed" >&2; exit 2; }
[ $# -gt 0 ] && [ -n "${TALO_SMOKE_DBA:-}" ] && [ -n "${TALO_SMOKE_ADMIN:-}" ] ||
    { sed -n '2,46p' "$0" >&2; exit 2; }
counter=("$@")
read -r -a dba <<<"$TALO_SMOKE_DBA"
read -r -a admin <<<"$TALO_SMOKE_ADMIN"
work="$(mktemp -d)"
failures=0

# The statement alone in its batch, as the program sends it (a call without EXEC must
# come first in its batch), after the session settings; UTF-8 both ways; tab-separated.
run() { # OPTIONS-ARRAY-NAME SESSION-SETTINGS STATEMENT... (each its own batch)
    local -n options="$1"
    local settings="$2"
    shift 2
    { printf 'SET NOCOUNT ON; %s\nGO\n' "$settings" && printf '%s\nGO\n' "$@"; } >"$work/batch.sql"
    run_file options "$work/batch.sql"
}
sqlcmd_as() { # OPTIONS-ARRAY-NAME SQLCMD-ARGUMENTS...
    local -n login_options="$1"
    shift
    sqlcmd "${login_options[@]}" -f 65001 -I "$@" 2>&1 || true
}
run_file() { # OPTIONS-ARRAY-NAME SCRIPT
    local -n file_options="$1"
    sqlcmd "${file_options[@]}" -f 65001 -I -W -w 65535 -s $'\t' -i "$2" 2>&1 || true
}
# sqlcmd's output in the store's form: field names, rows, "error N: text"; NULL as "".
normalize() {
    awk -F'\t' -v OFS='\t' '
        /^Msg [0-9]+, Level/ { split($0, p, /[ ,]+/); number = p[2]; getline; print "error " number ": " $0; next }
        /^-+(\t-+)*$/ { next }
        /^Changed (language setting|database context)/ { next }
        /^$/ { next }
        { for (i = 1; i <= NF; i++) if ($i == "NULL") $i = ""; print }'
}
# Transaction numbers depend on the server's earlier rows: compared as "n".
numbers_as_n() {
    awk -F'\t' -v OFS='\t' '
        /^== / { column = 0; print; next }
        { for (i = 1; i <= NF; i++) if ($i == "TRANSNUM") column = i }
        column && $column ~ /^[0-9]+$/ { $column = "n" }
        { print }'
}
cleanup() { sqlcmd "${dba[@]}" -f 65001 -b -I -i "$here/smoke/cleanup.sql" >/dev/null; }

# A counter or administration login with more rights than its roles give (sysadmin,
# db_owner, db_datawriter, a table write) would carry out the writes the refusal cases
# expect to be refused: the test stops before it sends any.
echo "== the logins' rights"
for login in counter admin; do
    privileged="$(sqlcmd_as "$login" -h -1 -W -i "$here/smoke/privileges.sql" | grep '^privileged: ' || true)"
    if [ -n "$privileged" ]; then
        echo "REFUSED: the $login login may do more than its roles allow; nothing was sent:" >&2
        sed 's/^/    /' <<<"$privileged" >&2
        exit 3
    fi
    echo "the $login login holds its roles' rights only"
done

echo "== test rows"
cleanup
sqlcmd "${dba[@]}" -f 65001 -b -I -i "$here/smoke/seed.sql" >/dev/null
trap 'cleanup; rm -rf "$work"' EXIT

# Two counters save the last meal a day of a mode at once (smoke/race.txt): the first
# saves in a transaction it keeps open for 8 seconds; the second saves while it is
# open (once the first holds the limit's lock, or after 5 seconds) and must wait for
# it, then count its meal and be refused. Without the lock the second would count none
# (read-committed snapshot shows it no uncommitted meal) and both meals would be stored.
# T-SQL that waits (5 seconds at most) until another session holds an application lock.
until_locked() { # RESOURCE
    printf '%s\n' "USE Station;" "DECLARE @tries INT = 0;" "WHILE @tries < 50" \
        "    AND APPLOCK_TEST(N'public', N'$1', N'Exclusive', N'Session') = 1" "BEGIN" \
        "    WAITFOR DELAY '00:00:00.100';" "    SET @tries += 1;" "END;"
}
race() {
    sqlcmd "${dba[@]}" -f 65001 -b -I -i "$here/smoke/race_limit.sql" >/dev/null
    local sessions=() role name statement
    while IFS='|' read -r role name statement; do
        [[ -z "$role" || "$role" == \#* ]] && continue
        sessions+=("$role|$name|$(with_today <<<"$statement")")
    done <"$here/smoke/race.txt"
    local role1 name1 first role2 name2 second
    IFS='|' read -r role1 name1 first <<<"${sessions[0]}"
    IFS='|' read -r role2 name2 second <<<"${sessions[1]}"
    local settings="SET NOCOUNT ON; SET LANGUAGE us_english; SET DATEFORMAT mdy;"
    printf '%s\nGO\nBEGIN TRANSACTION;\nGO\n%s\nGO\nWAITFOR DELAY %s;\nCOMMIT TRANSACTION;\nGO\n' \
        "$settings" "$first" "'00:00:08'" >"$work/race1.sql"
    cat >"$work/race2.sql" <<SQL
$settings
GO
$(until_locked talo_meal_limit:ZZ001)
GO
$second
GO
SQL
    run_file "$role1" "$work/race1.sql" >"$work/race1.out" &
    local holder=$!
    run_file "$role2" "$work/race2.sql" >"$work/race2.out"
    wait "$holder" || true
    echo "== $role1|$name1"
    normalize <"$work/race1.out"
    echo "== $role2|$name2"
    normalize <"$work/race2.out"
    sqlcmd "${dba[@]}" -f 65001 -b -I \
        -Q "DELETE FROM Station.dbo.tbTALOMealModeSetting WHERE MealMode = N'ZZ Smoke';" >/dev/null
}

# What the hospital's app settings are before the cases; the end compares.
settings_before="$(run admin "" "Station..Load_TALO_AppSettings" | normalize)"

echo "== the program's statements"
{
    echo "# What the embedded store answers to cases.txt; made by make_expected.sh."
    while IFS='|' read -r role name statement; do
        [[ -z "$role" || "$role" == \#* ]] && continue
        prelude="SET LANGUAGE us_english; SET DATEFORMAT mdy;"
        [[ "$name" == *-gb ]] && prelude="SET LANGUAGE British; SET DATEFORMAT dmy;"
        echo "== $role|$name"
        statement="$(with_today <<<"$statement")"
        if [[ "$name" == "rolled back"* ]]; then
            mapfile -t statements < <(sed 's/ ;; /\n/g' <<<"$statement")
            run "$role" "$prelude" "BEGIN TRANSACTION;" "${statements[@]}" \
                "ROLLBACK TRANSACTION;" | normalize
        elif [[ "$name" == \~* ]]; then
            run "$role" "$prelude" "$statement" | normalize | head -n 1
        else
            run "$role" "$prelude" "$statement" | normalize
        fi
    done <"$here/smoke/cases.txt"
    race
} | as_placeholders >"$work/actual.txt"
if diff -u <(numbers_as_n <"$here/smoke/expected.txt") <(numbers_as_n <"$work/actual.txt"); then
    echo "every statement answers as the embedded store does"
else
    echo "FAIL: the answers above differ from the embedded store's (- store, + server)"
    failures=$((failures + 1))
fi

snapshot="$(sqlcmd "${dba[@]}" -h -1 -W -Q "SET NOCOUNT ON; SELECT is_read_committed_snapshot_on FROM sys.databases WHERE name = N'Station';" 2>&1 || true)"
off="$(sqlcmd "${dba[@]}" -h -1 -W -Q "SET NOCOUNT ON; SELECT name FROM sys.databases WHERE name IN (N'Station', N'Payroll', N'Password', N'Patient_Data') AND is_read_committed_snapshot_on = 0;" 2>&1 || true)"
if [ -n "$(tr -d '[:space:]' <<<"$off")" ]; then
    echo "note: read-committed snapshot is off for: $(tr -s '[:space:]' ' ' <<<"$off")"
fi
if [ "$(tr -d '[:space:]' <<<"$snapshot")" != "1" ]; then
    echo "note: Station runs without read-committed snapshot: the race shows the second counter"
    echo "      refused, but a row lock could have made it wait as well as the limit's lock"
fi

echo "== a counter's employee list during a staff import"
# The import keeps its locks on the personnel master until its last row is in: the first
# session imports ZZ001 again in a transaction it keeps open for 8 seconds, then rolls
# back; meanwhile a counter, waiting for no lock longer than 2 seconds, loads the
# employee list. With read-committed snapshot on Payroll it reads the committed row at
# once; without it, it waits and gets error 1222.
with_today >"$work/import.sql" <<'SQL'
SET NOCOUNT ON;
BEGIN TRANSACTION;
GO
Station..Save_TALO_StaffImport '[["ZZ001","Zzpeña","José","Ñ","ZZDEP","Smoke Ward","1"]]', 'ZZADMIN'
GO
WAITFOR DELAY '00:00:08';
IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
GO
SQL
with_today >"$work/list.sql" <<'SQL'
SET NOCOUNT ON;
SET DATEFORMAT mdy;
SET LOCK_TIMEOUT 2000;
WAITFOR DELAY '00:00:02';
GO
Station..Load_Employee_for_Meal '{mdy} 11:30:15 AM', 'ZZ001'
GO
SQL
run_file admin "$work/import.sql" >"$work/import.out" &
importer=$!
list="$(run_file counter "$work/list.sql" | normalize)"
wait "$importer" || true
if grep -q '^error 1222' <<<"$list"; then
    echo "FAIL: the counter's employee list waited for the staff import (error 1222):" \
        "turn read-committed snapshot on for Payroll"
    failures=$((failures + 1))
elif grep -q '^error ' <<<"$list"; then
    echo "FAIL: the counter's employee list during a staff import: $(grep -m 1 '^error ' <<<"$list")"
    failures=$((failures + 1))
else
    echo "the counter read the employee list while the import held its locks"
fi

echo "== the hospital's app settings"
settings_after="$(run admin "" "Station..Load_TALO_AppSettings" | normalize)"
if [ "$settings_before" = "$settings_after" ]; then
    echo "as they were before the smoke test (its settings save was rolled back)"
else
    echo "FAIL: the app settings changed during the smoke test (- before, + after)"
    diff -u <(echo "$settings_before") <(echo "$settings_after") || true
    failures=$((failures + 1))
fi

echo "== what the counter role may not do"
forbidden=(
    "EXEC Station.dbo.Save_TALO_User_Rights 'ZZ002', '|1|2|3|4|5|6|7|8', 'ZZADMIN'"
    "EXEC Station.dbo.Save_TALO_MealOnly 'ZZM1', 'Free', '0', 'ZZL', '1', 'ZZADMIN'"
    "EXEC Station.dbo.Save_TALO_EmployeeMeal 'ZZ002', 'ZZL', 'ZZADMIN'"
    "UPDATE Station.dbo.tbTALOUserRights SET UserRights = '|1|2|3|4|5|6|7|8' WHERE UserID = N'ZZ002'"
    "INSERT INTO Station.dbo.tbTALOEmployeeDistributedMeals (EmpNum) VALUES ('ZZ001')"
    "SELECT TOP (1) * FROM Station.dbo.tbTALOAuditLog"
    "EXEC Station.dbo.Save_TALO_AppSettings '[]', '1', '0', '0', '1', '', 'ZZADMIN'"
)
# Each inside a transaction it rolls back, and on ZZ keys only: were the login to hold
# the right after all, nothing of the hospital's is changed.
for statement in "${forbidden[@]}"; do
    answer="$(run counter "" "BEGIN TRANSACTION;" "$statement" "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;" |
        normalize)"
    if [[ "$answer" == "error 229: "* || "$answer" == "error 230: "* ]]; then
        echo "refused: $statement"
    else
        echo "FAIL: not refused: $statement"
        echo "$answer" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
done

echo "== each role refused what its right does not allow"
# A user without login per role (ZZ_SMOKE_<ROLE>, only in Station, removed again), each
# procedure its role may not run called as that user: the server must refuse (229)
# before it reads any argument. And no role writes a table.
refusals="$work/refusals.sql"
{
    echo "SET NOCOUNT ON;"
    grep -v '^#' "$here/smoke/role_refusals.txt" | cut -d'|' -f1 | sort -u | while read -r role; do
        user="ZZ_SMOKE_${role#talodesk_}"
        echo "IF DATABASE_PRINCIPAL_ID(N'$user') IS NULL EXEC sp_executesql N'CREATE USER $user WITHOUT LOGIN; ALTER ROLE $role ADD MEMBER $user;';"
    done
    echo "GO"
    while IFS='|' read -r role procedure; do
        [[ -z "$role" || "$role" == \#* ]] && continue
        user="ZZ_SMOKE_${role#talodesk_}"
        printf "EXECUTE AS USER = N'%s';\nBEGIN TRY EXEC dbo.%s; PRINT N'FAIL: %s ran %s'; END TRY\n" \
            "$user" "$procedure" "$role" "$procedure"
        printf "BEGIN CATCH IF ERROR_NUMBER() <> 229 PRINT CONCAT(N'FAIL: %s calling %s: error ', ERROR_NUMBER()); END CATCH;\nREVERT;\nGO\n" \
            "$role" "$procedure"
    done <"$here/smoke/role_refusals.txt"
    for role in $(grep -v '^#' "$here/smoke/role_refusals.txt" | cut -d'|' -f1 | sort -u); do
        user="ZZ_SMOKE_${role#talodesk_}"
        printf "EXECUTE AS USER = N'%s';\nBEGIN TRY DELETE FROM dbo.tbTALOUserRights WHERE UserID = N'ZZ-NONE'; PRINT N'FAIL: %s wrote a table'; END TRY\n" \
            "$user" "$role"
        printf "BEGIN CATCH IF ERROR_NUMBER() <> 229 PRINT CONCAT(N'FAIL: %s writing a table: error ', ERROR_NUMBER()); END CATCH;\nREVERT;\nGO\n" \
            "$role"
    done
} >"$refusals"
answer="$(sqlcmd "${dba[@]}" -d Station -f 65001 -I -i "$refusals" 2>&1 || true)"
if grep -q "FAIL" <<<"$answer"; then
    grep "FAIL" <<<"$answer"
    failures=$((failures + 1))
else
    echo "every role refused the $(grep -vc '^#' "$here/smoke/role_refusals.txt") procedures of other rights, and every table write"
fi

echo "== a session whose language and date order differ"
# A German session with the workstation's mdy order: the employee list's DATE, which
# the counter sends back for the meals received, must read the same day.
mixed="$(run counter "SET LANGUAGE Deutsch; SET DATEFORMAT mdy;" \
    "Station..Load_Employee_for_Meal '12/13/2026 11:30:15 AM', 'ZZ001'" | normalize | sed -n 2p | cut -f3)"
back="$(run counter "SET LANGUAGE Deutsch; SET DATEFORMAT mdy;" \
    "Station..Load_TALO_EmployeeDistributedMeals 'ZZ001', '$mixed'" | normalize | head -n 1)"
if [ "$mixed" = "2026-12-13" ] && [[ "$back" == MEAL* ]]; then
    echo "the list's date ($mixed) reads back as the same day"
else
    echo "FAIL: under Deutsch/mdy the list's date is '$mixed' and reading it back gave '$back'"
    failures=$((failures + 1))
fi

# A two-line order the counter sends as one session ($work/NAME.sql): the second line's
# refusal, the transaction still open and usable, and after the rollback no meal.
order_answers() { # NAME REFUSAL PASSED-TEXT WHAT
    sqlcmd "${counter[@]}" -f 65001 -I -W -w 65535 -s $'\t' -i "$work/$1.sql" 2>&1 |
        normalize >"$work/$1.txt" || true
    printf '%s\nOPEN_TRANSACTIONS\tUSABLE\n1\t1\nMEAL\tDESCRIPTION\tTIME\tREMARKS\tCLERKID\tTRANSNUM\tMEALMODE\n' \
        "$2" >"$work/$1.expected"
    if diff -u "$work/$1.expected" "$work/$1.txt"; then
        echo "$3"
    else
        echo "FAIL: $4 (- expected, + server)"
        failures=$((failures + 1))
    fi
}

echo "== a refused line inside the caller's transaction"
# Dated tomorrow: no other case has a meal of ZZ001 on that day.
with_today >"$work/order.sql" <<'SQL'
SET NOCOUNT ON;
SET DATEFORMAT mdy;
BEGIN TRANSACTION;
GO
Station..Save_TALO_EmployeeDistributedMeals 'ZZ001', 'ZZM1', 'Dinner', '{tomorrow} 6:00:00 PM', '', 'ZZCLERK', 'S'
GO
Station..Save_TALO_EmployeeDistributedMeals 'ZZ001', 'ZZ-NONE', 'Dinner', '{tomorrow} 6:00:00 PM', '', 'ZZCLERK', 'S'
GO
SELECT @@TRANCOUNT AS OPEN_TRANSACTIONS, XACT_STATE() AS USABLE;
GO
ROLLBACK TRANSACTION;
GO
Station..Load_TALO_EmployeeDistributedMeals 'ZZ001', '{tomorrow}'
GO
SQL
order_answers order "error 50000: Unknown meal ZZ-NONE." \
    "the refusal kept the transaction usable; nothing of the order was stored" \
    "the two-line order"

echo "== an order saved with autocommit off"
# ODBC drivers turn autocommit off with implicit transactions: the order's first call
# finds @@TRANCOUNT 0. A two-line order of a mode limited to one a day (ZZ Smoke, added
# for this case only), dated tomorrow: the second line must be refused with the words the
# embedded store uses for the same order (its settings test "block mode refuses the whole
# order"), counting both lines as the order's, and leave the transaction usable.
sqlcmd "${dba[@]}" -f 65001 -b -I -i "$here/smoke/race_limit.sql" >/dev/null
with_today >"$work/implicit.sql" <<'SQL'
SET NOCOUNT ON;
SET DATEFORMAT mdy;
SET IMPLICIT_TRANSACTIONS ON;
GO
Station..Save_TALO_EmployeeDistributedMeals 'ZZ001', 'ZZM1', 'ZZ Smoke', '{tomorrow} 6:00:00 PM', '', 'ZZCLERK', 'S'
GO
Station..Save_TALO_EmployeeDistributedMeals 'ZZ001', 'ZZM2', 'ZZ Smoke', '{tomorrow} 6:00:05 PM', '', 'ZZCLERK', 'S'
GO
SELECT @@TRANCOUNT AS OPEN_TRANSACTIONS, XACT_STATE() AS USABLE;
GO
IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
SET IMPLICIT_TRANSACTIONS OFF;
GO
Station..Load_TALO_EmployeeDistributedMeals 'ZZ001', '{tomorrow}'
GO
SQL
order_answers implicit \
    "error 50000: Zzpeña, José Ñ (ZZ001) has received 0 ZZ Smoke today and this order holds 2; the site allows 1 a day." \
    "the order's two lines counted together; the refusal kept the transaction usable" \
    "the two-line order under implicit transactions"
sqlcmd "${dba[@]}" -f 65001 -b -I \
    -Q "DELETE FROM Station.dbo.tbTALOMealModeSetting WHERE MealMode = N'ZZ Smoke';" >/dev/null

echo "== two administrators taking right 5 from the last two managers at once"
# Two ZZ managers (smoke/race_managers.sql, for this race only). The first administrator
# takes right 5 from ZZMGR1 in a transaction it keeps open for 12 seconds, then rolls
# back; the second, once the first holds the managers' guard lock, takes it from ZZMGR2.
# The second must wait for the first: having waited the guard's 10 seconds it is refused
# with "try again". Without the lock it would read the managers at once (read-committed
# snapshot shows it ZZMGR1 still a manager) and pass, and the hospital's last two
# managers could lose right 5 together. Waiting, not a refusal as the last manager, is
# what is compared: the hospital's own managers count too, whatever the ZZ rows are.
# Last, as cleanup.sql removes the two managers at the end.
sqlcmd "${dba[@]}" -f 65001 -b -I -i "$here/smoke/race_managers.sql" >/dev/null
cat >"$work/managers1.sql" <<'SQL'
SET NOCOUNT ON;
BEGIN TRANSACTION;
GO
Station..Save_TALO_User_Rights 'ZZMGR1', '|1|0|0|0|0', 'ZZADMIN'
GO
WAITFOR DELAY '00:00:12';
IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
GO
SQL
cat >"$work/managers2.sql" <<SQL
SET NOCOUNT ON;
$(until_locked talo_managers)
BEGIN TRANSACTION;
GO
Station..Save_TALO_User_Rights 'ZZMGR2', '|1|0|0|0|0', 'ZZADMIN'
GO
IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
GO
SQL
run_file admin "$work/managers1.sql" >"$work/managers1.out" &
first_manager=$!
second="$(run_file admin "$work/managers2.sql" | normalize)"
wait "$first_manager" || true
if [ "$second" = "error 50000: Another administrator is changing rights or access; try again." ]; then
    echo "the second administrator waited for the first one's guard"
else
    echo "FAIL: the second administrator did not wait for the first one's guard:"
    sed 's/^/    /' <<<"${second:-(saved)}"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "Smoke test passed." || echo "Smoke test: $failures failure(s)."
[ "$failures" -eq 0 ]
