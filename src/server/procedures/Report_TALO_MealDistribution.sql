-- parameters: from, to, group1, group2, layout
-- access: read
-- role: admin
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

-- The meals are grouped on their codes first, row by row with no look-up the grouping
-- does not need; the names are looked up once per group afterwards.
SELECT KEY1, LABEL1, KEY2, LABEL2, MEALS, COST, PRICEDNOW, NOCOST,
       MEALDATE, CLERKID, REVOKEDBY, REVOKEDAT
FROM (
    SELECT a.Key1 AS KEY1,
           CASE a.Layout WHEN 'SUMMARY' THEN CASE upper(:group1)
               WHEN 'MEALTYPE' THEN COALESCE((SELECT mt.Description FROM Station.tbcoMealType AS mt
                                              WHERE mt.Code = a.Key1), '')
               WHEN 'MEAL' THEN COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m
                                          WHERE m.Code = a.Key1), '')
               WHEN 'DEPARTMENT' THEN COALESCE((SELECT d.Description FROM Payroll.tbcDepartment AS d
                                                WHERE d.DeptCode = a.Key1), '')
               WHEN 'EMPLOYEE' THEN COALESCE((SELECT trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                                              FROM Payroll.tbcmaster AS e WHERE e.EmpNum = a.Key1), '')
               ELSE a.Key1 END
           ELSE COALESCE((SELECT trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                          FROM Payroll.tbcmaster AS e WHERE e.EmpNum = a.Key1), '') END AS LABEL1,
           CASE a.Layout WHEN 'PAYROLL' THEN COALESCE((SELECT e.DeptCode FROM Payroll.tbcmaster AS e
                                                      WHERE e.EmpNum = a.Key1), '')
           ELSE a.Key2 END AS KEY2,
           CASE a.Layout WHEN 'SUMMARY' THEN CASE upper(:group2)
               WHEN 'MEALTYPE' THEN COALESCE((SELECT mt.Description FROM Station.tbcoMealType AS mt
                                              WHERE mt.Code = a.Key2), '')
               WHEN 'MEAL' THEN COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m
                                          WHERE m.Code = a.Key2), '')
               WHEN 'DEPARTMENT' THEN COALESCE((SELECT d.Description FROM Payroll.tbcDepartment AS d
                                                WHERE d.DeptCode = a.Key2), '')
               WHEN 'EMPLOYEE' THEN COALESCE((SELECT trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                                              FROM Payroll.tbcmaster AS e WHERE e.EmpNum = a.Key2), '')
               ELSE a.Key2 END
           WHEN 'PAYROLL' THEN COALESCE((SELECT d.Description FROM Payroll.tbcmaster AS e
                                         JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                                         WHERE e.EmpNum = a.Key1), '')
           ELSE COALESCE((SELECT m.Description FROM Station.tbcoMeal AS m WHERE m.Code = a.Key2), '')
           END AS LABEL2,
           a.Meals AS MEALS,
           printf('%.2f', a.Cents / 100.0) AS COST,
           a.PricedNow AS PRICEDNOW,
           a.NoCost AS NOCOST,
           CASE WHEN a.Trans IS NULL THEN '' ELSE talo_general_date(a.MealDate) END AS MEALDATE,
           CASE WHEN a.Trans IS NULL THEN '' ELSE a.ClerkID END AS CLERKID,
           CASE WHEN a.Trans IS NULL THEN '' ELSE a.RevokedBy END AS REVOKEDBY,
           CASE WHEN a.Trans IS NULL THEN '' ELSE talo_general_date(a.RevokedAt) END AS REVOKEDAT,
           CASE WHEN a.Trans IS NULL THEN a.Key1 ELSE a.MealDate END AS SortFirst,
           CASE WHEN a.Trans IS NULL THEN a.Key2 ELSE '' END AS SortSecond,
           a.Trans AS SortThird
    FROM (
        SELECT g.Layout, g.Key1, g.Key2, g.Trans,
               count(*) AS Meals,
               sum(CAST(round(CAST(g.CostText AS REAL) * 100) AS INTEGER)) AS Cents,
               sum(g.MealCost IS NULL) AS PricedNow,
               sum(trim(g.CostText) = '') AS NoCost,
               max(g.MealDate) AS MealDate, max(g.ClerkID) AS ClerkID,
               max(g.RevokedBy) AS RevokedBy, max(g.RevokedAt) AS RevokedAt
        FROM (
            SELECT upper(:layout) AS Layout,
                   CASE upper(:layout) WHEN 'SUMMARY' THEN CASE upper(:group1)
                       WHEN 'MEALTYPE' THEN COALESCE((SELECT m.MealType FROM Station.tbcoMeal AS m
                                                      WHERE m.Code = dm.MealCode), '')
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE((SELECT e.DeptCode FROM Payroll.tbcmaster AS e
                                                        WHERE e.EmpNum = dm.EmpNum), '')
                       WHEN 'EMPLOYEE' THEN dm.EmpNum
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END
                   ELSE dm.EmpNum END AS Key1,
                   CASE upper(:layout) WHEN 'SUMMARY' THEN CASE upper(:group2)
                       WHEN 'MEALTYPE' THEN COALESCE((SELECT m.MealType FROM Station.tbcoMeal AS m
                                                      WHERE m.Code = dm.MealCode), '')
                       WHEN 'MEAL' THEN dm.MealCode
                       WHEN 'MEALTIME' THEN dm.MealMode
                       WHEN 'DAY' THEN substr(dm.MealDate, 1, 10)
                       WHEN 'DEPARTMENT' THEN COALESCE((SELECT e.DeptCode FROM Payroll.tbcmaster AS e
                                                        WHERE e.EmpNum = dm.EmpNum), '')
                       WHEN 'EMPLOYEE' THEN dm.EmpNum
                       WHEN 'CLERK' THEN dm.ClerkID
                       ELSE '' END
                   WHEN 'REVOKED' THEN dm.MealCode ELSE '' END AS Key2,
                   CASE upper(:layout) WHEN 'REVOKED' THEN dm.TransNum END AS Trans,
                   COALESCE(dm.MealCost, (SELECT m.Cost FROM Station.tbcoMeal AS m
                                          WHERE m.Code = dm.MealCode), '') AS CostText,
                   dm.MealCost,
                   -- Only a revoked meal's row is shown on its own: the others carry no
                   -- more than the grouping needs.
                   CASE upper(:layout) WHEN 'REVOKED' THEN dm.MealDate END AS MealDate,
                   CASE upper(:layout) WHEN 'REVOKED' THEN dm.ClerkID END AS ClerkID,
                   CASE upper(:layout) WHEN 'REVOKED' THEN COALESCE(dm.RevokedBy, '') END AS RevokedBy,
                   CASE upper(:layout) WHEN 'REVOKED' THEN dm.RevokedAt END AS RevokedAt
            FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedDate
            WHERE dm.MealDate >= talo_iso(:from) AND dm.MealDate <= talo_iso(:to)
              AND (CASE WHEN upper(:layout) = 'REVOKED' THEN dm.RevokedAt IS NOT NULL
                        ELSE dm.RevokedAt IS NULL END)
        ) AS g
        GROUP BY g.Key1, g.Key2, g.Trans
    ) AS a
) AS r
ORDER BY SortFirst, SortSecond, SortThird;
