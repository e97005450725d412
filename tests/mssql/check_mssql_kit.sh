#!/usr/bin/env bash
# The SQL Server kit (sql/mssql) against the embedded store (src/server):
#  1. every procedure on both sides with the same parameter count, result columns,
#     validation error texts and length limits, every table with the same columns,
#     each procedure granted to its own role only, and the scripts' own rules;
#  2. the comparison itself still notices each of these going wrong (run on altered
#     copies);
#  3. the smoke test's expectations (sql/mssql/smoke/expected.txt) are what the
#     embedded store answers today (needs BINARY_DIR with talodesk-sql);
# The T-SQL parse of every script is check_mssql_parse.sh (label kit, the slow one).
# usage: check_mssql_kit.sh SOURCE_DIR [BINARY_DIR]
set -euo pipefail
source_dir="$(cd "${1:?usage: check_mssql_kit.sh SOURCE_DIR [BINARY_DIR]}" && pwd)"
here="$source_dir/tests/mssql"
embedded="$source_dir/src/server"
kit="$source_dir/sql/mssql"
compare=(python3 "$here/kit_consistency.py")
export PYTHONDONTWRITEBYTECODE=1

echo "== the two sides"
"${compare[@]}" "$embedded" "$kit"

echo "== the grants of earlier kits"
# The list the rule reads holds every grant the permissions script ever made (when this
# is a clone with its history; a copy without it takes the list as it is).
python3 "$here/kit_history.py" "$source_dir"

echo "== the comparison notices drift"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
expect_drift() {
    local what="$1"
    rm -rf "$work/e" "$work/k"
    mkdir -p "$work/e"
    cp -r "$embedded/procedures" "$embedded/schema" "$embedded/ProcedureRunner.cpp" "$work/e/"
    cp -r "$kit" "$work/k"
    "$2"
    if "${compare[@]}" "$work/e" "$work/k" >"$work/out" 2>&1; then
        echo "FAIL: not noticed: $what"
        exit 1
    fi
    echo "noticed: $what ($(head -n 1 "$work/out"))"
}
extra_embedded() {
    printf -- '-- parameters: a\n-- access: read\n-- role: counter\nSELECT :a AS A;\n' \
        >"$work/e/procedures/Load_Extra.sql"
}
extra_kit() {
    printf 'CREATE OR ALTER PROCEDURE dbo.Load_Extra @a NVARCHAR(10)\nAS\nBEGIN\n'\
'    SET NOCOUNT ON;\n    SELECT @a AS A;\nEND;\nGO\n' >"$work/k/procedures/Load_Extra.sql"
    sed -i 's#^06_permissions.sql$#procedures/Load_Extra.sql\n&#' "$work/k/install_order.txt"
}
fewer_parameters() {
    sed -i '/^    @text NVARCHAR(4000)$/d; s/^    @date NVARCHAR(4000),$/    @date NVARCHAR(4000)/' \
        "$work/k/procedures/Load_Employee_for_Meal.sql"
}
renamed_column() {
    sed -i 's/AS MEALMODE/AS MEAL_MODE/' "$work/k/procedures/Load_TALO_EmployeeDistributedMeals.sql"
}
extra_column() {
    sed -i 's/ModifiedAt DATETIME2(0) NULL/ModifiedAt DATETIME2(0) NULL, Note NVARCHAR(10) NULL/' \
        "$work/k/05_station.sql"
}
changed_error_text() {
    sed -i "s/N'Unknown meal ', @meal/N'No such meal ', @meal/" \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
no_transaction() {
    sed -i 's/BEGIN TRANSACTION;//' "$work/k/procedures/Save_TALO_MealType.sql"
}
wrong_role() {
    sed -i 's/ON dbo.Save_TALO_User_Rights TO talodesk_users/ON dbo.Save_TALO_User_Rights TO talodesk_counter/' \
        "$work/k/06_permissions.sql"
}
role_writes_table() {
    printf 'USE Payroll;\nGO\nGRANT SELECT, INSERT ON dbo.tbcmaster TO talodesk_settings;\nGO\n' \
        >>"$work/k/06_permissions.sql"
}
role_writes_in_dynamic_sql() {
    printf 'USE Password;\nGO\nEXEC sp_executesql N%sGRANT UPDATE ON dbo.tbPasswordMain TO talodesk_users;%s;\nGO\n' \
        "'" "'" >>"$work/k/06_permissions.sql"
}
writer_not_signed() {
    sed -i "/^(N'Save_TALO_UserPassword', N'Password');\?$/d; s/^(N'Save_TALO_UserAccess', N'Password'),$/(N'Save_TALO_UserAccess', N'Password');/" \
        "$work/k/07_signing.sql"
}
certificate_not_copied() {
    sed -i 's/^        EXEC @run @sql;$//' "$work/k/07_signing.sql"
}
signing_user_writes_more() {
    sed -i 's/GRANT SELECT, UPDATE ON dbo.tbPasswordMain TO talodesk_sign_Save_TALO_UserPassword/GRANT SELECT, INSERT, UPDATE ON dbo.tbPasswordMain TO talodesk_sign_Save_TALO_UserPassword/' \
        "$work/k/07_signing.sql"
}
# One certificate signing every procedure again: each signature would carry all writes.
one_certificate_for_all() {
    sed -i "s/^        SET @certificate = CONCAT(N'talodesk_sign_', @name);$/        SET @certificate = N'talodesk_signing';/" \
        "$work/k/07_signing.sql"
}
# A site whose HR owns the staff tables still able to run the staff import.
hr_site_still_imports() {
    sed -i '/^    REVOKE EXECUTE ON dbo.Save_TALO_StaffImport FROM talodesk_settings;$/d' \
        "$work/k/07_signing.sql"
}
# Talodesk withdrawing another program's access from the shared register.
other_application_access() {
    sed -i "s/WHERE EmployeeID = @stored AND AppCode = N'TALO'/WHERE EmployeeID = @stored/" \
        "$work/k/procedures/Save_TALO_UserAccess.sql"
}
# An upgraded server keeping what an earlier kit granted the counter's role.
earlier_grant_kept() {
    sed -i '/^REVOKE EXECUTE ON dbo.Save_TALO_FailedSignIn FROM talodesk_counter;$/d' \
        "$work/k/06_permissions.sql"
}
schema_wide_grant() {
    printf 'USE Station;\nGO\nGRANT EXECUTE ON SCHEMA::dbo TO talodesk_counter;\nGO\n' \
        >>"$work/k/06_permissions.sql"
}
no_length_check() {
    # Gone from both sides, so the error texts still agree.
    sed -i '/DATALENGTH(@remarks) > 1000/,+1d' \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
    sed -i '/talo_length(:remarks)/d' "$work/e/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
other_length() {
    sed -i 's/DATALENGTH(@remarks) > 1000/DATALENGTH(@remarks) > 2000/' \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
# The order's first line saved as if alone under autocommit off.
implicit_transaction_not_joined() {
    sed -i '/^    IF @@TRANCOUNT = 0 AND @@OPTIONS & 2 = 2$/,+1d' \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
no_savepoint() {
    sed -i 's/ELSE SAVE TRANSACTION talo_save_user_rights;//' "$work/k/procedures/Save_TALO_User_Rights.sql"
}
shared_savepoint() {
    sed -i 's/talo_save_meal_type/talo_save_meal/' "$work/k/procedures/Save_TALO_MealType.sql"
}
# The locale's sort order reorders these two; listed, the order must still hold.
indexes_before_table() {
    sed -i 's#^05_station.sql$#05_station_history_indexes.sql.tmp#; s#^05_station_history_indexes.sql$#05_station.sql#;'\
' s#^05_station_history_indexes.sql.tmp$#05_station_history_indexes.sql#' "$work/k/install_order.txt"
}
script_not_installed() {
    sed -i '/^procedures\/Load_TALO_Users.sql$/d' "$work/k/install_order.txt"
}
grants_before_procedures() {
    sed -i '/^06_permissions.sql$/d' "$work/k/install_order.txt"
    sed -i 's#^05_station_history_indexes.sql$#&\n06_permissions.sql#' "$work/k/install_order.txt"
}
# One number past any migration the kit has, so the check script is one version behind.
migration_not_counted() {
    printf 'USE Station;\nGO\n' >"$work/k/migrations/999_next.sql"
    sed -i 's#^migrations/005_report_index.sql$#&\nmigrations/999_next.sql#' "$work/k/install_order.txt"
}
# The staff import reading into rows it never proved arrays; the text kept, so only the
# rule notices.
rows_not_proven_arrays() {
    sed -i 's/FROM OPENJSON(@rows) AS j WHERE j.\[type\] <> 4)/FROM OPENJSON(@rows) AS j WHERE 1 = 0)/' \
        "$work/k/procedures/Save_TALO_StaffImport.sql"
}
# LTRIM takes only blanks away: a line break or tab before '[' is refused.
json_after_line_break() {
    sed -i "s/(SELECT TOP (1) j.\[type\] FROM OPENJSON(CONCAT(N'\[', @json, N'\]')) AS j) = 4/LEFT(LTRIM(@json), 1) = N'['/" \
        "$work/k/migrations/013_shared_rules.sql"
}
# The array test's order left to AND, which may read OPENJSON before ISJSON.
json_test_unordered() {
    sed -i "s/WHEN ISJSON(@json) IS NULL OR ISJSON(@json) = 0 THEN 0/WHEN 1 = 0 THEN 0/" \
        "$work/k/migrations/013_shared_rules.sql"
}
# A procedure with its own copy of the array test again.
json_proven_in_place() {
    sed -i "s/IF dbo.TALO_IsJsonArray(@modes) = 0/IF ISJSON(@modes) = 0/" \
        "$work/k/procedures/Check_TALO_MealLimits.sql"
}
# Meal modes read as texts without refusing a number or true; the text kept, so only the
# rule notices.
modes_not_proven_texts() {
    sed -i 's/FROM OPENJSON(@modes) AS j WHERE j.\[type\] NOT IN (0, 1))/FROM OPENJSON(@modes) AS j WHERE 1 = 0)/' \
        "$work/k/procedures/Check_TALO_MealLimits.sql"
}
version_row_rounded() {
    sed -i 's/VALUES (6, \(.*\), CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));/VALUES (6, \1, CAST(GETDATE() AS DATETIME2(0)));/' \
        "$work/k/migrations/006_keyboard_entry.sql"
}
index_option_undeclared() {
    sed -i "s/+ N'WHERE OrderKey IS NOT NULL' + @with;/+ N'WHERE OrderKey IS NOT NULL' + @online;/" \
        "$work/k/migrations/022_order_key.sql"
}
clock_rounded() {
    sed -i 's/CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120)/CAST(GETDATE() AS DATETIME2(0))/' \
        "$work/k/procedures/Save_TALO_MealType.sql"
}
typed_time_rounded() {
    sed -i 's/TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), @date), 120), 120)/TRY_CONVERT(DATETIME2(0), @date)/' \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
page_size_cast() {
    sed -i 's/DECLARE @size INT = TRY_CONVERT(INT, @sizeDigits);/DECLARE @size INT = CAST(@sizeDigits AS INT);/' \
        "$work/k/procedures/Load_TALO_AuditLog.sql"
}
# NUL and digits of another script: each guard taken away where it is plain to see.
nul_guard_removed() {
    sed -i "/^    IF 1 IN (/,/^        THROW 50000, N'Text arguments must not contain the NUL/d" \
        "$work/k/procedures/Save_TALO_User.sql"
}
nul_guard_without_an_argument() {
    sed -i 's/dbo.TALO_HasNul(@hash), //' "$work/k/procedures/Save_TALO_UserPassword.sql"
}
nul_guard_after_lengths() {
    sed -i "/^    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@date))$/,+1d" \
        "$work/k/procedures/Load_TALO_EmployeeDistributedMeals.sql"
    sed -i "s/^    DECLARE @message NVARCHAR(2048);$/    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@date))\n\
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;\n&/" \
        "$work/k/procedures/Load_TALO_EmployeeDistributedMeals.sql"
}
nul_message_changed() {
    sed -i 's/"Text arguments must not contain the NUL character."/"Text must not contain NUL."/' \
        "$work/e/ProcedureRunner.cpp"
}
digit_guard_removed() {
    sed -i '/IF dbo.TALO_HasNonAsciiDigit(@to) = 1 SET @toAt = NULL;/d' \
        "$work/k/procedures/Report_TALO_MealDistribution.sql"
}
digit_run_missing() {
    sed -i 's/ (65296)$/ (48)/' "$work/k/migrations/011_text_guards.sql"
}
# What 00_check.sql must find before any change.
no_compatibility_check() {
    sed -i "s/WHERE name = N'Station' AND compatibility_level < 130;/WHERE name = N'Station';/" \
        "$work/k/00_check.sql"
}
new_station_left_low() {
    sed -i '/^IF (SELECT compatibility_level FROM sys.databases WHERE name = N.Station.) < 130$/,/^GO$/d' \
        "$work/k/01_databases.sql"
}
expects_other_length() {
    sed -i "s/(N'Station', N'tbTALOUserRights', N'UserID', N'Latin1_General_100_CI_AS', N'nvarchar(30)'/(N'Station', N'tbTALOUserRights', N'UserID', N'Latin1_General_100_CI_AS', N'nvarchar(20)'/" \
        "$work/k/00_check.sql"
}
expects_other_nullability() {
    sed -i "s/(N'Payroll', N'tbcmaster', N'DeptCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 1,/(N'Payroll', N'tbcmaster', N'DeptCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0,/" \
        "$work/k/00_check.sql"
}
types_not_compared() {
    sed -i '/^        OR f.TypeName <> e.TypeName$/d' "$work/k/00_check.sql"
}
clustered_index_by_name() {
    sed -i "s/    WHERE type = 1 AND object_id = OBJECT_ID(N'dbo.tbTALOUserRights')/    WHERE name = N'ixUserRightsUser' AND object_id = OBJECT_ID(N'dbo.tbTALOUserRights')/" \
        "$work/k/05_station.sql"
}
# An upgraded server's clerk index passed though it lacks a carried column.
index_found_by_name() {
    sed -i "/^    (N'ixDistributedClerkDate', N'RevokedAt', 1, 0),$/d" \
        "$work/k/migrations/024_index_columns.sql"
}
online_build_queues_ahead() {
    sed -i 's/ (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 5 MINUTES, ABORT_AFTER_WAIT = SELF))//' \
        "$work/k/05_station.sql"
}
# A build with options of its own again, not the kit's one answer.
online_options_in_place() {
    sed -i "s/^    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''$/    WHEN 1 = 1 THEN N''/; s/^    ELSE CONCAT(N' WITH (', dbo.TALO_OnlineIndexOption(), N')')$/    ELSE N' WITH (ONLINE = ON)'/" \
        "$work/k/migrations/022_order_key.sql"
}
history_index_offline() {
    printf 'CREATE INDEX ixLater ON dbo.tbTALOEmployeeDistributedMeals (MealMode);\nGO\n' \
        >>"$work/k/migrations/012_history_mode_index.sql"
}
# Bulk tags logged with codes only, as they were.
bulk_tags_unnamed() {
    python3 - "$work/k/procedures/Save_TALO_EmployeeMealBulk.sql" <<'EOF'
import re, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
text = re.sub(r"CONCAT\(\s*N'EmployeeName=',.*?N'; TypeName=', mt.Description\s*\),", "N'',", text,
              flags=re.S)
open(path, "w", encoding="utf-8").write(text)
EOF
}
# The count filtering the log on its own again, on either side.
count_filters_itself() {
    sed -i 's/FROM dbo.TALO_AuditLogRows(@fromAt, @toAt, @table, @user) AS a/FROM dbo.tbTALOAuditLog AS a/' \
        "$work/k/procedures/Count_TALO_AuditLog.sql"
}
store_count_filters_itself() {
    sed -i "s/^-- shared: AuditLogRows$/FROM Station.tbTALOAuditLog AS a WHERE (:table = '' OR a.TableName = :table)/" \
        "$work/e/procedures/Count_TALO_AuditLog.sql"
}
# The history's count working out its own date range again, on either side.
count_own_range() {
    sed -i 's/^    SELECT @fromAt = r.FromAt, @toAt = r.ToAt FROM dbo.TALO_HistoryRange(@fromAt, @toAt) AS r;$/    SET @fromAt = COALESCE(@fromAt, DATEADD(DAY, -30, @toAt));/' \
        "$work/k/procedures/Count_TALO_DistributedMealHistory.sql"
}
store_count_own_range() {
    sed -i "s/talo_history_from(:from, :to)/COALESCE(talo_iso(:from), '')/" \
        "$work/e/procedures/Count_TALO_DistributedMealHistory.sql"
}
# The block limit's lock taken away, or held by the session rather than the order's
# transaction.
limit_lock_removed() {
    sed -i '/EXEC @locked = sp_getapplock/,/@LockTimeout = 10000;/d' \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
limit_lock_of_the_session() {
    sed -i "s/@LockOwner = N'Transaction',/@LockOwner = N'Session',/" \
        "$work/k/procedures/Save_TALO_EmployeeDistributedMeals.sql"
}
# The last-manager guard reading the managers without its lock, in either procedure.
managers_read_unlocked() {
    sed -i "/EXEC @locked = sp_getapplock/,/@LockTimeout = 10000;/d" \
        "$work/k/procedures/Save_TALO_UserAccess.sql"
}
# A revoke that no longer reads the day the meals are closed through, on either side.
revoke_ignores_closed_day() {
    sed -i 's/SELECT @closed = ClosedThrough/SELECT @closed = NULL/' \
        "$work/k/procedures/Revoke_TALO_EmployeeDistributedMeals.sql"
}
store_revoke_ignores_closed_day() {
    sed -i 's/ClosedThrough/SiteName/g' \
        "$work/e/procedures/Revoke_TALO_EmployeeDistributedMeals.sql"
}
expect_drift "a procedure in the embedded store only" extra_embedded
expect_drift "a procedure in the SQL Server scripts only" extra_kit
expect_drift "a parameter missing" fewer_parameters
expect_drift "a result column renamed" renamed_column
expect_drift "a table column added" extra_column
expect_drift "an error text changed" changed_error_text
expect_drift "a write outside a transaction" no_transaction
expect_drift "a procedure granted to the wrong role" wrong_role
expect_drift "a role granted a table write" role_writes_table
expect_drift "a role granted a table write in dynamic SQL" role_writes_in_dynamic_sql
expect_drift "a procedure writing another database left unsigned" writer_not_signed
expect_drift "a certificate's user writing more than its procedure does" signing_user_writes_more
expect_drift "a certificate's copy not run in the database its procedure writes" certificate_not_copied
expect_drift "one certificate signing every procedure" one_certificate_for_all
expect_drift "a site whose HR owns the staff tables still granted the staff import" hr_site_still_imports
expect_drift "another program's access written in the shared register" other_application_access
expect_drift "EXECUTE granted on the whole schema" schema_wide_grant
expect_drift "a grant of an earlier kit neither granted today nor revoked" earlier_grant_kept
expect_drift "a length check missing on both sides" no_length_check
expect_drift "a length limit out of step" other_length
expect_drift "a write without the caller's savepoint" no_savepoint
expect_drift "a caller's implicit transaction not joined" implicit_transaction_not_joined
expect_drift "two procedures sharing a savepoint name" shared_savepoint
expect_drift "the history indexes installed before their table" indexes_before_table
expect_drift "a script left out of the install order" script_not_installed
expect_drift "the grants installed before the procedures" grants_before_procedures
expect_drift "a migration the check script does not know" migration_not_counted
expect_drift "staff rows read without proving each is an array" rows_not_proven_arrays
expect_drift "a JSON array refused after a line break or tab" json_after_line_break
expect_drift "a procedure proving a JSON array in its own way" json_proven_in_place
expect_drift "the JSON array test's order left to AND" json_test_unordered
expect_drift "the clock rounded to the second" clock_rounded
expect_drift "meal modes read without proving each is a text" modes_not_proven_texts
expect_drift "a migration's version row rounded to the second" version_row_rounded
expect_drift "a migration's batch using a variable it never declares" index_option_undeclared
expect_drift "a typed time rounded to the second" typed_time_rounded
expect_drift "a page size read with a CAST that raises" page_size_cast
expect_drift "no stop below compatibility level 130" no_compatibility_check
expect_drift "a new Station left at the model database's compatibility level" new_station_left_low
expect_drift "a column length expected other than the scripts make it" expects_other_length
expect_drift "a column's nullability expected other than the scripts make it" expects_other_nullability
expect_drift "the server's column types left uncompared" types_not_compared
expect_drift "the rights table's clustered index found by its name only" clustered_index_by_name
expect_drift "an index of the upgrade built offline on every edition" history_index_offline
expect_drift "an index found by its name, not its columns" index_found_by_name
expect_drift "an online build that does not wait at low priority" online_build_queues_ahead
expect_drift "an index build with options of its own" online_options_in_place
expect_drift "a procedure without its NUL refusal" nul_guard_removed
expect_drift "an argument the NUL refusal leaves out" nul_guard_without_an_argument
expect_drift "NUL refused after the length checks" nul_guard_after_lengths
expect_drift "the NUL refusal's words out of step with the embedded store" nul_message_changed
expect_drift "a date read without refusing other scripts' digits" digit_guard_removed
expect_drift "full-width digits unknown to the digit check" digit_run_missing
expect_drift "bulk tags logged without the employee's and meal type's names" bulk_tags_unnamed
expect_drift "the changes count filtering the log itself (kit)" count_filters_itself
expect_drift "the changes count filtering the log itself (store)" store_count_filters_itself
expect_drift "the history count working out its own date range (kit)" count_own_range
expect_drift "the block limit counted without its lock" limit_lock_removed
expect_drift "the block limit's lock held by the session" limit_lock_of_the_session
expect_drift "the last-manager guard reading the managers without its lock" managers_read_unlocked
expect_drift "a revoke blind to the closed day (kit)" revoke_ignores_closed_day
expect_drift "a revoke blind to the closed day (store)" store_revoke_ignores_closed_day
expect_drift "the history count working out its own date range (store)" store_count_own_range

echo "== the install order under en_US.UTF-8"
# The order install.sh runs must not depend on the shell's locale: it is run under one
# whose sort order differs from C's (built here when the system lacks it).
locale_vars=(LC_ALL=en_US.UTF-8)
if ! LC_ALL=en_US.UTF-8 locale charmap 2>/dev/null | grep -q UTF-8; then
    mkdir -p "$work/locale"
    localedef -i en_US -f UTF-8 "$work/locale/en_US.UTF-8" >/dev/null 2>&1 || true
    locale_vars+=(LOCPATH="$work/locale")
fi
sorted="$(printf '05_station.sql\n05_station_history_indexes.sql\n' | env "${locale_vars[@]}" sort | head -n 1)"
if [ "$sorted" != "05_station_history_indexes.sql" ]; then
    echo "FAIL: could not run under en_US.UTF-8 (no locale, and localedef failed)"
    exit 1
fi
install_order_holds() { # KIT-DIR
    env "${locale_vars[@]}" bash "$1/install.sh" --list >"$work/order" &&
        python3 "$here/kit_order.py" "$1" "$work/order"
}
install_order_holds "$kit"
rm -rf "$work/k" && cp -r "$kit" "$work/k"
sed -i 's#^mapfile -t scripts .*#scripts=("$here"/0[0-5]_*.sql "$here"/migrations/*.sql "$here"/procedures/*.sql 06_permissions.sql 07_signing.sql); scripts=("${scripts[@]\#"$here"/}")#' \
    "$work/k/install.sh"
if install_order_holds "$work/k" >"$work/out" 2>&1; then
    echo "FAIL: not noticed: install.sh taking its scripts from a glob"
    exit 1
fi
echo "noticed: install.sh taking its scripts from a glob ($(head -n 1 "$work/out"))"

echo "== the kit's shell scripts"
# sqlcmd 18 encrypts by default: each script that runs sqlcmd says how to trust a
# server certificate; the administrator's names go as UTF-8; the smoke test's cleanup
# deletes only the keys it seeded, compared in a binary collation ("zz001" or full-width
# letters are real rows), and leaves the changes log alone; it refuses a counter or
# administration login that could carry out the writes it expects refused, and sends
# every write to other rows than its own inside a transaction it rolls back; the smoke
# test races two sessions for a limited meal.
kit_script_problems() { # KIT-DIR
    local dir="$1" found=0 script
    for script in install.sh create_administrator.sh smoke_test.sh; do
        grep -q -- '-C' "$dir/$script" || { echo "$script does not mention -C"; found=1; }
    done
    grep -q -- '-f 65001 -i "$here/create_administrator.sql"' "$dir/create_administrator.sh" ||
        { echo "create_administrator.sh does not read its script as UTF-8 (-f 65001)"; found=1; }
    if grep -niE "\bLIKE\b|tbTALOAuditLog" "$dir/smoke/cleanup.sql"; then
        echo "smoke/cleanup.sql deletes by a pattern, or deletes from the changes log"
        found=1
    fi
    if grep -iE '^ *WHERE ' "$dir/smoke/cleanup.sql" | grep -v 'COLLATE Latin1_General_BIN2 IN ('; then
        echo "smoke/cleanup.sql deletes rows not named in a binary collation"
        found=1
    fi
    # Every write a case sends names the smoke test's own ZZ rows, or is rolled back.
    awk -F'|' '/^#/ || NF < 3 || $2 ~ /^rolled back/ { next }
        match($0, /\.\.(Save|Remove|Revoke)_[A-Za-z_]+ +N?\047/) {
            key = substr($0, RSTART + RLENGTH)
            sub(/^[][" ]+/, "", key)
            if (key !~ /^ZZ/) { print "smoke/cases.txt: \"" $2 "\" writes other rows than its own, not rolled back"; bad = 1 }
        }
        END { exit bad }' "$dir/smoke/cases.txt" || found=1
    # The login check comes before the first case; a write it sends names a ZZ key or is
    # rolled back.
    privileges="$(grep -n 'smoke/privileges.sql' "$dir/smoke_test.sh" | head -n 1 | cut -d: -f1)"
    first_case="$(grep -n 'smoke/seed.sql' "$dir/smoke_test.sh" | head -n 1 | cut -d: -f1)"
    if [ -z "$privileges" ] || [ -z "$first_case" ] || [ "$privileges" -gt "$first_case" ]; then
        echo "smoke_test.sh does not check the logins' rights before the first case"
        found=1
    fi
    local right
    for right in "IS_SRVROLEMEMBER(" "IS_MEMBER(" "HAS_PERMS_BY_NAME(" "(N'sysadmin')" \
        "(N''db_owner'')" "(N''db_datawriter'')"; do
        grep -qF "$right" "$dir/smoke/privileges.sql" ||
            { echo "smoke/privileges.sql does not ask $right"; found=1; }
    done
    if grep -nE '"(UPDATE|DELETE) ' "$dir/smoke_test.sh" | grep -v "WHERE [A-Za-z]* = N\?'ZZ"; then
        echo "smoke_test.sh sends a write that is not bounded to a ZZ key"
        found=1
    fi
    grep -q 'run counter "" "BEGIN TRANSACTION;" "$statement" "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;"' \
        "$dir/smoke_test.sh" || { echo "smoke_test.sh sends the counter's refused writes outside a rolled-back transaction"; found=1; }
    grep -q "SET LANGUAGE Deutsch; SET DATEFORMAT mdy" "$dir/smoke_test.sh" ||
        { echo "smoke_test.sh has no session whose language and date order differ"; found=1; }
    # Every database the program reads answers from the last committed rows, so no
    # office write (a staff import's locks) makes a counter wait.
    local database snapshot
    snapshot="$(grep -F 'AS d(name)' "$dir/01_databases.sql" | head -n 1)"
    for database in Station Payroll Password Patient_Data; do
        grep -qF "(N'$database')" <<<"$snapshot" ||
            { echo "01_databases.sql leaves read-committed snapshot off for $database"; found=1; }
    done
    grep -q 'SET LOCK_TIMEOUT 2000;' "$dir/smoke_test.sh" &&
        grep -qE '^run_file admin "\$work/import.sql" .*&$' "$dir/smoke_test.sh" ||
        { echo "smoke_test.sh loads no employee list during a staff import"; found=1; }
    grep -q 'smoke/race.txt' "$dir/smoke_test.sh" && grep -qE '^ +run_file .*&$' "$dir/smoke_test.sh" ||
        { echo "smoke_test.sh races no two sessions for a limited meal"; found=1; }
    # Two administrators race to take right 5 from two ZZ managers: the second waits.
    grep -q 'smoke/race_managers.sql' "$dir/smoke_test.sh" &&
        grep -qE '^run_file admin "\$work/managers1.sql" .*&$' "$dir/smoke_test.sh" ||
        { echo "smoke_test.sh races no two administrators for the last managers"; found=1; }
    # An order saved as an ODBC driver with autocommit off saves it.
    grep -q '^SET IMPLICIT_TRANSACTIONS ON;$' "$dir/smoke_test.sh" ||
        { echo "smoke_test.sh saves no order under implicit transactions (autocommit off)"; found=1; }
    return "$found"
}
kit_script_problems "$kit" || exit 1
echo "the scripts follow their rules"
expect_script_problem() { # WHAT FILE SED-EXPRESSION: the rules notice the altered copy
    rm -rf "$work/k" && cp -r "$kit" "$work/k"
    sed -i "$3" "$work/k/$2"
    if kit_script_problems "$work/k" >"$work/out" 2>&1; then
        echo "FAIL: not noticed: $1"
        exit 1
    fi
    echo "noticed: $1 ($(tail -n 1 "$work/out"))"
}
expect_script_problem "the cleanup deleting rows by a pattern under the databases' collation" \
    smoke/cleanup.sql "s/WHERE EmpNum COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees)/WHERE EmpNum LIKE N'ZZ%'/"
expect_script_problem "the cleanup comparing its keys in the databases' collation" \
    smoke/cleanup.sql "s/WHERE Code COLLATE Latin1_General_BIN2 IN (N'ZZM1'/WHERE Code IN (N'ZZM1'/"
expect_script_problem "the cleanup deleting from the changes log" \
    smoke/cleanup.sql "1i DELETE FROM Station.dbo.tbTALOAuditLog WHERE UserID IN (N'ZZADMIN');"
expect_script_problem "a settings save expected to be refused sent outside a transaction" \
    smoke/cases.txt "s/^admin|rolled back settings bad time|/admin|settings bad time|/"
expect_script_problem "the smoke test starting without checking the logins' rights" \
    smoke_test.sh "/smoke\/privileges.sql/d"
expect_script_problem "the login check not asking for db_owner" \
    smoke/privileges.sql "s/(N''db_owner''), //"
expect_script_problem "a refusal case updating every person's rights" \
    smoke_test.sh "s/ WHERE UserID = N'ZZ002'\"/\"/"
expect_script_problem "the counter's refused writes sent outside a rolled-back transaction" \
    smoke_test.sh 's/run counter "" "BEGIN TRANSACTION;" "$statement"/run counter "" "$statement"/'
expect_script_problem "Payroll left without read-committed snapshot" \
    01_databases.sql "s/(N'Payroll'), //"
expect_script_problem "the staff import finished before the counter loads its list" \
    smoke_test.sh 's#^\(run_file admin "$work/import.sql" .*\) &$#\1#'
expect_script_problem "the managers' race run one administrator after the other" \
    smoke_test.sh 's#^\(run_file admin "$work/managers1.sql" .*\) &$#\1#'
expect_script_problem "no order saved with autocommit off" \
    smoke_test.sh '/^SET IMPLICIT_TRANSACTIONS ON;$/d'
expect_script_problem "the smoke test's race run one session after the other" \
    smoke_test.sh 's#^\( *run_file .*\) &$#\1#'

echo "== the smoke test's expectations"
tool="${2:-}/src/talodesk-sql"
if [ -n "${2:-}" ] && [ -x "$tool" ]; then
    bash "$kit/smoke/make_expected.sh" "$tool" "$work/expected.txt"
    if ! diff -u "$kit/smoke/expected.txt" "$work/expected.txt"; then
        echo "FAIL: sql/mssql/smoke/expected.txt is not what the store answers;" \
            "run sql/mssql/smoke/make_expected.sh $tool"
        exit 1
    fi
    echo "expected.txt is current"
else
    echo "skipped: no talodesk-sql in '${2:-}'"
fi

echo "== every window's statements against the grants of the roles that open it"
# The window tests record every statement they send (TALODESK_STATEMENT_LOG); each
# role that may open the window must be granted every object those statements name.
tests_dir="${2:-}/tests"
window_tests=()
if [ -n "${2:-}" ]; then
    mapfile -t window_tests < <(find "$tests_dir" -maxdepth 1 -type f -executable \
        \( -name '*_tst_frm*' -o -name '*_tst_HistoryMenu' \) | sort)
fi
if [ "${#window_tests[@]}" -eq 0 ]; then
    echo "skipped: no window tests in '$tests_dir'"
    exit 0
fi
for test in "${window_tests[@]}"; do
    if ! TALODESK_STATEMENT_LOG="$work/statements" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
        "$test" >"$work/test.out" 2>&1; then
        echo "FAIL: $(basename "$test") did not pass, so its statements are not all known"
        tail -n 20 "$work/test.out"
        exit 1
    fi
done
grants=(python3 "$here/window_grants.py" "$work/statements")
"${grants[@]}" "$kit" "$here/window_roles.txt"
rm -rf "$work/k" && cp -r "$kit" "$work/k"
# As the kit had it: the history's meal look-up readable by the masters' role only.
sed -i '/^GRANT SELECT ON dbo.tbcoMeal TO talodesk_signin;$/d' "$work/k/06_permissions.sql"
printf 'USE Station;\nGO\nGRANT SELECT ON dbo.tbcoMeal TO talodesk_masters;\nGO\n' \
    >>"$work/k/06_permissions.sql"
if "${grants[@]}" "$work/k" "$here/window_roles.txt" >"$work/out" 2>&1; then
    echo "FAIL: not noticed: a statement a window sends that its roles' grants do not cover"
    exit 1
fi
echo "noticed: a statement a window sends that its roles' grants do not cover ($(head -n 1 "$work/out"))"

