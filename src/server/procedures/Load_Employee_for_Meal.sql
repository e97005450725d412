-- parameters: date, text
-- access: read
-- role: signin
-- Active employees found by exact number, by a last name that begins with the text, or
-- by "Last, First Middle" that begins with it. Each branch is an index lookup: the
-- last-name prefix is a range on the Lastname index, from the text up to the least
-- text after every name that begins with it (talo_prefix_end). A last name may hold
-- commas itself ("Cruz, Jr."): it is then the text up to one of its commas, so it lies
-- between the text up to the first comma and the whole text.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Search text can be at most 200 characters long.') WHERE talo_length(:text) > 200;

SELECT talo_raise('''' || :date || ''' is not a valid date.')
WHERE talo_iso(:date) IS NULL;

-- The opening search (an empty text lists every active employee) scans the name-order
-- index ixMasterNameOrder from end to end: the index is named, the scan has no sort, so
-- its rows come in the index's order ("Last, First Middle" through UNICODE_CI, then the
-- number; tst_Procedures checks it against that sort). It has no ORDER BY of its own:
-- in a compound that would need a subquery, whose rows SQLite copies one by one into
-- the outer query, value by value. Any other text takes the look-ups of the second
-- branch and sorts the few rows found. Only one branch reads rows for a given text (the
-- other one's test of :text fails before its first row).
SELECT e.EmpNum AS EMPNUM,
       talo_full_name(e.Lastname, e.Firstname, e.Middlename) AS NAME,
       talo_iso_day(:date) AS DATE,
       COALESCE(d.Description, '') AS DEPARTMENT
FROM Payroll.tbcmaster e INDEXED BY ixMasterNameOrder
LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode
WHERE :text = '' AND e.Active = '1'
UNION ALL
SELECT * FROM (
    SELECT e.EmpNum AS EMPNUM,
           talo_full_name(e.Lastname, e.Firstname, e.Middlename) AS NAME,
           talo_iso_day(:date) AS DATE,
           COALESCE(d.Description, '') AS DEPARTMENT
    FROM Payroll.tbcmaster e
    LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode
    WHERE :text <> '' AND e.Active = '1'
      AND (e.EmpNum = :text
           OR (e.Lastname >= :text AND e.Lastname < talo_prefix_end(:text)
               AND talo_starts_with(e.Lastname, :text))
           OR (instr(:text, ',') > 0
               AND e.Lastname >= rtrim(substr(:text, 1, instr(:text, ',') - 1))
               AND e.Lastname <= :text
               AND talo_starts_with(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename,
                                    :text)))
    ORDER BY talo_sort_key(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename),
             e.EmpNum
    LIMIT -1);
