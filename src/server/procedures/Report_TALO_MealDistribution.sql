-- parameters: from, to, group1, group2, layout
-- access: read
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
SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE talo_iso(:to) IS NULL;

SELECT talo_raise('The report period starts after it ends.')
WHERE talo_iso(:from) > talo_iso(:to);

SELECT talo_raise('The report period may not be longer than 366 days.')
WHERE julianday(talo_iso(:to)) - julianday(talo_iso(:from)) >= 366;

SELECT talo_raise('Unknown report layout ''' || :layout || '''; use SUMMARY, PAYROLL or REVOKED.')
WHERE upper(:layout) NOT IN ('SUMMARY', 'PAYROLL', 'REVOKED');

-- The first grouping is checked before the second.
SELECT talo_raise('Unknown grouping ''' || bad.Name || '''; use MEALTYPE, MEAL, MEALTIME, DAY, DEPARTMENT, EMPLOYEE or CLERK.')
FROM (SELECT g.Name FROM (SELECT 1 AS Level, :group1 AS Name UNION ALL SELECT 2, :group2) AS g
      WHERE upper(g.Name) NOT IN ('', 'MEALTYPE', 'MEAL', 'MEALTIME', 'DAY', 'DEPARTMENT', 'EMPLOYEE', 'CLERK')
      ORDER BY g.Level LIMIT 1) AS bad;

SELECT talo_raise('The summary needs a first grouping.')
WHERE upper(:layout) = 'SUMMARY' AND :group1 = '';

SELECT talo_raise('The second grouping repeats the first.')
WHERE :group2 <> '' AND upper(:group2) = upper(:group1);

SELECT KEY1, LABEL1, KEY2, LABEL2, MEALS, COST, PRICEDNOW, NOCOST,
       MEALDATE, CLERKID, REVOKEDBY, REVOKEDAT
FROM (
    SELECT g.Key1 AS KEY1, max(g.Label1) AS LABEL1, g.Key2 AS KEY2, max(g.Label2) AS LABEL2,
           count(*) AS MEALS,
           printf('%.2f', sum(g.Cents) / 100.0) AS COST,
           sum(g.PricedNow) AS PRICEDNOW,
           sum(g.NoCost) AS NOCOST,
           CASE WHEN g.Trans IS NULL THEN '' ELSE talo_general_date(max(g.MealDate)) END AS MEALDATE,
           CASE WHEN g.Trans IS NULL THEN '' ELSE max(g.ClerkID) END AS CLERKID,
           CASE WHEN g.Trans IS NULL THEN '' ELSE max(g.RevokedBy) END AS REVOKEDBY,
           CASE WHEN g.Trans IS NULL THEN '' ELSE talo_general_date(max(g.RevokedAt)) END AS REVOKEDAT,
           CASE WHEN g.Trans IS NULL THEN g.Key1 ELSE max(g.MealDate) END AS SortFirst,
           CASE WHEN g.Trans IS NULL THEN g.Key2 ELSE '' END AS SortSecond,
           g.Trans AS SortThird
    FROM (
        SELECT CASE g.Layout WHEN 'SUMMARY' THEN g.Key1 ELSE g.EmpNum END AS Key1,
               CASE g.Layout WHEN 'SUMMARY' THEN g.Label1 ELSE g.Name END AS Label1,
               CASE g.Layout WHEN 'SUMMARY' THEN g.Key2
                             WHEN 'PAYROLL' THEN g.DeptCode ELSE g.MealCode END AS Key2,
               CASE g.Layout WHEN 'SUMMARY' THEN g.Label2
                             WHEN 'PAYROLL' THEN g.Department ELSE g.Meal END AS Label2,
               CASE g.Layout WHEN 'REVOKED' THEN g.TransNum END AS Trans,
               g.MealDate, g.ClerkID, g.RevokedBy, g.RevokedAt,
               CAST(round(CAST(g.CostText AS REAL) * 100) AS INTEGER) AS Cents,
               g.PricedNow,
               CASE WHEN trim(g.CostText) = '' THEN 1 ELSE 0 END AS NoCost
        FROM (
            SELECT upper(:layout) AS Layout,
                   dm.TransNum, dm.EmpNum, dm.MealCode, dm.MealDate, dm.ClerkID,
                   COALESCE(dm.RevokedBy, '') AS RevokedBy, dm.RevokedAt,
                   COALESCE(trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), '') AS Name,
                   COALESCE(e.DeptCode, '') AS DeptCode,
                   COALESCE(d.Description, '') AS Department,
                   COALESCE(m.Description, '') AS Meal,
                   COALESCE(dm.MealCost, m.Cost, '') AS CostText,
                   CASE WHEN dm.MealCost IS NULL THEN 1 ELSE 0 END AS PricedNow,
                   CASE upper(:group1)
                       WHEN 'MEALTYPE' THEN COALESCE(m.MealType, '')
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE(e.DeptCode, '')
                       WHEN 'EMPLOYEE' THEN dm.EmpNum
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END AS Key1,
                   CASE upper(:group1)
                       WHEN 'MEALTYPE' THEN COALESCE(mt.Description, '')
                       WHEN 'MEAL' THEN COALESCE(m.Description, '')
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE(d.Description, '')
                       WHEN 'EMPLOYEE' THEN COALESCE(trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), '')
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END AS Label1,
                   CASE upper(:group2)
                       WHEN 'MEALTYPE' THEN COALESCE(m.MealType, '')
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE(e.DeptCode, '')
                       WHEN 'EMPLOYEE' THEN dm.EmpNum
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END AS Key2,
                   CASE upper(:group2)
                       WHEN 'MEALTYPE' THEN COALESCE(mt.Description, '')
                       WHEN 'MEAL' THEN COALESCE(m.Description, '')
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE(d.Description, '')
                       WHEN 'EMPLOYEE' THEN COALESCE(trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), '')
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END AS Label2
            FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedDate
            LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode
            LEFT JOIN Station.tbcoMealType AS mt ON mt.Code = m.MealType
            LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = dm.EmpNum
            LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode
            WHERE dm.MealDate >= talo_iso(:from) AND dm.MealDate <= talo_iso(:to)
              AND (CASE WHEN upper(:layout) = 'REVOKED' THEN dm.RevokedAt IS NOT NULL
                        ELSE dm.RevokedAt IS NULL END)
        ) AS g
    ) AS g
    GROUP BY g.Key1, g.Key2, g.Trans
) AS r
ORDER BY SortFirst, SortSecond, SortThird;
