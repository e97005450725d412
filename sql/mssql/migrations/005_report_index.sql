-- Schema version 5: the meal distribution report's index. The meals handed out and not
-- revoked, in date-time order, carrying every column the report groups or costs them
-- by, so a period's report reads one range of this index and never the table (RevokedAt
-- is carried so the filter is answered by the index too). Created here and not with the
-- other indexes because MealCost only exists from version 3. Built online where the
-- edition can (engine edition 3, 5 or 8), before the version's transaction; on
-- Standard it locks the meals table while it builds (README, maintenance window).
USE Station;
GO

DECLARE @with NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N' WITH (', dbo.TALO_OnlineIndexOption(), N')')
END;
DECLARE @build NVARCHAR(MAX);
IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 5
    AND NOT EXISTS (
        SELECT 1 FROM sys.indexes
        WHERE
            name = N'ixDistributedReport'
            AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
    )
BEGIN
    SET @build = N'CREATE INDEX ixDistributedReport ON dbo.tbTALOEmployeeDistributedMeals '
        + N'(MealDate) INCLUDE (MealCode, EmpNum, MealCost, MealMode, ClerkID, RevokedAt) '
        + N'WHERE RevokedAt IS NULL' + @with;
    EXEC sys.sp_executesql @build;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 5
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (5, N'the meal distribution report''s index', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
