-- Schema version 6: the site's choice of keyboard order entry at the counter (Enter
-- moves an order on from box to box, Alt keys on Save and Cancel, Enter and the arrow
-- keys on the lists). Off ('0') unless the site turns it on.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 6
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOSiteSetting', N'KeyboardEntry') IS NULL
        ALTER TABLE dbo.tbTALOSiteSetting ADD KeyboardEntry CHAR(1) NOT NULL
        CONSTRAINT DF_tbTALOSiteSetting_KeyboardEntry DEFAULT ('0')
        CONSTRAINT CK_tbTALOSiteSetting_KeyboardEntry CHECK (KeyboardEntry IN ('0', '1'));
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (6, N'app settings: keyboard order entry', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
