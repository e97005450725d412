-- Schema version 14: costs as the meal master's save writes them, '' or digits, a point
-- and two decimals. Older texts that are not (' 12.5', '2.675', '12 pesos', '1,250.00')
-- are made so once: a number of zero or more loses its blanks and is rounded to the
-- cent (half a cent up); any other text becomes '' (no cost, which the report counts as
-- a meal without a cost). Each text changed goes to the changes log with what it was.
-- Then a CHECK on each cost column refuses any other text. Finding the old texts and
-- checking the constraint read the whole meals table under a schema lock: run it in a
-- maintenance window on a busy server (README, "Upgrades on a busy server").
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 14
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    DECLARE @fix TABLE (
        TableName NVARCHAR(100) NOT NULL,
        RecordKey NVARCHAR(30) NOT NULL,
        Old NVARCHAR(20) NOT NULL,
        Trimmed NVARCHAR(20) NOT NULL,
        New NVARCHAR(20) NULL,
        PRIMARY KEY (TableName, RecordKey)
    );
    INSERT INTO @fix (TableName, RecordKey, Old, Trimmed)
    SELECT N'tbcoMeal', m.Code, m.Cost, LTRIM(RTRIM(m.Cost))
    FROM dbo.tbcoMeal AS m
    WHERE NOT (
        DATALENGTH(m.Cost) = 0
        OR (m.Cost COLLATE Latin1_General_100_BIN2 LIKE N'[0-9]%.[0-9][0-9]'
            AND m.Cost COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^0-9.]%'
            AND m.Cost NOT LIKE N'%.%.%' AND LEN(m.Cost) <= 15)
    )
    UNION ALL
    SELECT N'tbTALOEmployeeDistributedMeals', CONVERT(NVARCHAR(30), d.TransNum), d.MealCost,
        LTRIM(RTRIM(d.MealCost))
    FROM dbo.tbTALOEmployeeDistributedMeals AS d
    WHERE d.MealCost IS NOT NULL AND NOT (
        DATALENGTH(d.MealCost) = 0
        OR (d.MealCost COLLATE Latin1_General_100_BIN2 LIKE N'[0-9]%.[0-9][0-9]'
            AND d.MealCost COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^0-9.]%'
            AND d.MealCost NOT LIKE N'%.%.%' AND LEN(d.MealCost) <= 15)
    );
    -- Readable as the meal master's save reads a cost: up to twelve digits, an optional
    -- point and decimals (".5" and "12." count too), digits compared in binary.
    UPDATE @fix
    SET New = CASE
        WHEN DATALENGTH(Trimmed) > 0
            AND Trimmed COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^0123456789.]%'
            AND Trimmed NOT LIKE N'%.%.%'
            AND Trimmed <> N'.'
            AND CHARINDEX(N'.', Trimmed + N'.') <= 13
            THEN CONVERT(NVARCHAR(20), CAST(TRY_CONVERT(DECIMAL(38, 20), Trimmed) AS DECIMAL(14, 2)))
        ELSE N''
    END;
    INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName)
    SELECT
        f.TableName, f.RecordKey, N'UPDATE',
        CONCAT(CASE WHEN f.TableName = N'tbcoMeal' THEN N'Cost: ' ELSE N'MealCost: ' END,
            f.Old, N' -> ', f.New),
        N'UPGRADE', @now, ORIGINAL_LOGIN()
    FROM @fix AS f
    ORDER BY CASE WHEN f.TableName = N'tbcoMeal' THEN 0 ELSE 1 END, f.RecordKey;
    UPDATE m SET m.Cost = f.New
    FROM dbo.tbcoMeal AS m
    INNER JOIN @fix AS f ON f.TableName = N'tbcoMeal' AND f.RecordKey = m.Code;
    UPDATE d SET d.MealCost = f.New
    FROM dbo.tbTALOEmployeeDistributedMeals AS d
    INNER JOIN @fix AS f
        ON f.TableName = N'tbTALOEmployeeDistributedMeals'
        AND f.RecordKey = CONVERT(NVARCHAR(30), d.TransNum);
    IF OBJECT_ID(N'dbo.CK_tbcoMeal_Cost', N'C') IS NULL
        EXEC sys.sp_executesql N'ALTER TABLE dbo.tbcoMeal WITH CHECK ADD CONSTRAINT CK_tbcoMeal_Cost
            CHECK (DATALENGTH(Cost) = 0
                OR (Cost COLLATE Latin1_General_100_BIN2 LIKE N''[0-9]%.[0-9][0-9]''
                    AND Cost COLLATE Latin1_General_100_BIN2 NOT LIKE N''%[^0-9.]%''
                    AND Cost NOT LIKE N''%.%.%'' AND LEN(Cost) <= 15));';
    IF OBJECT_ID(N'dbo.CK_tbTALOEmployeeDistributedMeals_MealCost', N'C') IS NULL
        EXEC sys.sp_executesql N'ALTER TABLE dbo.tbTALOEmployeeDistributedMeals WITH CHECK
            ADD CONSTRAINT CK_tbTALOEmployeeDistributedMeals_MealCost
            CHECK (MealCost IS NULL OR DATALENGTH(MealCost) = 0
                OR (MealCost COLLATE Latin1_General_100_BIN2 LIKE N''[0-9]%.[0-9][0-9]''
                    AND MealCost COLLATE Latin1_General_100_BIN2 NOT LIKE N''%[^0-9.]%''
                    AND MealCost NOT LIKE N''%.%.%'' AND LEN(MealCost) <= 15));';
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (14, N'costs are plain decimals', @now);
    COMMIT TRANSACTION;
END;
GO
