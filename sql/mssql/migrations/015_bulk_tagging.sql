-- Schema version 15: the site's choice of bulk tagging from the tagging window (a button
-- there that tags a department, a list or every active employee at once). Off ('0')
-- unless the site turns it on; the staff import's preview offers it whatever this says.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 15
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'BulkTagging') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD BulkTagging CHAR(1) NOT NULL
        CONSTRAINT DF_tbTALOSiteSetting_BulkTagging DEFAULT ('0')
        CONSTRAINT CK_tbTALOSiteSetting_BulkTagging CHECK (BulkTagging IN ('0', '1'));
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (15, N'app settings: bulk tagging in the tagging window', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
