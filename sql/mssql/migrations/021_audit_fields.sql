-- Schema version 21: every audit row also records the fields it changed with their
-- values before and after, as a JSON object a program reads without parsing the details'
-- sentence: {"Lastname": {"old": "Lopez", "new": "Lopez-Reyes"}}. A new record has only
-- "new", a removed one only "old"; a value the log must not hold (a password) has
-- neither. Rows written before keep an empty Fields.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 21
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOAuditLog', N'Fields') IS NULL
        ALTER TABLE dbo.tbTALOAuditLog ADD Fields NVARCHAR(MAX)
        COLLATE Latin1_General_100_CI_AS NOT NULL
        CONSTRAINT DF_tbTALOAuditLog_Fields DEFAULT (N'');
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (21, N'audit rows record their fields'' old and new values', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
