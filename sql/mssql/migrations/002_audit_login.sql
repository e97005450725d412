-- Schema version 2: every audit row also records who the server knows the caller as
-- (ORIGINAL_LOGIN()), beside the user the program names (UserID). Rows written before
-- keep an empty LoginName.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 2
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOAuditLog', N'LoginName') IS NULL
        ALTER TABLE dbo.tbTALOAuditLog ADD LoginName NVARCHAR(128)
        COLLATE Latin1_General_100_CI_AS NOT NULL
        CONSTRAINT DF_tbTALOAuditLog_LoginName DEFAULT (N'');
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (2, N'audit rows record the caller''s login', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
