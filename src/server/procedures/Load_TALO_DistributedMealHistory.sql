-- parameters: from, to, employee, meal, mode, clerk, revoked, afterdate, aftertrans, pagesize
-- access: read
-- role: signin
-- One page of the history of distributed meals, in (date-time, transaction number)
-- order: the meals from `from` to `to` (both date-times, both included), of the
-- employee, meal, meal mode and clerk when given, revoked ones only when `revoked` is 1.
-- An empty `to` has no end; an empty `from` reads the 31 days ending at `to` (its day
-- and the 30 before it), ending today by the server's clock when `to` is empty too
-- (talo_history_from, talo_history_to), so that no call reads every meal ever recorded.
-- Trailing blanks do not count, as in SQL Server's =: a filter of blanks is no filter. A page starts after the meal (`afterdate`, `aftertrans`) that ended
-- the page before (both empty for the first page) and holds at most `pagesize` meals.
--
-- Keyset paging: every branch below reads one index from the page's first key on and
-- stops after a page, so a page costs the same on the first day and after ten years.
-- Exactly one branch runs (its constant condition is tested once, before its loop): the
-- employee, else the clerk, else the meal, else the date range alone picks the index.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:from) > 40;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:to) > 40;
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal code can be at most 30 characters long.') WHERE talo_length(:meal) > 30;
SELECT talo_raise('Meal mode can be at most 50 characters long.') WHERE talo_length(:mode) > 50;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;
SELECT talo_raise('Revoked can be at most 1 character long.') WHERE talo_length(:revoked) > 1;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:afterdate) > 40;
SELECT talo_raise('Transaction number can be at most 20 characters long.') WHERE talo_length(:aftertrans) > 20;
SELECT talo_raise('Page size can be at most 20 characters long.') WHERE talo_length(:pagesize) > 20;

SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE trim(:from) <> '' AND talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE trim(:to) <> '' AND talo_iso(:to) IS NULL;

SELECT talo_raise('Revoked meals are shown with 1 or hidden with 0, not ''' || :revoked || '''.')
WHERE :revoked NOT IN ('1', '0');

SELECT talo_raise('''' || :afterdate || ''' is not a valid date and time.')
WHERE trim(:afterdate) <> '' AND talo_iso(:afterdate) IS NULL;

SELECT talo_raise('''' || :aftertrans || ''' is not a transaction number.')
WHERE trim(:afterdate) <> ''
  AND NOT (length(trim(:aftertrans)) BETWEEN 1 AND 18
           AND trim(:aftertrans) NOT GLOB '*[^0-9]*');

SELECT talo_raise('The page size must be a whole number from 1 to 1000, not ''' || :pagesize || '''.')
WHERE NOT (length(trim(:pagesize)) BETWEEN 1 AND 4 AND trim(:pagesize) NOT GLOB '*[^0-9]*'
           AND CAST(trim(:pagesize) AS INTEGER) BETWEEN 1 AND 1000);

-- The page's meals are found first (one branch), kept in the order their index gave
-- them, and only then joined to their names: a page is never sorted, and rows are read
-- from the materialized page in the order they were written to it. CROSS JOIN keeps the
-- page the outer loop whatever the planner would weigh, so that order is the rows' order.
SELECT talo_general_date(dm.MealDate) AS MEALDATE,
       dm.EmpNum AS EMPNUM,
       COALESCE(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename, '') AS NAME,
       COALESCE(d.Description, '') AS DEPARTMENT,
       dm.MealCode AS MEAL,
       COALESCE(m.Description, '') AS DESCRIPTION,
       dm.MealMode AS MEALMODE,
       dm.Remarks AS REMARKS,
       dm.ClerkID AS CLERKID,
       talo_general_date(dm.RecordedAt) AS RECORDEDAT,
       COALESCE(dm.RevokedBy, '') AS REVOKEDBY,
       COALESCE(talo_general_date(dm.RevokedAt), '') AS REVOKEDAT,
       dm.TransNum AS TRANSNUM
FROM (
    WITH page AS MATERIALIZED (
        SELECT TransNum FROM (
            SELECT dm.TransNum FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedEmpDate
            WHERE rtrim(:employee) <> ''
              AND dm.EmpNum = :employee
              AND dm.MealDate >= max(talo_history_from(:from, :to), COALESCE(talo_iso(:afterdate), ''))
              AND dm.MealDate <= talo_history_to(:from, :to)
              AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
              AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
              AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)
              AND (:revoked = '1' OR dm.RevokedAt IS NULL)
              AND (trim(:afterdate) = '' OR dm.MealDate > talo_iso(:afterdate)
                   OR dm.TransNum > CAST(trim(:aftertrans) AS INTEGER))
            ORDER BY dm.MealDate, dm.TransNum LIMIT CAST(trim(:pagesize) AS INTEGER))
        UNION ALL
        SELECT TransNum FROM (
            SELECT dm.TransNum FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedClerkDate
            WHERE rtrim(:employee) = '' AND rtrim(:clerk) <> ''
              AND dm.ClerkID = :clerk
              AND dm.MealDate >= max(talo_history_from(:from, :to), COALESCE(talo_iso(:afterdate), ''))
              AND dm.MealDate <= talo_history_to(:from, :to)
              AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
              AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
              AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)
              AND (:revoked = '1' OR dm.RevokedAt IS NULL)
              AND (trim(:afterdate) = '' OR dm.MealDate > talo_iso(:afterdate)
                   OR dm.TransNum > CAST(trim(:aftertrans) AS INTEGER))
            ORDER BY dm.MealDate, dm.TransNum LIMIT CAST(trim(:pagesize) AS INTEGER))
        UNION ALL
        SELECT TransNum FROM (
            SELECT dm.TransNum FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedMealDate
            WHERE rtrim(:employee) = '' AND rtrim(:clerk) = '' AND rtrim(:meal) <> ''
              AND dm.MealCode = :meal
              AND dm.MealDate >= max(talo_history_from(:from, :to), COALESCE(talo_iso(:afterdate), ''))
              AND dm.MealDate <= talo_history_to(:from, :to)
              AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
              AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
              AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)
              AND (:revoked = '1' OR dm.RevokedAt IS NULL)
              AND (trim(:afterdate) = '' OR dm.MealDate > talo_iso(:afterdate)
                   OR dm.TransNum > CAST(trim(:aftertrans) AS INTEGER))
            ORDER BY dm.MealDate, dm.TransNum LIMIT CAST(trim(:pagesize) AS INTEGER))
        UNION ALL
        SELECT TransNum FROM (
            SELECT dm.TransNum FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedDate
            WHERE rtrim(:employee) = '' AND rtrim(:clerk) = '' AND rtrim(:meal) = ''
              AND dm.MealDate >= max(talo_history_from(:from, :to), COALESCE(talo_iso(:afterdate), ''))
              AND dm.MealDate <= talo_history_to(:from, :to)
              AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
              AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
              AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)
              AND (:revoked = '1' OR dm.RevokedAt IS NULL)
              AND (trim(:afterdate) = '' OR dm.MealDate > talo_iso(:afterdate)
                   OR dm.TransNum > CAST(trim(:aftertrans) AS INTEGER))
            ORDER BY dm.MealDate, dm.TransNum LIMIT CAST(trim(:pagesize) AS INTEGER))
    )
    SELECT TransNum FROM page) AS page
CROSS JOIN Station.tbTALOEmployeeDistributedMeals AS dm ON dm.TransNum = page.TransNum
LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = dm.EmpNum
LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode
LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode;
