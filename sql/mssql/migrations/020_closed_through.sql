-- Schema version 20: the day through which the meals are closed (sent to payroll). A meal
-- dated on or before it can be neither recorded nor revoked; NULL, the default, closes
-- nothing.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 20
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'ClosedThrough') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD ClosedThrough DATE NULL;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (20, N'app settings: meals closed through a day', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
