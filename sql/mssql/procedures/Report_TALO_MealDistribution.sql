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
    DECLARE @fromAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), NULLIF(LTRIM(RTRIM(@from)), N''));
    DECLARE @toAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), NULLIF(LTRIM(RTRIM(@to)), N''));

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

    SELECT
        r.KEY1,
        r.LABEL1,
        r.KEY2,
        r.LABEL2,
        r.MEALS,
        r.COST,
        r.PRICEDNOW,
        r.NOCOST,
        r.MEALDATE,
        r.CLERKID,
        r.REVOKEDBY,
        r.REVOKEDAT
    FROM (
        SELECT
            g.Key1 AS KEY1,
            MAX(g.Label1) AS LABEL1,
            g.Key2 AS KEY2,
            MAX(g.Label2) AS LABEL2,
            COUNT_BIG(*) AS MEALS,
            CAST(SUM(g.Cost) AS DECIMAL(19, 2)) AS COST,
            SUM(g.PricedNow) AS PRICEDNOW,
            SUM(g.NoCost) AS NOCOST,
            MAX(g.MealDate) AS MEALDATE,
            MAX(g.ClerkID) AS CLERKID,
            MAX(g.RevokedBy) AS REVOKEDBY,
            MAX(g.RevokedAt) AS REVOKEDAT,
            CASE WHEN g.Trans IS NULL THEN g.Key1 ELSE CONVERT(NVARCHAR(30), MAX(g.MealDate), 120) END
                AS SortFirst,
            CASE WHEN g.Trans IS NULL THEN g.Key2 ELSE N'' END AS SortSecond,
            g.Trans AS SortThird
        FROM (
            SELECT
                CASE b.Layout WHEN N'SUMMARY' THEN k.Key1 ELSE b.EmpNum END AS Key1,
                CASE b.Layout WHEN N'SUMMARY' THEN k.Label1 ELSE b.Name END AS Label1,
                CASE b.Layout
                    WHEN N'SUMMARY' THEN k.Key2 WHEN N'PAYROLL' THEN b.DeptCode ELSE b.MealCode
                END AS Key2,
                CASE b.Layout
                    WHEN N'SUMMARY' THEN k.Label2 WHEN N'PAYROLL' THEN b.Department ELSE b.Meal
                END AS Label2,
                CASE b.Layout WHEN N'REVOKED' THEN b.TransNum END AS Trans,
                CASE b.Layout WHEN N'REVOKED' THEN b.MealDate END AS MealDate,
                CASE b.Layout WHEN N'REVOKED' THEN b.ClerkID ELSE N'' END AS ClerkID,
                CASE b.Layout WHEN N'REVOKED' THEN b.RevokedBy ELSE N'' END AS RevokedBy,
                CASE b.Layout WHEN N'REVOKED' THEN b.RevokedAt END AS RevokedAt,
                COALESCE(TRY_CONVERT(DECIMAL(19, 2), NULLIF(LTRIM(RTRIM(b.CostText)), N'')), 0)
                    AS Cost,
                b.PricedNow,
                CASE WHEN LTRIM(RTRIM(b.CostText)) = N'' THEN 1 ELSE 0 END AS NoCost
            FROM (
                SELECT
                    UPPER(@layout) AS Layout,
                    dm.TransNum,
                    dm.EmpNum,
                    dm.MealCode,
                    dm.MealMode,
                    dm.MealDate,
                    dm.ClerkID,
                    COALESCE(dm.RevokedBy, N'') AS RevokedBy,
                    dm.RevokedAt,
                    COALESCE(LTRIM(RTRIM(e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename)), N'')
                        AS Name,
                    COALESCE(e.DeptCode, N'') AS DeptCode,
                    COALESCE(d.Description, N'') AS Department,
                    COALESCE(m.Description, N'') AS Meal,
                    COALESCE(m.MealType, N'') AS MealType,
                    COALESCE(mt.Description, N'') AS MealTypeName,
                    COALESCE(dm.MealCost, m.Cost, N'') AS CostText,
                    CASE WHEN dm.MealCost IS NULL THEN 1 ELSE 0 END AS PricedNow
                FROM dbo.tbTALOEmployeeDistributedMeals AS dm
                LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
                LEFT JOIN dbo.tbcoMealType AS mt ON mt.Code = m.MealType
                LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = dm.EmpNum
                LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
                WHERE
                    dm.MealDate >= @fromAt
                    AND dm.MealDate <= @toAt
                    AND (
                        (UPPER(@layout) = N'REVOKED' AND dm.RevokedAt IS NOT NULL)
                        OR (UPPER(@layout) <> N'REVOKED' AND dm.RevokedAt IS NULL)
                    )
            ) AS b
            CROSS APPLY (
                SELECT
                    CASE UPPER(@group1)
                        WHEN N'MEALTYPE' THEN b.MealType
                        WHEN N'MEAL' THEN b.MealCode
                        WHEN N'MEALTIME' THEN b.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), b.MealDate, 23)
                        WHEN N'DEPARTMENT' THEN b.DeptCode
                        WHEN N'EMPLOYEE' THEN b.EmpNum
                        WHEN N'CLERK' THEN b.ClerkID
                        ELSE N''
                    END AS Key1,
                    CASE UPPER(@group1)
                        WHEN N'MEALTYPE' THEN b.MealTypeName
                        WHEN N'MEAL' THEN b.Meal
                        WHEN N'MEALTIME' THEN b.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), b.MealDate, 23)
                        WHEN N'DEPARTMENT' THEN b.Department
                        WHEN N'EMPLOYEE' THEN b.Name
                        WHEN N'CLERK' THEN b.ClerkID
                        ELSE N''
                    END AS Label1,
                    CASE UPPER(@group2)
                        WHEN N'MEALTYPE' THEN b.MealType
                        WHEN N'MEAL' THEN b.MealCode
                        WHEN N'MEALTIME' THEN b.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), b.MealDate, 23)
                        WHEN N'DEPARTMENT' THEN b.DeptCode
                        WHEN N'EMPLOYEE' THEN b.EmpNum
                        WHEN N'CLERK' THEN b.ClerkID
                        ELSE N''
                    END AS Key2,
                    CASE UPPER(@group2)
                        WHEN N'MEALTYPE' THEN b.MealTypeName
                        WHEN N'MEAL' THEN b.Meal
                        WHEN N'MEALTIME' THEN b.MealMode
                        WHEN N'DAY' THEN CONVERT(NVARCHAR(10), b.MealDate, 23)
                        WHEN N'DEPARTMENT' THEN b.Department
                        WHEN N'EMPLOYEE' THEN b.Name
                        WHEN N'CLERK' THEN b.ClerkID
                        ELSE N''
                    END AS Label2
            ) AS k
        ) AS g
        GROUP BY g.Key1, g.Key2, g.Trans
    ) AS r
    ORDER BY r.SortFirst, r.SortSecond, r.SortThird
    OPTION (RECOMPILE);
END;
GO
