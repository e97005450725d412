-- parameters: date, text
-- access: read
-- Active employees found by exact number, by a last name that begins with the text, or
-- by "Last, First Middle" that begins with it. Each branch is an index lookup: the
-- last-name prefix is a range on the Lastname index, from the text up to the least
-- text after every name that begins with it (talo_prefix_end). A last name may hold
-- commas itself ("Cruz, Jr."): it is then the text up to one of its commas, so it lies
-- between the text up to the first comma and the whole text.
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
       OR (e.Lastname >= :text AND e.Lastname < talo_prefix_end(:text)
           AND talo_starts_with(e.Lastname, :text))
       OR (instr(:text, ',') > 0
           AND e.Lastname >= rtrim(substr(:text, 1, instr(:text, ',') - 1))
           AND e.Lastname <= :text
           AND talo_starts_with(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename, :text)))
-- talo_sort_key gives the UNICODE_CI order of the names: the opening search sorts every
-- employee, and comparing keys is far cheaper than comparing names through the collation.
ORDER BY talo_sort_key(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), e.EmpNum;
