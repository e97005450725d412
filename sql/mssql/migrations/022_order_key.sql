-- Schema version 22: the order each meal was saved in, as the workstation named it when the
-- order's first line was added, and the meal's line in that order. A counter that cannot
-- tell whether its save arrived sends the order again with the same key; the unique index
-- keeps the order stored once. Meals saved without a key keep NULL in both.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 22
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOEmployeeDistributedMeals', N'OrderKey') IS NULL
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals ADD OrderKey NVARCHAR(36) NULL;
    IF COL_LENGTH(N'dbo.tbTALOEmployeeDistributedMeals', N'OrderLine') IS NULL
        ALTER TABLE dbo.tbTALOEmployeeDistributedMeals ADD OrderLine INT NULL;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (22, N'distributed meals: order key and line', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO

-- Its own batch: the columns must exist when the statement is compiled.
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
      AND name = N'UX_tbTALOEmployeeDistributedMeals_OrderLine'
)
    CREATE UNIQUE INDEX UX_tbTALOEmployeeDistributedMeals_OrderLine
        ON dbo.tbTALOEmployeeDistributedMeals (OrderKey, OrderLine)
        WHERE OrderKey IS NOT NULL;
GO
