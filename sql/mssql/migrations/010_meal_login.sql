-- Schema version 10: who recorded each meal as the server knows the caller
-- (ORIGINAL_LOGIN(), which a caller cannot choose), beside the ClerkID the program
-- names. Meals recorded before keep ''. Adding a NOT NULL column with a constant
-- default changes only the table's metadata on Enterprise edition; on Standard it
-- writes every row under a schema lock that holds the counters: run it in a
-- maintenance window there (README, "Upgrades on a busy server").
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 10
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOEmployeeDistributedMeals', N'LoginName') IS NULL
    BEGIN
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals ADD LoginName NVARCHAR(128)
        COLLATE Latin1_General_100_CI_AS NOT NULL
        CONSTRAINT dfDistributedMealsLoginOld DEFAULT N'';
        -- From now on the server fills it in on every insert.
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals
        DROP CONSTRAINT dfDistributedMealsLoginOld;
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals
        ADD CONSTRAINT dfDistributedMealsLogin DEFAULT ORIGINAL_LOGIN() FOR LoginName;
    END;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (10, N'distributed meals record the caller''s login', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
