-- parameters: rows, user, [batch], [file]
-- access: write
-- json: rows
-- role: settings
-- Imports part of a personnel list. rows is a JSON array with one array per employee:
-- [number, last name, first name, middle name, department code, department name, active].
-- A new number is added; an employee whose stored values differ is updated; an identical
-- one is left alone, so sending the same rows twice changes nothing the second time. A
-- department name creates the department or renames it. Every change writes one audit
-- row. Names compare exactly (a change of case is a change); codes ignore case.
-- batch, when given, is the key the program chose for the whole import (every slice of
-- it): the audit rows carry it, and the batch row sums up what the import did, with the
-- name of the file it came from.

-- Longer values than the columns hold are refused before anything else.
-- rows is not a column: its limit is generous, about three times what the program's
-- 1,000 rows a call can take at the longest values the columns allow.
SELECT talo_raise('Staff rows can be at most 2000000 characters long.') WHERE talo_length(:rows) > 2000000;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;
SELECT talo_raise('Batch key can be at most 40 characters long.') WHERE talo_length(:batch) > 40;
SELECT talo_raise('File name can be at most 260 characters long.') WHERE talo_length(:file) > 260;

SELECT talo_raise('The staff rows must be a JSON array.')
WHERE CASE WHEN json_valid(:rows) THEN json_type(:rows) <> 'array' ELSE 1 END;

SELECT talo_raise('Each staff row must be a JSON array: number, last name, first name, '
                  || 'middle name, department code, department name, active.')
FROM json_each(:rows) WHERE type <> 'array' LIMIT 1;

-- Every value is a text (a number, true or a nested array is not what the file said).
SELECT talo_raise('Staff row ' || (r.key + 1) || ': every value must be a JSON text.')
FROM json_each(:rows) r, json_each(r.value) v
WHERE v.type <> 'text'
ORDER BY r.key LIMIT 1;

-- The rows are unpacked once into temp.talo_staff_rows, a scratch table of this
-- connection that the store creates when it opens; emptied on every call, and a refused
-- call rolls its rows back with everything else.
DELETE FROM temp.talo_staff_rows;

INSERT INTO temp.talo_staff_rows(seq, n, l, f, m, d, dn, a)
SELECT key,
       trim(CAST(coalesce(json_extract(value, '$[0]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[1]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[2]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[3]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[4]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[5]'), '') AS TEXT)),
       CAST(coalesce(json_extract(value, '$[6]'), '') AS TEXT)
FROM json_each(:rows);

SELECT talo_raise('Employee number is required.')
FROM temp.talo_staff_rows WHERE n = '' LIMIT 1;

-- Keys that look like another one ("10002" with a zero-width space) are refused, as
-- the meal codes are.
SELECT talo_raise('Employee number must not contain invisible characters.')
FROM temp.talo_staff_rows WHERE talo_invisible(n) LIMIT 1;

SELECT talo_raise('Department code must not contain invisible characters.')
FROM temp.talo_staff_rows WHERE talo_invisible(d) LIMIT 1;

-- Lengths in UTF-16 units, as every procedure (and SQL Server's NVARCHAR) counts them.
SELECT talo_raise('Employee ' || n || ': a value is longer than its column allows.')
FROM temp.talo_staff_rows
WHERE talo_length(n) > 30 OR talo_length(l) > 100 OR talo_length(f) > 100
   OR talo_length(m) > 100 OR talo_length(d) > 30 OR talo_length(dn) > 200
ORDER BY seq LIMIT 1;

SELECT talo_raise('Employee ' || n || ': the last name is required.')
FROM temp.talo_staff_rows WHERE l = '' ORDER BY seq LIMIT 1;

SELECT talo_raise('Active must be 1 (active) or 0 (inactive), not ''' || a || '''.')
FROM temp.talo_staff_rows WHERE a NOT IN ('1', '0') ORDER BY seq LIMIT 1;

SELECT talo_raise('Employee number ' || min(n) || ' appears twice.')
FROM temp.talo_staff_rows GROUP BY n COLLATE UNICODE_CI HAVING count(*) > 1 LIMIT 1;

-- A number that is the same number as another once Unicode folds it (full-width digits,
-- compatibility forms). Two ASCII numbers fold alike only when they are equal as above,
-- so only the employees whose number is not plain ASCII need their folded form.
SELECT talo_raise('Employee number ' || max(n) || ' is the same number as ' || min(n) || '.')
FROM temp.talo_staff_rows GROUP BY talo_key_form(n) HAVING count(*) > 1 LIMIT 1;

WITH row_key AS MATERIALIZED (
    SELECT seq, n, talo_key_form(n) AS k FROM temp.talo_staff_rows
),
unusual AS MATERIALIZED (
    SELECT EmpNum AS e, talo_key_form(EmpNum) AS k FROM Payroll.tbcmaster
    WHERE EmpNum GLOB '*[^ -~]*'
),
clash AS (
    SELECT r.seq, r.n,
           coalesce(CASE WHEN r.n GLOB '*[^ -~]*'
                         THEN (SELECT m.EmpNum FROM Payroll.tbcmaster m
                               WHERE m.EmpNum = r.k AND m.EmpNum <> r.n) END,
                    (SELECT u.e FROM unusual u
                     WHERE u.k = r.k AND u.e <> r.n COLLATE UNICODE_CI LIMIT 1)) AS e
    FROM row_key r
)
SELECT talo_raise('Employee number ' || n || ' is the same number as ' || e
                  || ', who is already on file.')
FROM clash WHERE e IS NOT NULL ORDER BY seq LIMIT 1;

SELECT talo_raise('Department ' || min(d) || ' is given two names.')
FROM temp.talo_staff_rows WHERE dn <> ''
GROUP BY d COLLATE UNICODE_CI HAVING count(DISTINCT dn) > 1 LIMIT 1;

SELECT talo_raise('Unknown department ' || r.d || '.')
FROM temp.talo_staff_rows r
WHERE r.d <> '' AND r.dn = ''
  AND NOT EXISTS (SELECT 1 FROM Payroll.tbcDepartment t WHERE t.DeptCode = r.d)
  AND NOT EXISTS (SELECT 1 FROM temp.talo_staff_rows named
                  WHERE named.d = r.d COLLATE UNICODE_CI AND named.dn <> '')
ORDER BY r.seq LIMIT 1;

-- Departments named in the rows: created or renamed.
WITH dep AS (
    SELECT min(d) AS d, max(dn) AS dn FROM temp.talo_staff_rows
    WHERE d <> '' AND dn <> ''
    GROUP BY d COLLATE UNICODE_CI
)
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields, BatchKey)
SELECT 'tbcDepartment', dep.d,
       CASE WHEN t.DeptCode IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN t.DeptCode IS NULL THEN 'Description=' || dep.dn
            ELSE 'Description: ' || t.Description || ' -> ' || dep.dn END,
       :user, talo_now(), talo_login(),
       json_object('Description', CASE WHEN t.DeptCode IS NULL THEN json_object('new', dep.dn)
                                       ELSE json_object('old', t.Description, 'new', dep.dn) END),
       nullif(:batch, '')
FROM dep LEFT JOIN Payroll.tbcDepartment t ON t.DeptCode = dep.d
WHERE t.DeptCode IS NULL OR t.Description <> dep.dn COLLATE BINARY;

WITH dep AS (
    SELECT min(d) AS d, max(dn) AS dn FROM temp.talo_staff_rows
    WHERE d <> '' AND dn <> ''
    GROUP BY d COLLATE UNICODE_CI
)
INSERT INTO Payroll.tbcDepartment(DeptCode, Description)
SELECT d, dn FROM dep WHERE true
ON CONFLICT(DeptCode) DO UPDATE SET Description = excluded.Description
WHERE Description <> excluded.Description COLLATE BINARY;

-- What this slice adds to the import's batch row: the employees it adds, deactivates
-- (active before, inactive in the file) and otherwise changes. A slice that changes only
-- departments still makes the row, so that every keyed audit row has its batch.
WITH change AS (
    SELECT e.EmpNum IS NULL AS added,
           coalesce(e.Active = '1' AND r.a = '0', 0) AS deactivated
    FROM temp.talo_staff_rows r LEFT JOIN Payroll.tbcmaster e ON e.EmpNum = r.n
    WHERE e.EmpNum IS NULL
       OR e.Lastname <> r.l COLLATE BINARY OR e.Firstname <> r.f COLLATE BINARY
       OR e.Middlename <> r.m COLLATE BINARY
       OR coalesce(e.DeptCode, '') <> r.d COLLATE UNICODE_CI OR e.Active <> r.a
)
INSERT INTO Station.tbTALOAuditBatch(BatchKey, Kind, Title, Added, Changed, Deactivated)
SELECT :batch, 'IMPORT', coalesce(:file, ''), coalesce(sum(added), 0),
       coalesce(sum(NOT added AND NOT deactivated), 0), coalesce(sum(deactivated), 0)
FROM change
WHERE coalesce(:batch, '') <> ''
HAVING count(*) > 0 OR EXISTS (SELECT 1 FROM Station.tbTALOAuditLog WHERE BatchKey = :batch)
ON CONFLICT(BatchKey) DO UPDATE SET
    Added = Added + excluded.Added,
    Changed = Changed + excluded.Changed,
    Deactivated = Deactivated + excluded.Deactivated;

-- Employees: one audit row for each new or differing employee, then the rows themselves.
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields, BatchKey)
SELECT 'tbcmaster', coalesce(e.EmpNum, r.n),
       CASE WHEN e.EmpNum IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN e.EmpNum IS NULL
            THEN 'Lastname=' || r.l || '; Firstname=' || r.f || '; Middlename=' || r.m
                 || '; DeptCode=' || r.d || '; Active=' || r.a
            -- The employee's name as it was, then what changed: the log names whom it
            -- changed as every other row does.
            ELSE 'EmployeeName=' || rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                || CASE WHEN e.Lastname <> r.l COLLATE BINARY
                     THEN '; Lastname: ' || e.Lastname || ' -> ' || r.l ELSE '' END
                || CASE WHEN e.Firstname <> r.f COLLATE BINARY
                        THEN '; Firstname: ' || e.Firstname || ' -> ' || r.f ELSE '' END
                || CASE WHEN e.Middlename <> r.m COLLATE BINARY
                        THEN '; Middlename: ' || e.Middlename || ' -> ' || r.m ELSE '' END
                || CASE WHEN coalesce(e.DeptCode, '') <> r.d COLLATE UNICODE_CI
                        THEN '; DeptCode: ' || coalesce(e.DeptCode, '') || ' -> ' || r.d
                        ELSE '' END
                || CASE WHEN e.Active <> r.a
                        THEN '; Active: ' || e.Active || ' -> ' || r.a ELSE '' END END,
       :user, talo_now(), talo_login(),
       CASE WHEN e.EmpNum IS NULL
            THEN json_object('Lastname', json_object('new', r.l),
                             'Firstname', json_object('new', r.f),
                             'Middlename', json_object('new', r.m),
                             'DeptCode', json_object('new', nullif(r.d, '')),
                             'Active', json_object('new', r.a))
            ELSE json_object('Lastname', json_object('old', e.Lastname, 'new', r.l),
                             'Firstname', json_object('old', e.Firstname, 'new', r.f),
                             'Middlename', json_object('old', e.Middlename, 'new', r.m),
                             'DeptCode', json_object('old', e.DeptCode, 'new', nullif(r.d, '')),
                             'Active', json_object('old', e.Active, 'new', r.a)) END,
       nullif(:batch, '')
FROM temp.talo_staff_rows r LEFT JOIN Payroll.tbcmaster e ON e.EmpNum = r.n
WHERE e.EmpNum IS NULL
   OR e.Lastname <> r.l COLLATE BINARY OR e.Firstname <> r.f COLLATE BINARY
   OR e.Middlename <> r.m COLLATE BINARY
   OR coalesce(e.DeptCode, '') <> r.d COLLATE UNICODE_CI OR e.Active <> r.a
ORDER BY r.seq;

INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, Active)
SELECT n, l, f, m, nullif(d, ''), a FROM temp.talo_staff_rows WHERE true
ON CONFLICT(EmpNum) DO UPDATE SET
    Lastname = excluded.Lastname,
    Firstname = excluded.Firstname,
    Middlename = excluded.Middlename,
    DeptCode = excluded.DeptCode,
    Active = excluded.Active
WHERE Lastname <> excluded.Lastname COLLATE BINARY
   OR Firstname <> excluded.Firstname COLLATE BINARY
   OR Middlename <> excluded.Middlename COLLATE BINARY
   OR coalesce(DeptCode, '') <> coalesce(excluded.DeptCode, '') COLLATE UNICODE_CI
   OR Active <> excluded.Active;
