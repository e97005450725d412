-- Schema version 4: the app settings (site settings, and per meal mode the daily limit
-- and serving window). 05_station.sql creates the two tables and their seed rows on
-- every install, before the migrations run; this step records the version, so the
-- install check compares their columns from now on.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 4
BEGIN
    SET XACT_ABORT ON;
    IF OBJECT_ID(N'dbo.tbTALOSiteSetting', N'U') IS NULL
        OR OBJECT_ID(N'dbo.tbTALOMealModeSetting', N'U') IS NULL
        THROW 50000, N'The app settings tables are missing: run 05_station.sql first.', 1;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (4, N'app settings: meal limits, serving times, scan mode, site', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
