-- Schema version 29: how many seconds a statement of the program may wait for its answer
-- before the user is told so and nothing of it is kept (a statement held behind another
-- session's lock must not freeze a counter). 10 unless the site chooses otherwise.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 29
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'StatementTimeout') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD StatementTimeout INT NOT NULL
        CONSTRAINT DF_tbTALOSiteSetting_StatementTimeout DEFAULT (10)
        CONSTRAINT CK_tbTALOSiteSetting_StatementTimeout CHECK (StatementTimeout BETWEEN 1 AND 600);
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (29, N'site settings: statement timeout', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
