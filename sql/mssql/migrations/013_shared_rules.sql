-- Schema version 13: rules two or more procedures must apply alike, written once here as
-- functions (their embedded-store twins are shared parts of its procedures). No table
-- changes.
USE Station;
GO

-- The changes the changes log's filters select, for Load_TALO_AuditLog's pages and
-- Count_TALO_AuditLog's count alike: from @lower to @upper (both included; NULL: no
-- bound), of one table and one user when given (N'': any). Inline, so each caller's
-- RECOMPILE still sees the filters' values and reads the date-time index.
CREATE OR ALTER FUNCTION dbo.TALO_AuditLogRows (
    @lower DATETIME2(0),
    @upper DATETIME2(0),
    @table NVARCHAR(4000),
    @user NVARCHAR(4000)
)
RETURNS TABLE
AS
RETURN
SELECT a.AuditID, a.ChangedAt, a.UserID, a.TableName, a.Action, a.RecordKey, a.Details, a.LoginName
FROM dbo.tbTALOAuditLog AS a
WHERE
    a.ChangedAt >= COALESCE(@lower, CAST('0001-01-01' AS DATETIME2(0)))
    AND a.ChangedAt <= COALESCE(@upper, CAST('9999-12-31 23:59:59' AS DATETIME2(0)))
    AND (@table = N'' OR a.TableName = @table)
    AND (@user = N'' OR a.UserID = @user);
GO

-- 1 when @json is a JSON array, whatever blanks, tabs or line breaks come before it
-- (LTRIM would take only blanks away): the first test of every JSON argument, before
-- its values are read. Each caller says in its own words what it wanted.
CREATE OR ALTER FUNCTION dbo.TALO_IsJsonArray (@json NVARCHAR(MAX))
RETURNS BIT
AS
BEGIN
    -- AND does not promise to stop at ISJSON, and OPENJSON raises on text that is not
    -- JSON: CASE tries its branches in order, so it never reaches OPENJSON then.
    RETURN CASE
        WHEN ISJSON(@json) IS NULL OR ISJSON(@json) = 0 THEN 0
        WHEN (SELECT TOP (1) j.[type] FROM OPENJSON(CONCAT(N'[', @json, N']')) AS j) = 4
            THEN 1
        ELSE 0
    END;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 13
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (13, N'shared rules: the changes log''s filter, a JSON array', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
