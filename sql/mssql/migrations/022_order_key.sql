-- Schema version 22: the order each meal was saved in, as the workstation named it when the
-- order's first line was added, and the meal's line in that order. A counter that cannot
-- tell whether its save arrived sends the order again with the same key; the unique index
-- keeps the order stored once. Meals saved without a key keep NULL in both. And the
-- site's choice of serving on when the server cannot be reached, off by default.
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
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'KeepServingOffline') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD KeepServingOffline CHAR(1) NOT NULL
        CONSTRAINT DF_tbTALOSiteSetting_KeepServingOffline DEFAULT ('0')
        CONSTRAINT CK_tbTALOSiteSetting_KeepServingOffline CHECK (KeepServingOffline IN ('0', '1'));
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (22, N'distributed meals: order key and line; keep serving offline', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO

-- Its own batch, after the columns exist; built online where the edition can (engine
-- edition 3, 5 or 8), so the counters keep saving meals while it is built.
DECLARE @with NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N' WITH (', dbo.TALO_OnlineIndexOption(), N')')
END;
DECLARE @build NVARCHAR(MAX);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
      AND name = N'UX_tbTALOEmployeeDistributedMeals_OrderLine'
)
BEGIN
    SET @build = N'CREATE UNIQUE INDEX UX_tbTALOEmployeeDistributedMeals_OrderLine '
        + N'ON dbo.tbTALOEmployeeDistributedMeals (OrderKey, OrderLine) '
        + N'WHERE OrderKey IS NOT NULL' + @with;
    EXEC sys.sp_executesql @build;
END;
GO
