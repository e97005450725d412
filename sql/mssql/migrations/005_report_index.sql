-- Schema version 5: the meal distribution report's index. The meals handed out and not
-- revoked, in date-time order, carrying every column the report groups or costs them
-- by, so a period's report reads one range of this index and never the table (RevokedAt
-- is carried so the filter is answered by the index too). Created here and not with the
-- other indexes because MealCost only exists from version 3. Built online where the
-- edition can (engine edition 3, 5 or 8), before the version's transaction; on
-- Standard it locks the meals table while it builds (README, maintenance window).
USE Station;
GO

-- Waiting at low priority (SQL Server 2022, Azure) lets the build's last lock queue
-- behind the counters' saves instead of ahead of them; it gives up after five minutes.
DECLARE @with NVARCHAR(200) = CASE
    WHEN CAST(SERVERPROPERTY('EngineEdition') AS INT) IN (5, 8)
        OR CAST(SERVERPROPERTY('EngineEdition') AS INT) = 3
        AND CAST(SERVERPROPERTY('ProductMajorVersion') AS INT) >= 16
        THEN N' WITH (ONLINE = ON (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 5 MINUTES, ABORT_AFTER_WAIT = SELF)))'
    WHEN CAST(SERVERPROPERTY('EngineEdition') AS INT) = 3 THEN N' WITH (ONLINE = ON)'
    ELSE N''
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
