-- Schema version 5: the meal distribution report's index. The meals handed out and not
-- revoked, in date-time order, carrying every column the report groups or costs them
-- by, so a period's report reads one range of this index and never the table (RevokedAt
-- is carried so the filter is answered by the index too). Created here and not with the
-- other indexes because MealCost only exists from version 3.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 5
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF NOT EXISTS (
        SELECT 1 FROM sys.indexes
        WHERE
            name = N'ixDistributedReport'
            AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
    )
        CREATE INDEX ixDistributedReport
        ON dbo.tbTALOEmployeeDistributedMeals (MealDate)
        INCLUDE (MealCode, EmpNum, MealCost, MealMode, ClerkID, RevokedAt)
        WHERE RevokedAt IS NULL;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (5, N'the meal distribution report''s index', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
