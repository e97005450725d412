-- parameters: date, text
-- access: read
-- role: counter
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

-- The opening search (an empty text lists every active employee) reads the name-order
-- index ixMasterNameOrder from end to end; any other text takes the look-ups below and
-- sorts the few rows found. Only one branch reads rows for a given text (the other
-- one's test of :text fails before its first row), and each keeps its order.
SELECT found.EmpNum AS EMPNUM,
       found.Lastname || ', ' || found.Firstname || ' ' || found.Middlename AS NAME,
       (SELECT talo_general_day(:date)) AS DATE,
       COALESCE(d.Description, '') AS DEPARTMENT
FROM (
    SELECT * FROM (
        SELECT e.EmpNum, e.Lastname, e.Firstname, e.Middlename, e.DeptCode
        FROM Payroll.tbcmaster e
        WHERE :text = '' AND e.Active = '1'
        ORDER BY talo_sort_key(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename),
                 e.EmpNum
        LIMIT -1)
    UNION ALL
    SELECT * FROM (
        SELECT e.EmpNum, e.Lastname, e.Firstname, e.Middlename, e.DeptCode
        FROM Payroll.tbcmaster e
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
        LIMIT -1)
) found
LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = found.DeptCode;
