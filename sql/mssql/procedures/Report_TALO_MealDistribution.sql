USE Station;
GO

-- The meal distribution report for the meals from @from to @to (date-times, both
-- included), aggregated on the server so the program receives one row per group.
-- @layout is one of
--   SUMMARY  the meals handed out, grouped by @group1 and (when not empty) @group2;
--   PAYROLL  the meals handed out per employee (KEY1 employee number, KEY2 department);
--   REVOKED  one row per revoked meal (KEY1 employee, KEY2 meal) with who and when.
-- The groupings: MEALTYPE, MEAL, MEALTIME (the meal mode), DAY, DEPARTMENT, EMPLOYEE,
-- CLERK. A meal costs what its master cost when it was saved; rows saved before that
-- cost was recorded take the master's current cost (counted in PRICEDNOW), and an empty
-- cost counts as zero (counted in NOCOST).
CREATE OR ALTER PROCEDURE dbo.Report_TALO_MealDistribution
    @from NVARCHAR(4000),
    @to NVARCHAR(4000),
    @group1 NVARCHAR(4000),
    @group2 NVARCHAR(4000),
    @layout NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@from), dbo.TALO_HasNul(@to), dbo.TALO_HasNul(@group1),
        dbo.TALO_HasNul(@group2), dbo.TALO_HasNul(@layout)
    )
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@from) > 80
        THROW 50000, N'From can be at most 40 characters long.', 1;
    IF DATALENGTH(@to) > 80
        THROW 50000, N'To can be at most 40 characters long.', 1;
    IF DATALENGTH(@group1) > 40
        THROW 50000, N'Grouping can be at most 20 characters long.', 1;
    IF DATALENGTH(@group2) > 40
        THROW 50000, N'Grouping can be at most 20 characters long.', 1;
    IF DATALENGTH(@layout) > 40
        THROW 50000, N'Layout can be at most 20 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @badGrouping NVARCHAR(4000);
    DECLARE @fromAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@from)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@from) = 1 SET @fromAt = NULL;
    DECLARE @toAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@to)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@to) = 1 SET @toAt = NULL;

    IF @fromAt IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @from, N''' is not a valid date and time.');
        THROW 50000, @message, 1;
    END;
    IF @toAt IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @to, N''' is not a valid date and time.');
        THROW 50000, @message, 1;
    END;
    IF @fromAt > @toAt
        THROW 50000, N'The report period starts after it ends.', 1;
    IF DATEDIFF_BIG(SECOND, @fromAt, @toAt) >= CAST(366 AS BIGINT) * 86400
        THROW 50000, N'The report period may not be longer than 366 days.', 1;
    IF UPPER(@layout) NOT IN (N'SUMMARY', N'PAYROLL', N'REVOKED')
    BEGIN
        SET @message = CONCAT(
            N'Unknown report layout ''', @layout, N'''; use SUMMARY, PAYROLL or REVOKED.'
        );
        THROW 50000, @message, 1;
    END;
    -- The first grouping is checked before the second.
    SET @badGrouping = (
        SELECT TOP (1) g.Name
        FROM (VALUES (1, @group1), (2, @group2)) AS g (Level, Name)
        WHERE UPPER(g.Name) NOT IN (
            N'', N'MEALTYPE', N'MEAL', N'MEALTIME', N'DAY', N'DEPARTMENT', N'EMPLOYEE', N'CLERK'
        )
        ORDER BY g.Level
    );
    IF @badGrouping IS NOT NULL
    BEGIN
        SET @message = CONCAT(
            N'Unknown grouping ''', @badGrouping,
            N'''; use MEALTYPE, MEAL, MEALTIME, DAY, DEPARTMENT, EMPLOYEE or CLERK.'
        );
        THROW 50000, @message, 1;
    END;
    IF UPPER(@layout) = N'SUMMARY' AND @group1 = N''
        THROW 50000, N'The summary needs a first grouping.', 1;
    IF @group2 <> N'' AND UPPER(@group2) = UPPER(@group1)
        THROW 50000, N'The second grouping repeats the first.', 1;

    IF UPPER(@layout) = N'REVOKED'
    BEGIN
        -- One row per revoked meal, by date-time.
        SELECT
            dm.EmpNum AS KEY1,
            COALESCE(LTRIM(RTRIM(e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename)), N'')
                AS LABEL1,
            dm.MealCode AS KEY2,
            COALESCE(m.Description, N'') AS LABEL2,
            CAST(1 AS BIGINT) AS MEALS,
            CAST(COALESCE(
                TRY_CONVERT(DECIMAL(19, 2), NULLIF(LTRIM(RTRIM(COALESCE(dm.MealCost, m.Cost, N''))), N'')), 0
            ) AS DECIMAL(19, 2)) AS COST,
            CASE WHEN dm.MealCost IS NULL THEN 1 ELSE 0 END AS PRICEDNOW,
            CASE WHEN LTRIM(RTRIM(COALESCE(dm.MealCost, m.Cost, N''))) = N'' THEN 1 ELSE 0 END AS NOCOST,
            dm.MealDate AS MEALDATE,
            dm.ClerkID AS CLERKID,
            COALESCE(dm.RevokedBy, N'') AS REVOKEDBY,
            dm.RevokedAt AS REVOKEDAT
        FROM dbo.tbTALOEmployeeDistributedMeals AS dm
        LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
        LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = dm.EmpNum
        WHERE dm.MealDate >= @fromAt AND dm.MealDate <= @toAt AND dm.RevokedAt IS NOT NULL
        ORDER BY dm.MealDate, dm.TransNum
        OPTION (RECOMPILE);
        RETURN;
    END;

    -- Three steps, so that the work done once per meal stays small:
    -- 1. the meals of the period are read from ixDistributedReport (the meals not revoked,
    --    by date-time, with every column grouped on) and grouped on the codes they store,
    --    with the recorded cost as one more key: no join and no arithmetic per meal;
    -- 2. each of those groups finds its report group (a meal's type, an employee's
    --    department) and its cost (the master's current one where none was recorded),
    --    and they are added up per report group;
    -- 3. the names are looked up once per report group.
    WITH stored AS (
        SELECT k.Code1, k.Code2, dm.MealCost, k.PricedCode, COUNT_BIG(*) AS Meals
        FROM dbo.tbTALOEmployeeDistributedMeals AS dm
        CROSS APPLY (
            SELECT
                CASE WHEN UPPER(@layout) = N'SUMMARY' THEN
                    CASE UPPER(@group1)
                        WHEN N'MEALTYPE' THEN dm.MealCode
                        WHEN N'MEAL' THEN dm.MealCode
                        WHEN N'MEALTIME' THEN dm.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), dm.MealDate, 23)
                        WHEN N'CLERK' THEN dm.ClerkID
                        ELSE dm.EmpNum
                    END
                ELSE dm.EmpNum END AS Code1,
                CASE WHEN UPPER(@layout) <> N'SUMMARY' THEN N'' ELSE
                    CASE UPPER(@group2)
                        WHEN N'MEALTYPE' THEN dm.MealCode
                        WHEN N'MEAL' THEN dm.MealCode
                        WHEN N'MEALTIME' THEN dm.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), dm.MealDate, 23)
                        WHEN N'CLERK' THEN dm.ClerkID
                        WHEN N'DEPARTMENT' THEN dm.EmpNum
                        WHEN N'EMPLOYEE' THEN dm.EmpNum
                        ELSE N''
                    END
                END AS Code2,
                -- The meal whose current cost stands in for a cost never recorded.
                CASE WHEN dm.MealCost IS NULL THEN dm.MealCode END AS PricedCode
        ) AS k
        WHERE dm.MealDate >= @fromAt AND dm.MealDate <= @toAt AND dm.RevokedAt IS NULL
        GROUP BY k.Code1, k.Code2, dm.MealCost, k.PricedCode
    ),
    -- Codes group as the collation and the meal limits match them (case, width, blanks
    -- around), showing one spelling: the master's or the site's where there is one.
    grouped AS (
        SELECT
            MIN(g.Key1 COLLATE Latin1_General_100_BIN2) COLLATE Latin1_General_100_CI_AS AS Key1,
            MIN(g.Key2 COLLATE Latin1_General_100_BIN2) COLLATE Latin1_General_100_CI_AS AS Key2,
            SUM(s.Meals) AS Meals,
            SUM(s.Meals * COALESCE(
                TRY_CONVERT(DECIMAL(19, 2), NULLIF(LTRIM(RTRIM(c.CostText)), N'')), 0
            )) AS Cost,
            SUM(CASE WHEN s.MealCost IS NULL THEN s.Meals ELSE 0 END) AS PricedNow,
            SUM(CASE WHEN LTRIM(RTRIM(c.CostText)) = N'' THEN s.Meals ELSE 0 END) AS NoCost
        FROM stored AS s
        CROSS APPLY (
            SELECT COALESCE(
                s.MealCost, (SELECT m.Cost FROM dbo.tbcoMeal AS m WHERE m.Code = s.PricedCode), N''
            ) AS CostText
        ) AS c
        CROSS APPLY (
            SELECT
                CASE WHEN UPPER(@layout) = N'SUMMARY' THEN
                    CASE UPPER(@group1)
                        WHEN N'MEALTYPE' THEN COALESCE(
                            (
                                SELECT COALESCE(t.Code, m.MealType) FROM dbo.tbcoMeal AS m
                                LEFT JOIN dbo.tbcoMealType AS t ON t.Code = m.MealType
                                WHERE m.Code = s.Code1
                            ),
                            N''
                        )
                        WHEN N'DEPARTMENT' THEN COALESCE(
                            (
                                SELECT COALESCE(d.DeptCode, e.DeptCode) FROM Payroll.dbo.tbcmaster AS e
                                LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                                WHERE e.EmpNum = s.Code1
                            ),
                            N''
                        )
                        WHEN N'MEALTIME' THEN COALESCE(
                            (
                                SELECT TOP (1) ms.MealMode FROM dbo.tbTALOMealModeSetting AS ms
                                WHERE ms.MealMode = LTRIM(RTRIM(s.Code1))
                            ),
                            LTRIM(RTRIM(s.Code1))
                        )
                        WHEN N'CLERK' THEN LTRIM(RTRIM(s.Code1))
                        ELSE s.Code1
                    END
                ELSE s.Code1 END AS Key1,
                CASE UPPER(@group2)
                    WHEN N'MEALTYPE' THEN COALESCE(
                        (
                            SELECT COALESCE(t.Code, m.MealType) FROM dbo.tbcoMeal AS m
                            LEFT JOIN dbo.tbcoMealType AS t ON t.Code = m.MealType
                            WHERE m.Code = s.Code2
                        ),
                        N''
                    )
                    WHEN N'DEPARTMENT' THEN COALESCE(
                        (
                            SELECT COALESCE(d.DeptCode, e.DeptCode) FROM Payroll.dbo.tbcmaster AS e
                            LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                            WHERE e.EmpNum = s.Code2
                        ),
                        N''
                    )
                    WHEN N'MEALTIME' THEN COALESCE(
                        (
                            SELECT TOP (1) ms.MealMode FROM dbo.tbTALOMealModeSetting AS ms
                            WHERE ms.MealMode = LTRIM(RTRIM(s.Code2))
                        ),
                        LTRIM(RTRIM(s.Code2))
                    )
                    WHEN N'CLERK' THEN LTRIM(RTRIM(s.Code2))
                    ELSE s.Code2
                END AS Key2
        ) AS g
        GROUP BY g.Key1, g.Key2
    )
    SELECT
        a.Key1 AS KEY1,
        CASE WHEN UPPER(@layout) = N'SUMMARY' THEN
            CASE UPPER(@group1)
                WHEN N'MEALTYPE' THEN COALESCE(mt1.Description, N'')
                WHEN N'MEAL' THEN COALESCE(m1.Description, N'')
                WHEN N'DEPARTMENT' THEN COALESCE(d1.Description, N'')
                WHEN N'EMPLOYEE' THEN COALESCE(e1.Name, N'')
                ELSE a.Key1
            END
        ELSE COALESCE(e1.Name, N'') END AS LABEL1,
        CASE WHEN UPPER(@layout) = N'PAYROLL' THEN COALESCE(e1.DeptCode, N'') ELSE a.Key2 END AS KEY2,
        CASE WHEN UPPER(@layout) = N'PAYROLL' THEN COALESCE(pd.Description, N'') ELSE
            CASE UPPER(@group2)
                WHEN N'MEALTYPE' THEN COALESCE(mt2.Description, N'')
                WHEN N'MEAL' THEN COALESCE(m2.Description, N'')
                WHEN N'DEPARTMENT' THEN COALESCE(d2.Description, N'')
                WHEN N'EMPLOYEE' THEN COALESCE(e2.Name, N'')
                ELSE a.Key2
            END
        END AS LABEL2,
        a.Meals AS MEALS,
        CAST(a.Cost AS DECIMAL(19, 2)) AS COST,
        a.PricedNow AS PRICEDNOW,
        a.NoCost AS NOCOST,
        CAST(NULL AS DATETIME2(0)) AS MEALDATE,
        N'' AS CLERKID,
        N'' AS REVOKEDBY,
        CAST(NULL AS DATETIME2(0)) AS REVOKEDAT
    FROM grouped AS a
    -- Names for each group, looked up once per group (a key of another kind finds nothing).
    OUTER APPLY (
        SELECT
            LTRIM(RTRIM(e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename)) AS Name,
            e.DeptCode
        FROM Payroll.dbo.tbcmaster AS e
        WHERE e.EmpNum = a.Key1 AND (UPPER(@layout) <> N'SUMMARY' OR UPPER(@group1) = N'EMPLOYEE')
    ) AS e1
    OUTER APPLY (
        SELECT LTRIM(RTRIM(e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename)) AS Name
        FROM Payroll.dbo.tbcmaster AS e
        WHERE e.EmpNum = a.Key2 AND UPPER(@group2) = N'EMPLOYEE'
    ) AS e2
    LEFT JOIN Payroll.dbo.tbcDepartment AS pd ON pd.DeptCode = e1.DeptCode
    LEFT JOIN Payroll.dbo.tbcDepartment AS d1 ON d1.DeptCode = a.Key1
    LEFT JOIN Payroll.dbo.tbcDepartment AS d2 ON d2.DeptCode = a.Key2
    LEFT JOIN dbo.tbcoMealType AS mt1 ON mt1.Code = a.Key1
    LEFT JOIN dbo.tbcoMealType AS mt2 ON mt2.Code = a.Key2
    LEFT JOIN dbo.tbcoMeal AS m1 ON m1.Code = a.Key1
    LEFT JOIN dbo.tbcoMeal AS m2 ON m2.Code = a.Key2
    ORDER BY a.Key1, a.Key2
    OPTION (RECOMPILE);
END;
GO
