USE Station;
GO

-- One page of the changes log in (date-time, change number) order: the changes from
-- @from to @to (both included, either may be empty), of one table and one user when
-- given. A page starts after the change (@afterdate, @afterid) that ended the page
-- before (both empty for the first page) and holds at most @pagesize changes. A change
-- made as part of an import or a bulk tagging carries the batch's key and what the whole
-- batch did; any other change has them empty.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_AuditLog
    @from NVARCHAR(4000),
    @to NVARCHAR(4000),
    @table NVARCHAR(4000),
    @user NVARCHAR(4000),
    @afterdate NVARCHAR(4000),
    @afterid NVARCHAR(4000),
    @pagesize NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@from), dbo.TALO_HasNul(@to), dbo.TALO_HasNul(@table),
        dbo.TALO_HasNul(@user), dbo.TALO_HasNul(@afterdate), dbo.TALO_HasNul(@afterid),
        dbo.TALO_HasNul(@pagesize)
    )
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@from) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@to) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@table) > 200
        THROW 50000, N'Table name can be at most 100 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@afterdate) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@afterid) > 40
        THROW 50000, N'Change number can be at most 20 characters long.', 1;
    IF DATALENGTH(@pagesize) > 40
        THROW 50000, N'Page size can be at most 20 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @fromAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@from)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@from) = 1 SET @fromAt = NULL;
    DECLARE @toAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@to)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@to) = 1 SET @toAt = NULL;
    DECLARE @afterAt DATETIME2(0) = TRY_CONVERT(
        DATETIME2(0),
        CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@afterdate)), N'')), 120),
        120
    );
    IF dbo.TALO_HasNonAsciiDigit(@afterdate) = 1 SET @afterAt = NULL;
    DECLARE @afterDigits NVARCHAR(4000) = LTRIM(RTRIM(@afterid));
    DECLARE @sizeDigits NVARCHAR(4000) = LTRIM(RTRIM(@pagesize));

    IF LTRIM(RTRIM(@from)) <> N'' AND @fromAt IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @from, N''' is not a valid date and time.');
        THROW 50000, @message, 1;
    END;
    IF LTRIM(RTRIM(@to)) <> N'' AND @toAt IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @to, N''' is not a valid date and time.');
        THROW 50000, @message, 1;
    END;
    IF LTRIM(RTRIM(@afterdate)) <> N'' AND @afterAt IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @afterdate, N''' is not a valid date and time.');
        THROW 50000, @message, 1;
    END;
    IF
        LTRIM(RTRIM(@afterdate)) <> N''
        AND (LEN(@afterDigits) NOT BETWEEN 1 AND 18 OR @afterDigits LIKE N'%[^0-9]%')
    BEGIN
        SET @message = CONCAT(N'''', @afterid, N''' is not a change number.');
        THROW 50000, @message, 1;
    END;
    IF
        LEN(@sizeDigits) NOT BETWEEN 1 AND 4
        OR @sizeDigits LIKE N'%[^0-9]%'
        OR COALESCE(TRY_CONVERT(INT, @sizeDigits), 0) NOT BETWEEN 1 AND 1000
    BEGIN
        SET @message = CONCAT(
            N'The page size must be a whole number from 1 to 1000, not ''', @pagesize, N'''.'
        );
        THROW 50000, @message, 1;
    END;

    DECLARE @size INT = TRY_CONVERT(INT, @sizeDigits);
    DECLARE @afterNumber BIGINT = TRY_CONVERT(BIGINT, @afterDigits);
    -- A page starts no earlier than the change that ended the page before.
    DECLARE @lower DATETIME2(0) = CASE
        WHEN @afterAt IS NOT NULL AND (@fromAt IS NULL OR @afterAt > @fromAt) THEN @afterAt
        ELSE @fromAt
    END;

    SELECT TOP (@size)
        a.ChangedAt AS CHANGEDAT,
        a.UserID AS USERID,
        a.TableName AS TABLENAME,
        a.Action AS ACTION,
        a.RecordKey AS RECORDKEY,
        a.Details AS DETAILS,
        a.AuditID AS AUDITID,
        a.LoginName AS LOGINNAME,
        COALESCE(a.BatchKey, N'') AS BATCHKEY,
        COALESCE(a.BatchKind, N'') AS BATCHKIND,
        COALESCE(a.BatchTitle, N'') AS BATCHTITLE,
        COALESCE(a.BatchAdded, 0) AS BATCHADDED,
        COALESCE(a.BatchChanged, 0) AS BATCHCHANGED,
        COALESCE(a.BatchDeactivated, 0) AS BATCHDEACTIVATED
    FROM dbo.TALO_AuditLogRows(@lower, @toAt, @table, @user) AS a
    WHERE @afterAt IS NULL OR a.ChangedAt > @afterAt OR a.AuditID > @afterNumber
    ORDER BY a.ChangedAt, a.AuditID
    OPTION (RECOMPILE);
END;
GO
