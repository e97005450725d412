-- parameters: date, text
-- access: read
-- Active employees found by exact number, by a last name that begins with the text, or
-- by "Last, First Middle" that begins with it. Each branch is an index lookup: the
-- last-name prefix is a range on the Lastname index (the UNICODE_CI order keeps every
-- name that begins with the text between the text and the text followed by U+FFFF).
SELECT talo_raise('''' || :date || ''' is not a valid date.')
WHERE talo_iso(:date) IS NULL;

SELECT e.EmpNum AS EMPNUM,
       e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename AS NAME,
       talo_general_day(:date) AS DATE,
       COALESCE(d.Description, '') AS DEPARTMENT
FROM (
    SELECT EmpNum FROM Payroll.tbcmaster WHERE EmpNum = :text
    UNION
    SELECT EmpNum FROM Payroll.tbcmaster
    WHERE Lastname >= :text AND Lastname < :text || char(65535)
      AND talo_starts_with(Lastname, :text)
    UNION
    SELECT EmpNum FROM Payroll.tbcmaster
    WHERE instr(:text, ',') > 0
      AND Lastname = rtrim(substr(:text, 1, instr(:text, ',') - 1))
      AND talo_starts_with(Lastname || ', ' || Firstname || ' ' || Middlename, :text)
) found
JOIN Payroll.tbcmaster e ON e.EmpNum = found.EmpNum
LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode
WHERE e.Active = '1'
ORDER BY NAME COLLATE UNICODE_CI, e.EmpNum;
