-- Schema version 28: changes made many at a time (an import, a bulk tagging) share a
-- batch key, so the changes log can show each as one line that opens to its rows. The
-- batch row holds what the whole of it did: for an import the file's name and the
-- employees added, changed and deactivated, summed over every slice the import was sent
-- in; for a bulk tagging the meal types' names and the employees given a tag. Rows
-- written before have no key.
USE Station;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 28
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    IF COL_LENGTH(N'dbo.tbTALOAuditLog', N'BatchKey') IS NULL
        ALTER TABLE dbo.tbTALOAuditLog ADD BatchKey NVARCHAR(40)
        COLLATE Latin1_General_100_CI_AS NULL;
    IF OBJECT_ID(N'dbo.tbTALOAuditBatch', N'U') IS NULL
        CREATE TABLE dbo.tbTALOAuditBatch (
            BatchKey NVARCHAR(40) COLLATE Latin1_General_100_CI_AS NOT NULL
                CONSTRAINT PK_tbTALOAuditBatch PRIMARY KEY,
            Kind NVARCHAR(20) COLLATE Latin1_General_100_CI_AS NOT NULL
                CONSTRAINT CK_tbTALOAuditBatch_Kind CHECK (Kind IN (N'IMPORT', N'BULKTAG')),
            Title NVARCHAR(MAX) COLLATE Latin1_General_100_CI_AS NOT NULL
                CONSTRAINT DF_tbTALOAuditBatch_Title DEFAULT (N''),
            Added INT NOT NULL CONSTRAINT DF_tbTALOAuditBatch_Added DEFAULT (0),
            Changed INT NOT NULL CONSTRAINT DF_tbTALOAuditBatch_Changed DEFAULT (0),
            Deactivated INT NOT NULL CONSTRAINT DF_tbTALOAuditBatch_Deactivated DEFAULT (0)
        );
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (28, N'audit rows: batch key; batches of an import or a bulk tagging', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO

-- Its own batch, after the column exists: the rows of one batch, found when a batch is
-- looked at as a whole. Built as dbo.TALO_OnlineIndexOption says (online, waiting at low
-- priority, where the server can), so the counters keep saving meals while it is built.
DECLARE @with NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N' WITH (', dbo.TALO_OnlineIndexOption(), N')')
END;
DECLARE @build NVARCHAR(MAX);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE object_id = OBJECT_ID(N'dbo.tbTALOAuditLog') AND name = N'ixAuditBatchKey'
)
BEGIN
    SET @build = N'CREATE INDEX ixAuditBatchKey ON dbo.tbTALOAuditLog (BatchKey) '
        + N'WHERE BatchKey IS NOT NULL' + @with;
    EXEC sys.sp_executesql @build;
END;
GO

-- The changes the changes log's filters select, now with each change's batch (b) when it
-- was made as part of one; otherwise as before.
CREATE OR ALTER FUNCTION dbo.TALO_AuditLogRows (
    @lower DATETIME2(0),
    @upper DATETIME2(0),
    @table NVARCHAR(4000),
    @user NVARCHAR(4000)
)
RETURNS TABLE
AS
RETURN
SELECT
    a.AuditID, a.ChangedAt, a.UserID, a.TableName, a.Action, a.RecordKey, a.Details,
    a.LoginName, a.BatchKey, b.Kind AS BatchKind, b.Title AS BatchTitle,
    b.Added AS BatchAdded, b.Changed AS BatchChanged, b.Deactivated AS BatchDeactivated
FROM dbo.tbTALOAuditLog AS a
LEFT JOIN dbo.tbTALOAuditBatch AS b ON b.BatchKey = a.BatchKey
WHERE
    a.ChangedAt >= COALESCE(@lower, CAST('0001-01-01' AS DATETIME2(0)))
    AND a.ChangedAt <= COALESCE(@upper, CAST('9999-12-31 23:59:59' AS DATETIME2(0)))
    AND (@table = N'' OR a.TableName = @table)
    AND (@user = N'' OR a.UserID = @user);
GO
