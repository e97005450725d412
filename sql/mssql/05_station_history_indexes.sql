-- Indexes for the history of distributed meals and the changes log: each filter of the
-- history seeks its own index in (date-time, transaction number) order, so a page is a
-- short index range whatever the size of the table (the employee filter uses
-- ixDistributedEmpDate). RevokedAt is carried along so that counting the meals a filter
-- shows (revoked ones hidden) reads the index alone, and the date index carries
-- MealMode too, so a period filtered by mode never reads the table. Runs again
-- harmlessly.
--
-- Built online where the edition can (Enterprise, Developer and Evaluation report engine
-- edition 3, Azure SQL Database 5, Managed Instance 8): the counters keep saving while a
-- large table is indexed. Elsewhere (Standard) the build locks the table: on a server
-- that lacks these indexes, run this in a maintenance window (README).
USE Station;
GO

DECLARE @with NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N' WITH (', dbo.TALO_OnlineIndexOption(), N')')
END;
DECLARE @build NVARCHAR(MAX);

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixDistributedDate' AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
BEGIN
    SET @build = N'CREATE INDEX ixDistributedDate ON dbo.tbTALOEmployeeDistributedMeals '
        + N'(MealDate, TransNum) INCLUDE (RevokedAt, MealMode)' + @with;
    EXEC sys.sp_executesql @build;
END;

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE
        name = N'ixDistributedClerkDate'
        AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
BEGIN
    SET @build = N'CREATE INDEX ixDistributedClerkDate ON dbo.tbTALOEmployeeDistributedMeals '
        + N'(ClerkID, MealDate, TransNum) INCLUDE (RevokedAt)' + @with;
    EXEC sys.sp_executesql @build;
END;

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE
        name = N'ixDistributedMealDate'
        AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
BEGIN
    SET @build = N'CREATE INDEX ixDistributedMealDate ON dbo.tbTALOEmployeeDistributedMeals '
        + N'(MealCode, MealDate, TransNum) INCLUDE (RevokedAt)' + @with;
    EXEC sys.sp_executesql @build;
END;

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixAuditChangedAt' AND object_id = OBJECT_ID(N'dbo.tbTALOAuditLog')
)
BEGIN
    SET @build = N'CREATE INDEX ixAuditChangedAt ON dbo.tbTALOAuditLog (ChangedAt, AuditID)'
        + @with;
    EXEC sys.sp_executesql @build;
END;
GO
