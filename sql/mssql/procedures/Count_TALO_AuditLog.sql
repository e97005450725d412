USE Station;
GO

-- How many changes the changes log shows for these filters (the rows Load_TALO_AuditLog
-- pages through, dbo.TALO_AuditLogRows), counted on the server.
CREATE OR ALTER PROCEDURE dbo.Count_TALO_AuditLog
    @from NVARCHAR(4000),
    @to NVARCHAR(4000),
    @table NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@from), dbo.TALO_HasNul(@to), dbo.TALO_HasNul(@table),
        dbo.TALO_HasNul(@user)
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

    DECLARE @message NVARCHAR(2048);
    DECLARE @fromAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@from)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@from) = 1 SET @fromAt = NULL;
    DECLARE @toAt DATETIME2(0) = TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), NULLIF(LTRIM(RTRIM(@to)), N'')), 120), 120);
    IF dbo.TALO_HasNonAsciiDigit(@to) = 1 SET @toAt = NULL;

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

    SELECT COUNT_BIG(*) AS CHANGES
    FROM dbo.TALO_AuditLogRows(@fromAt, @toAt, @table, @user) AS a
    OPTION (RECOMPILE);
END;
GO
