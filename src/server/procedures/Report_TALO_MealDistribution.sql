-- parameters: from, to, group1, group2, layout
-- access: read
-- role: reports
-- The meal distribution report for the meals from `from` to `to` (date-times, both
-- included), aggregated here so the window receives one row per group, whatever the
-- number of meals. `layout` is one of
--   SUMMARY  the meals handed out, grouped by `group1` and (when not empty) `group2`;
--   PAYROLL  the meals handed out per employee (KEY1 employee number, KEY2 department);
--   REVOKED  one row per revoked meal (KEY1 employee, KEY2 meal) with who and when.
-- The groupings: MEALTYPE, MEAL, MEALTIME (the meal mode), DAY, DEPARTMENT, EMPLOYEE,
-- CLERK. A meal costs what its master cost when it was saved; rows saved before that
-- cost was recorded take the master's current cost (counted in PRICEDNOW), and an empty
-- cost counts as zero (counted in NOCOST). COST is the sum with two decimals.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('From can be at most 40 characters long.') WHERE talo_length(:from) > 40;
SELECT talo_raise('To can be at most 40 characters long.') WHERE talo_length(:to) > 40;
SELECT talo_raise('Grouping can be at most 20 characters long.') WHERE talo_length(:group1) > 20;
SELECT talo_raise('Grouping can be at most 20 characters long.') WHERE talo_length(:group2) > 20;
SELECT talo_raise('Layout can be at most 20 characters long.') WHERE talo_length(:layout) > 20;
SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE talo_iso(:to) IS NULL;

SELECT talo_raise('The report period starts after it ends.')
WHERE talo_iso(:from) > talo_iso(:to);

SELECT talo_raise('The report period may not be longer than 366 days.')
WHERE julianday(talo_iso(:to)) - julianday(talo_iso(:from)) >= 366;

-- Layout and groupings are read in any letter case and, as SQL Server's = reads them,
-- without trailing blanks.
SELECT talo_raise('Unknown report layout ''' || :layout || '''; use SUMMARY, PAYROLL or REVOKED.')
WHERE upper(rtrim(:layout)) NOT IN ('SUMMARY', 'PAYROLL', 'REVOKED');

-- The first grouping is checked before the second.
SELECT talo_raise('Unknown grouping ''' || bad.Name || '''; use MEALTYPE, MEAL, MEALTIME, DAY, DEPARTMENT, EMPLOYEE or CLERK.')
FROM (SELECT g.Name FROM (SELECT 1 AS Level, :group1 AS Name UNION ALL SELECT 2, :group2) AS g
      WHERE upper(rtrim(g.Name)) NOT IN ('', 'MEALTYPE', 'MEAL', 'MEALTIME', 'DAY', 'DEPARTMENT', 'EMPLOYEE', 'CLERK')
      ORDER BY g.Level LIMIT 1) AS bad;

SELECT talo_raise('The summary needs a first grouping.')
WHERE upper(rtrim(:layout)) = 'SUMMARY' AND rtrim(:group1) = '';

SELECT talo_raise('The second grouping repeats the first.')
WHERE rtrim(:group2) <> '' AND upper(rtrim(:group2)) = upper(rtrim(:group1));

-- Each layout has its own part of the statement below (the others yield nothing), so
-- that each groups only what it reports. The meals handed out are counted once:
-- 1. the period's meals are read from the report's covering index and counted per
--    combination of the codes they store, compared byte for byte (no collation, no
--    look-up, no cost arithmetic per meal), with the recorded cost as one more key.
--    talo_tally counts them in a hash table: a GROUP BY would sort every meal first,
--    most of the report's time. The meal code is a key only where no cost was
--    recorded, for the master's current cost. Each combination is costed once, as its
--    count of meals at one cost;
-- 2. the summary's combinations find their report group (a meal's type, an employee's
--    department) and are added up per report group; the payroll's are the employees;
-- 3. the names are looked up once per report group.
-- Revoked meals are listed one by one from their own index.
SELECT KEY1, LABEL1, KEY2, LABEL2, MEALS, COST, PRICEDNOW, NOCOST,
       MEALDATE, CLERKID, REVOKEDBY, REVOKEDAT
FROM (
    WITH tallied AS MATERIALIZED (
        -- Step 1: the counting, one row holding every combination and its meals.
        SELECT talo_tally(
                   CASE upper(rtrim(:layout)) WHEN 'SUMMARY' THEN CASE upper(rtrim(:group1))
                       WHEN 'MEALTYPE' THEN dm.MealCode
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE dm.EmpNum END
                   ELSE dm.EmpNum END,
                   CASE WHEN upper(rtrim(:layout)) <> 'SUMMARY' THEN '' ELSE CASE upper(rtrim(:group2))
                       WHEN '' THEN ''
                       WHEN 'MEALTYPE' THEN dm.MealCode
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE dm.EmpNum END END,
                   dm.MealCost,
                   CASE WHEN dm.MealCost IS NULL THEN dm.MealCode END) AS Tally
        FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedReport
        WHERE dm.MealDate >= talo_iso(:from) AND dm.MealDate <= talo_iso(:to)
          AND dm.RevokedAt IS NULL AND upper(rtrim(:layout)) <> 'REVOKED'
    ),
    -- (Not materialized: each part reads the one row of counts itself, rather than
    -- every combination being copied to a table first.)
    s AS NOT MATERIALIZED (
        -- Each combination costed: a meal saved before costs were recorded takes its
        -- meal's cost today.
        SELECT t.K1 AS Code1, t.K2 AS Code2, t.N AS Meals,
               t.N * CAST(round(CAST(COALESCE(t.K3, (SELECT m.Cost FROM Station.tbcoMeal AS m
                                                     WHERE m.Code = t.K4), '') AS REAL)
                                * 100) AS INTEGER) AS Cents,
               CASE WHEN t.K3 IS NULL THEN t.N ELSE 0 END AS PricedNow,
               CASE WHEN trim(COALESCE(t.K3, (SELECT m.Cost FROM Station.tbcoMeal AS m
                                              WHERE m.Code = t.K4), '')) = ''
                    THEN t.N ELSE 0 END AS NoCost
        FROM tallied, talo_tally_rows(tallied.Tally) AS t
    )
    -- The summary. Step 2: the stored codes become report groups, added up per report
    -- group. Codes group as the server's collation and the meal limits match them (case,
    -- width, blanks around), showing one spelling: the master's or the site's where
    -- there is one.
    SELECT a.Key1 AS KEY1,
           CASE upper(rtrim(:group1))
               WHEN 'MEALTYPE' THEN COALESCE((SELECT mt.Description FROM Station.tbcoMealType AS mt
                                              WHERE mt.Code = a.Key1), '')
               WHEN 'MEAL' THEN COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m
                                          WHERE m.Code = a.Key1), '')
               WHEN 'DEPARTMENT' THEN COALESCE((SELECT d.Description FROM Payroll.tbcDepartment AS d
                                                WHERE d.DeptCode = a.Key1), '')
               WHEN 'EMPLOYEE' THEN COALESCE(trim(e1.Lastname || ', ' || e1.Firstname || ' ' || e1.Middlename), '')
               ELSE a.Key1 END AS LABEL1,
           a.Key2 AS KEY2,
           CASE upper(rtrim(:group2))
               WHEN 'MEALTYPE' THEN COALESCE((SELECT mt.Description FROM Station.tbcoMealType AS mt
                                              WHERE mt.Code = a.Key2), '')
               WHEN 'MEAL' THEN COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m
                                          WHERE m.Code = a.Key2), '')
               WHEN 'DEPARTMENT' THEN COALESCE((SELECT d.Description FROM Payroll.tbcDepartment AS d
                                                WHERE d.DeptCode = a.Key2), '')
               WHEN 'EMPLOYEE' THEN COALESCE((SELECT trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                                              FROM Payroll.tbcmaster AS e WHERE e.EmpNum = a.Key2), '')
               ELSE a.Key2 END AS LABEL2,
           a.Meals AS MEALS,
           printf('%.2f', a.Cents / 100.0) AS COST,
           a.PricedNow AS PRICEDNOW,
           a.NoCost AS NOCOST,
           '' AS MEALDATE, '' AS CLERKID, '' AS REVOKEDBY, '' AS REVOKEDAT,
           -- Rows are put in order byte for byte, whichever part they come from.
           a.Key1 COLLATE BINARY AS SortFirst,
           a.Key2 COLLATE BINARY AS SortSecond,
           NULL AS SortThird
    FROM (
        SELECT min(c.Key1 COLLATE BINARY) AS Key1, min(c.Key2 COLLATE BINARY) AS Key2,
               sum(c.Meals) AS Meals, sum(c.Cents) AS Cents,
               sum(c.PricedNow) AS PricedNow, sum(c.NoCost) AS NoCost
        FROM (
          SELECT g.*,
                 CASE WHEN upper(rtrim(:group1)) NOT IN ('EMPLOYEE', 'DAY')
                      THEN talo_match_key(g.Key1) ELSE g.Key1 END AS G1,
                 CASE WHEN upper(rtrim(:group2)) NOT IN ('', 'EMPLOYEE', 'DAY')
                      THEN talo_match_key(g.Key2) ELSE g.Key2 END AS G2
          FROM (
            SELECT CASE upper(rtrim(:group1))
                       WHEN 'MEALTYPE' THEN COALESCE((SELECT coalesce(t.Code, m.MealType) FROM Station.tbcoMeal AS m
                                                      LEFT JOIN Station.tbcoMealType AS t ON t.Code = m.MealType
                                                      WHERE m.Code = s.Code1), '')
                       WHEN 'DEPARTMENT' THEN COALESCE((SELECT coalesce(d.DeptCode, e.DeptCode) FROM Payroll.tbcmaster AS e
                                                        LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                                                        WHERE e.EmpNum = s.Code1), '')
                       WHEN 'MEALTIME' THEN COALESCE((SELECT ms.MealMode FROM Station.tbTALOMealModeSetting AS ms
                                                      WHERE talo_match_key(ms.MealMode) = talo_match_key(s.Code1)),
                                                     trim(s.Code1))
                       WHEN 'CLERK' THEN trim(s.Code1)
                       ELSE s.Code1 END AS Key1,
                   CASE upper(rtrim(:group2))
                       WHEN '' THEN s.Code2
                       WHEN 'MEALTYPE' THEN COALESCE((SELECT coalesce(t.Code, m.MealType) FROM Station.tbcoMeal AS m
                                                      LEFT JOIN Station.tbcoMealType AS t ON t.Code = m.MealType
                                                      WHERE m.Code = s.Code2), '')
                       WHEN 'DEPARTMENT' THEN COALESCE((SELECT coalesce(d.DeptCode, e.DeptCode) FROM Payroll.tbcmaster AS e
                                                        LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                                                        WHERE e.EmpNum = s.Code2), '')
                       WHEN 'MEALTIME' THEN COALESCE((SELECT ms.MealMode FROM Station.tbTALOMealModeSetting AS ms
                                                      WHERE talo_match_key(ms.MealMode) = talo_match_key(s.Code2)),
                                                     trim(s.Code2))
                       WHEN 'CLERK' THEN trim(s.Code2)
                       ELSE s.Code2 END AS Key2,
                   s.Meals, s.Cents, s.PricedNow, s.NoCost
            FROM s
            WHERE upper(rtrim(:layout)) = 'SUMMARY'
          ) AS g
        ) AS c
        GROUP BY c.G1, c.G2
    ) AS a
    LEFT JOIN Payroll.tbcmaster AS e1 ON e1.EmpNum = a.Key1 AND upper(rtrim(:group1)) = 'EMPLOYEE'
    UNION ALL
    -- The payroll: step 1's combinations added up per employee.
    SELECT p.EmpNum,
           COALESCE(trim(e1.Lastname || ', ' || e1.Firstname || ' ' || e1.Middlename), ''),
           COALESCE(e1.DeptCode, ''),
           COALESCE((SELECT d.Description FROM Payroll.tbcDepartment AS d
                     WHERE d.DeptCode = e1.DeptCode), ''),
           p.Meals, printf('%.2f', p.Cents / 100.0), p.PricedNow, p.NoCost,
           '', '', '', '',
           p.EmpNum, '', NULL
    FROM (
        SELECT s.Code1 AS EmpNum, sum(s.Meals) AS Meals, sum(s.Cents) AS Cents,
               sum(s.PricedNow) AS PricedNow, sum(s.NoCost) AS NoCost
        FROM s
        WHERE upper(rtrim(:layout)) = 'PAYROLL'
        GROUP BY s.Code1
    ) AS p
    LEFT JOIN Payroll.tbcmaster AS e1 ON e1.EmpNum = p.EmpNum
    UNION ALL
    -- The revoked meals, one row each.
    SELECT dm.EmpNum,
           COALESCE(trim(e1.Lastname || ', ' || e1.Firstname || ' ' || e1.Middlename), ''),
           dm.MealCode,
           COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m WHERE m.Code = dm.MealCode), ''),
           1,
           printf('%.2f', CAST(round(CAST(COALESCE(dm.MealCost, (SELECT m.Cost FROM Station.tbcoMeal AS m
                                                                 WHERE m.Code = dm.MealCode), '') AS REAL)
                                     * 100) AS INTEGER) / 100.0),
           dm.MealCost IS NULL,
           trim(COALESCE(dm.MealCost, (SELECT m.Cost FROM Station.tbcoMeal AS m
                                       WHERE m.Code = dm.MealCode), '')) = '',
           talo_general_date(dm.MealDate), dm.ClerkID, COALESCE(dm.RevokedBy, ''),
           talo_general_date(dm.RevokedAt),
           dm.MealDate, '', dm.TransNum
    FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedRevoked
    LEFT JOIN Payroll.tbcmaster AS e1 ON e1.EmpNum = dm.EmpNum
    WHERE dm.MealDate >= talo_iso(:from) AND dm.MealDate <= talo_iso(:to)
      AND dm.RevokedAt IS NOT NULL AND upper(rtrim(:layout)) = 'REVOKED'
) AS r
ORDER BY SortFirst, SortSecond, SortThird;
