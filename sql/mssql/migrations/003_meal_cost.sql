-- Schema version 3: the cost of a distributed meal as it was when the meal was handed
-- out, so a later price change does not rewrite past reports. Rows saved before keep a
-- NULL cost: the reports take the meal's current cost for those and mark them.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 3
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOEmployeeDistributedMeals', N'MealCost') IS NULL
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals ADD MealCost NVARCHAR(20)
        COLLATE Latin1_General_100_CI_AS NULL;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (3, N'distributed meals record the meal''s cost', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
