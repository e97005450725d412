-- parameters: scope, department, employees, types, apply, user, [batch]
-- access: write
-- json: employees, types
-- role: masters
-- Tags several meal types to a set of employees in one call. scope picks the employees:
-- ALL every active employee, DEPARTMENT the active employees of department, LIST the
-- active employees of the JSON array employees (each must exist; the inactive ones are
-- left out, and EMPLOYEES tells how many were not). types is a
-- JSON array of meal type codes (each must exist and be active). With apply '0' nothing
-- is changed (the preview); with '1' every missing tag is added, one audit row per tag as
-- the single tag save writes it; a tag that exists is kept as it is. The result, one row
-- per meal type by CODE: EMPLOYEES chosen, TAGGED the tags added (or that would be),
-- ALREADY the chosen employees who had the tag. batch, when given, is the key the program
-- chose for this tagging: its audit rows carry it, and its batch row names the meal types
-- tagged and counts the employees given a tag.

-- Longer values than the columns hold are refused before anything else.
-- employees and types are not columns: generous for 200,000 numbers and 500 codes.
SELECT talo_raise('Scope can be at most 20 characters long.') WHERE talo_length(:scope) > 20;
SELECT talo_raise('Department code can be at most 30 characters long.') WHERE talo_length(:department) > 30;
SELECT talo_raise('Employees can be at most 7000000 characters long.') WHERE talo_length(:employees) > 7000000;
SELECT talo_raise('Meal types can be at most 20000 characters long.') WHERE talo_length(:types) > 20000;
SELECT talo_raise('Apply can be at most 1 character long.') WHERE talo_length(:apply) > 1;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;
SELECT talo_raise('Batch key can be at most 40 characters long.') WHERE talo_length(:batch) > 40;

-- The scope in any letter case, trailing blanks left out as SQL Server's = leaves them.
SELECT talo_raise('Unknown selection ''' || :scope || '''; use ALL, DEPARTMENT or LIST.')
WHERE upper(rtrim(:scope)) NOT IN ('ALL', 'DEPARTMENT', 'LIST');

SELECT talo_raise('Apply must be 1 (tag) or 0 (preview), not ''' || :apply || '''.')
WHERE :apply NOT IN ('1', '0');

SELECT talo_raise('The meal types must be a JSON array.')
WHERE CASE WHEN json_valid(:types) THEN json_type(:types) <> 'array' ELSE 1 END;

-- Codes are texts: true or 12 would read as '1' or '12' here and as 'true' on SQL Server.
SELECT talo_raise('Each meal type must be a JSON text.')
FROM json_each(:types) WHERE type NOT IN ('text', 'null') LIMIT 1;

SELECT talo_raise('Choose at least one meal type.')
WHERE json_array_length(:types) = 0;

SELECT talo_raise('Meal type code is required.')
FROM json_each(:types) WHERE trim(CAST(value AS TEXT)) = '' OR value IS NULL LIMIT 1;

SELECT talo_raise('Unknown meal type ' || j.value || '.')
FROM json_each(:types) j
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMealType WHERE Code = CAST(j.value AS TEXT))
ORDER BY j.key LIMIT 1;

SELECT talo_raise('Meal type ' || mt.Code || ' is inactive.')
FROM json_each(:types) j JOIN Station.tbcoMealType mt ON mt.Code = CAST(j.value AS TEXT)
WHERE mt.Status <> '1'
ORDER BY j.key LIMIT 1;

SELECT talo_raise('Department code is required.')
WHERE upper(rtrim(:scope)) = 'DEPARTMENT' AND trim(:department) = '';

SELECT talo_raise('Unknown department ' || :department || '.')
WHERE upper(rtrim(:scope)) = 'DEPARTMENT' AND trim(:department) <> ''
  -- Trailing blanks do not count, as in SQL Server's = (the codes are stored trimmed).
  AND NOT EXISTS (SELECT 1 FROM Payroll.tbcDepartment WHERE DeptCode = rtrim(:department, ' '));

SELECT talo_raise('The employees must be a JSON array.')
WHERE upper(rtrim(:scope)) = 'LIST'
  AND CASE WHEN json_valid(:employees) THEN json_type(:employees) <> 'array' ELSE 1 END;

SELECT talo_raise('Each employee must be a JSON text.')
FROM json_each(CASE WHEN upper(rtrim(:scope)) = 'LIST' THEN :employees ELSE '[]' END)
WHERE type NOT IN ('text', 'null') LIMIT 1;

SELECT talo_raise('Employee number is required.')
FROM json_each(CASE WHEN upper(rtrim(:scope)) = 'LIST' THEN :employees ELSE '[]' END)
WHERE trim(CAST(value AS TEXT)) = '' OR value IS NULL LIMIT 1;

SELECT talo_raise('Unknown employee ' || j.value || '.')
FROM json_each(CASE WHEN upper(rtrim(:scope)) = 'LIST' THEN :employees ELSE '[]' END) j
WHERE NOT EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = CAST(j.value AS TEXT))
ORDER BY j.key LIMIT 1;

-- An inactive employee of the list is left out, not refused: an import's new employees
-- may hold some the file marks inactive. EMPLOYEES counts the others.

-- Every (employee, meal type) pair chosen, and whether the tag is there already, in
-- temp.talo_bulk_tags: a scratch table of this connection that the store creates when it
-- opens, emptied on every call.
DELETE FROM temp.talo_bulk_tags;

INSERT INTO temp.talo_bulk_tags(e, t, had)
SELECT e.EmpNum, mt.Code,
       EXISTS (SELECT 1 FROM Station.tbTALOEmployeeMeal x
               WHERE x.EmpNum = e.EmpNum AND x.MealTypeCode = mt.Code)
FROM Payroll.tbcmaster e CROSS JOIN Station.tbcoMealType mt
WHERE mt.Code IN (SELECT CAST(value AS TEXT) FROM json_each(:types))
  AND e.Active = '1'
  AND CASE upper(rtrim(:scope))
          WHEN 'ALL' THEN 1
          WHEN 'DEPARTMENT' THEN e.DeptCode = rtrim(:department, ' ')
          ELSE e.EmpNum IN (SELECT CAST(value AS TEXT) FROM json_each(
                   CASE WHEN upper(rtrim(:scope)) = 'LIST' THEN :employees ELSE '[]' END))
      END;

-- In (employee, meal type) order, the order of the tags' key: the rows go in one after
-- the other instead of all over the index. The clock and the login are read once.
WITH stamp AS MATERIALIZED (SELECT talo_now() AS now, talo_login() AS login)
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields, BatchKey)
SELECT 'tbTALOEmployeeMeal', b.e || '/' || b.t, 'TAG',
       'EmployeeName=' || rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
           || '; TypeName=' || mt.Description,
       :user, stamp.now, stamp.login,
       json_object('EmpNum', json_object('new', e.EmpNum),
                   'MealTypeCode', json_object('new', mt.Code)),
       nullif(:batch, '')
FROM temp.talo_bulk_tags b CROSS JOIN stamp
JOIN Payroll.tbcmaster e ON e.EmpNum = b.e
JOIN Station.tbcoMealType mt ON mt.Code = b.t
WHERE :apply = '1' AND b.had = 0
ORDER BY b.e, b.t;

-- The meal types that gained a tag, by code, and how many employees were given one.
INSERT INTO Station.tbTALOAuditBatch(BatchKey, Kind, Title, Added)
SELECT :batch, 'BULKTAG',
       (SELECT group_concat(d, ', ') FROM (
            SELECT mt.Description AS d FROM Station.tbcoMealType mt
            WHERE mt.Code IN (SELECT t FROM temp.talo_bulk_tags WHERE had = 0)
            ORDER BY mt.Code)),
       count(DISTINCT e)
FROM temp.talo_bulk_tags
WHERE :apply = '1' AND had = 0 AND coalesce(:batch, '') <> ''
HAVING count(*) > 0
ON CONFLICT(BatchKey) DO UPDATE SET Added = Added + excluded.Added;

WITH stamp AS MATERIALIZED (SELECT talo_now() AS now)
INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, TaggedBy, TaggedAt)
SELECT b.e, b.t, :user, stamp.now
FROM temp.talo_bulk_tags b CROSS JOIN stamp
WHERE :apply = '1' AND b.had = 0
ORDER BY b.e, b.t;

SELECT mt.Code AS CODE, mt.Description AS DESCRIPTION, coalesce(c.n, 0) AS EMPLOYEES,
       coalesce(c.added, 0) AS TAGGED, coalesce(c.had, 0) AS ALREADY
FROM Station.tbcoMealType mt
LEFT JOIN (SELECT t, count(*) AS n, sum(had = 0) AS added, sum(had) AS had
           FROM temp.talo_bulk_tags GROUP BY t) c ON c.t = mt.Code
WHERE mt.Code IN (SELECT CAST(value AS TEXT) FROM json_each(:types))
ORDER BY mt.Code;
