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

echo "== the comparison notices drift"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
expect_drift() {
    local what="$1"
    rm -rf "$work/e" "$work/k"
    mkdir -p "$work/e"
    cp -r "$embedded/procedures" "$embedded/schema" "$work/e/"
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
    sed -i 's/ON dbo.Save_TALO_User_Rights TO talodesk_admin/ON dbo.Save_TALO_User_Rights TO talodesk_counter/' \
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
no_savepoint() {
    sed -i 's/ELSE SAVE TRANSACTION talo_call;//' "$work/k/procedures/Save_TALO_User_Rights.sql"
}
# One number past any migration the kit has, so the check script is one version behind.
migration_not_counted() {
    printf 'USE Station;\nGO\n' >"$work/k/migrations/999_next.sql"
}
expect_drift "a procedure in the embedded store only" extra_embedded
expect_drift "a procedure in the SQL Server scripts only" extra_kit
expect_drift "a parameter missing" fewer_parameters
expect_drift "a result column renamed" renamed_column
expect_drift "a table column added" extra_column
expect_drift "an error text changed" changed_error_text
expect_drift "a write outside a transaction" no_transaction
expect_drift "a procedure granted to the wrong role" wrong_role
expect_drift "EXECUTE granted on the whole schema" schema_wide_grant
expect_drift "a length check missing on both sides" no_length_check
expect_drift "a length limit out of step" other_length
expect_drift "a write without the caller's savepoint" no_savepoint
expect_drift "a migration the check script does not know" migration_not_counted

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
