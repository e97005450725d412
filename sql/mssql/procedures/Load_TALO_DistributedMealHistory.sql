USE Station;
GO

-- One page of the history of distributed meals, in (date-time, transaction number)
-- order: the meals from @from to @to (both date-times, both included), of the employee,
-- meal, meal mode and clerk when given, revoked ones only when @revoked is 1. An empty
-- @to has no end; an empty @from reads the 31 days ending at @to, ending today when @to
-- is empty too. A page starts after the meal (@afterdate, @aftertrans) that ended the
-- page before (both empty for the first page) and holds at most @pagesize meals.
-- Keyset paging: the page is an index range from its first key on, never an OFFSET.
-- RECOMPILE lets the optimizer see which filters are empty and seek the index of the
-- one that is given (employee, clerk, meal, else the date).
CREATE OR ALTER PROCEDURE dbo.Load_TALO_DistributedMealHistory
    @from NVARCHAR(4000),
    @to NVARCHAR(4000),
    @employee NVARCHAR(4000),
    @meal NVARCHAR(4000),
    @mode NVARCHAR(4000),
    @clerk NVARCHAR(4000),
    @revoked NVARCHAR(4000),
    @afterdate NVARCHAR(4000),
    @aftertrans NVARCHAR(4000),
    @pagesize NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@from), dbo.TALO_HasNul(@to), dbo.TALO_HasNul(@employee),
        dbo.TALO_HasNul(@meal), dbo.TALO_HasNul(@mode), dbo.TALO_HasNul(@clerk),
        dbo.TALO_HasNul(@revoked), dbo.TALO_HasNul(@afterdate), dbo.TALO_HasNul(@aftertrans),
        dbo.TALO_HasNul(@pagesize)
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
    IF DATALENGTH(@afterdate) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@aftertrans) > 40
        THROW 50000, N'Transaction number can be at most 20 characters long.', 1;
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
    DECLARE @afterDigits NVARCHAR(4000) = LTRIM(RTRIM(@aftertrans));
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
    IF @revoked NOT IN (N'1', N'0')
    BEGIN
        SET @message = CONCAT(
            N'Revoked meals are shown with 1 or hidden with 0, not ''', @revoked, N'''.'
        );
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
        SET @message = CONCAT(N'''', @aftertrans, N''' is not a transaction number.');
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

    -- An empty @from reads the 31 days ending at @to (ending today when @to is empty
    -- too), as the count does.
    SELECT @fromAt = r.FromAt, @toAt = r.ToAt FROM dbo.TALO_HistoryRange(@fromAt, @toAt) AS r;

    DECLARE @size INT = TRY_CONVERT(INT, @sizeDigits);
    DECLARE @afterNumber BIGINT = TRY_CONVERT(BIGINT, @afterDigits);
    DECLARE @lower DATETIME2(0) = CASE WHEN @afterAt > @fromAt THEN @afterAt ELSE @fromAt END;

    SELECT TOP (@size)
        dm.MealDate AS MEALDATE,
        dm.EmpNum AS EMPNUM,
        COALESCE(e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename, N'') AS NAME,
        COALESCE(d.Description, N'') AS DEPARTMENT,
        dm.MealCode AS MEAL,
        COALESCE(m.Description, N'') AS DESCRIPTION,
        dm.MealMode AS MEALMODE,
        dm.Remarks AS REMARKS,
        dm.ClerkID AS CLERKID,
        dm.RecordedAt AS RECORDEDAT,
        COALESCE(dm.RevokedBy, N'') AS REVOKEDBY,
        dm.RevokedAt AS REVOKEDAT,
        dm.TransNum AS TRANSNUM
    FROM dbo.tbTALOEmployeeDistributedMeals AS dm
    LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = dm.EmpNum
    LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
    LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
    WHERE
        dm.MealDate >= @lower
        AND dm.MealDate <= @toAt
        AND (@afterAt IS NULL OR dm.MealDate > @afterAt OR dm.TransNum > @afterNumber)
        AND (@employee = N'' OR dm.EmpNum = @employee)
        AND (@meal = N'' OR dm.MealCode = @meal)
        AND (@mode = N'' OR dm.MealMode = @mode)
        AND (@clerk = N'' OR dm.ClerkID = @clerk)
        AND (@revoked = N'1' OR dm.RevokedAt IS NULL)
    ORDER BY dm.MealDate, dm.TransNum
    OPTION (RECOMPILE);
END;
GO
