-- Schema version 32: the last staff import's new employees not tagged yet are read back
-- from the import's batch (Load_TALO_ImportNewcomers), so bulk tagging offers them after
-- the program is started again, on every workstation. No table changes: the batch rows
-- and the audit rows of migration 28 hold the import, its file and its new employees.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 32
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (32, N'the last import''s new employees read back for bulk tagging', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
