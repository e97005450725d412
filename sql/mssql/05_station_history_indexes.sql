-- Indexes for the history of distributed meals and the changes log: each filter of the
-- history seeks its own index in (date-time, transaction number) order, so a page is a
-- short index range whatever the size of the table (the employee filter uses
-- ixDistributedEmpDate). RevokedAt is carried along so that counting the meals a filter
-- shows (revoked ones hidden) reads the index alone. Runs again harmlessly.
USE Station;
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixDistributedDate' AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
    CREATE INDEX ixDistributedDate
    ON dbo.tbTALOEmployeeDistributedMeals (MealDate, TransNum) INCLUDE (RevokedAt);
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE
        name = N'ixDistributedClerkDate'
        AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
    CREATE INDEX ixDistributedClerkDate
    ON dbo.tbTALOEmployeeDistributedMeals (ClerkID, MealDate, TransNum) INCLUDE (RevokedAt);
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE
        name = N'ixDistributedMealDate'
        AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
    CREATE INDEX ixDistributedMealDate
    ON dbo.tbTALOEmployeeDistributedMeals (MealCode, MealDate, TransNum) INCLUDE (RevokedAt);
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixAuditChangedAt' AND object_id = OBJECT_ID(N'dbo.tbTALOAuditLog')
)
    CREATE INDEX ixAuditChangedAt ON dbo.tbTALOAuditLog (ChangedAt, AuditID);
GO
