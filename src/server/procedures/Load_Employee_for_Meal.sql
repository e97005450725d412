-- parameters: date, text
-- access: read
-- role: counter
-- Active employees found by exact number, by a last name that begins with the text, or
-- by "Last, First Middle" that begins with it. Each branch is an index lookup: the
-- last-name prefix is a range on the Lastname index (the UNICODE_CI order keeps every
-- name that begins with the text between the text and the text followed by U+FFFF).

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Search text can be at most 200 characters long.') WHERE talo_length(:text) > 200;

SELECT talo_raise('''' || :date || ''' is not a valid date.')
WHERE talo_iso(:date) IS NULL;

SELECT e.EmpNum AS EMPNUM,
       e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename AS NAME,
       talo_general_day(:date) AS DATE,
       COALESCE(d.Description, '') AS DEPARTMENT
FROM Payroll.tbcmaster e
LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode
WHERE e.Active = '1'
  AND (e.EmpNum = :text
       OR (e.Lastname >= :text AND e.Lastname < :text || char(65535)
           AND talo_starts_with(e.Lastname, :text))
       OR (instr(:text, ',') > 0
           AND e.Lastname = rtrim(substr(:text, 1, instr(:text, ',') - 1))
           AND talo_starts_with(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename, :text)))
ORDER BY NAME COLLATE UNICODE_CI, e.EmpNum;
