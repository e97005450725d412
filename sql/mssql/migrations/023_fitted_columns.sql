-- Schema version 23: the site's choice of list columns fitted to their contents (never
-- narrower than their header text, the last one filling the list) instead of the
-- designed widths. Off by default.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 23
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'FittedColumns') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD FittedColumns CHAR(1) NOT NULL
        CONSTRAINT DF_tbTALOSiteSetting_FittedColumns DEFAULT ('0')
        CONSTRAINT CK_tbTALOSiteSetting_FittedColumns CHECK (FittedColumns IN ('0', '1'));
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (23, N'list columns fitted to their contents', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
