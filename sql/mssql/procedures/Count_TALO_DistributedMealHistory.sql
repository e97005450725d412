USE Station;
GO

-- How many meals the history shows for these filters (as
-- Load_TALO_DistributedMealHistory, with the same date range: an empty @from counts the
-- 31 days ending at @to, or ending today when @to is empty too), counted on the server.
CREATE OR ALTER PROCEDURE dbo.Count_TALO_DistributedMealHistory
    @from NVARCHAR(4000),
    @to NVARCHAR(4000),
    @employee NVARCHAR(4000),
    @meal NVARCHAR(4000),
    @mode NVARCHAR(4000),
    @clerk NVARCHAR(4000),
    @revoked NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@from), dbo.TALO_HasNul(@to), dbo.TALO_HasNul(@employee),
        dbo.TALO_HasNul(@meal), dbo.TALO_HasNul(@mode), dbo.TALO_HasNul(@clerk),
        dbo.TALO_HasNul(@revoked)
    )
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@from) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@to) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@meal) > 60
        THROW 50000, N'Meal code can be at most 30 characters long.', 1;
    IF DATALENGTH(@mode) > 100
        THROW 50000, N'Meal mode can be at most 50 characters long.', 1;
    IF DATALENGTH(@clerk) > 60
        THROW 50000, N'Clerk ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@revoked) > 2
        THROW 50000, N'Revoked can be at most 1 character long.', 1;

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
    IF @revoked NOT IN (N'1', N'0')
    BEGIN
        SET @message = CONCAT(
            N'Revoked meals are shown with 1 or hidden with 0, not ''', @revoked, N'''.'
        );
        THROW 50000, @message, 1;
    END;

    -- An empty @from reads the 31 days ending at @to (ending today when @to is empty
    -- too), as the pages do.
    SELECT @fromAt = r.FromAt, @toAt = r.ToAt FROM dbo.TALO_HistoryRange(@fromAt, @toAt) AS r;

    SELECT COUNT_BIG(*) AS MEALS
    FROM dbo.tbTALOEmployeeDistributedMeals AS dm
    WHERE
        dm.MealDate >= @fromAt
        AND dm.MealDate <= @toAt
        AND (@employee = N'' OR dm.EmpNum = @employee)
        AND (@meal = N'' OR dm.MealCode = @meal)
        AND (@mode = N'' OR dm.MealMode = @mode)
        AND (@clerk = N'' OR dm.ClerkID = @clerk)
        AND (@revoked = N'1' OR dm.RevokedAt IS NULL)
    OPTION (RECOMPILE);
END;
GO
