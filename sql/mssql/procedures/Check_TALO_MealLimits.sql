USE Station;
GO

-- The daily limits an order would pass. @modes is a JSON array with the meal mode of
-- each line of the order (["Lunch", "Lunch", "PM Snack"]). One row per limited mode of
-- the order whose meals on the day of @date (empty: the server's day), not revoked, plus
-- the order's lines of that mode exceed its limit, in the site's order of modes. The
-- counter asks about the warn-mode ones before saving; block-mode ones the save refuses.
CREATE OR ALTER PROCEDURE dbo.Check_TALO_MealLimits
    @employee NVARCHAR(4000),
    @date NVARCHAR(4000),
    @modes NVARCHAR(MAX)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@date), dbo.TALO_HasNul(@modes))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@date) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@modes) > 40000
        THROW 50000, N'Meal modes can be at most 20000 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @day DATE = CASE
        WHEN LTRIM(RTRIM(@date)) = N'' THEN CAST(GETDATE() AS DATE)
        ELSE CAST(TRY_CONVERT(DATETIME2(7), @date) AS DATE)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@date) = 1 SET @day = NULL;
    IF @day IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @date, N''' is not a valid date.');
        THROW 50000, @message, 1;
    END;
    IF dbo.TALO_IsJsonArray(@modes) = 0
        THROW 50000, N'The meal modes must be a JSON array.', 1;
    IF dbo.TALO_JsonHasNul(@modes) = 1
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;
    -- Modes are texts: true or 12 would match a mode named 'true' or '12' here and be
    -- read otherwise by the embedded store.
    IF EXISTS (SELECT 1 FROM OPENJSON(@modes) AS j WHERE j.[type] NOT IN (0, 1))
        THROW 50000, N'Each meal mode must be a JSON text.', 1;

    -- The day ends at its last second: 9999-12-31 has no next day to compare with.
    DECLARE @from DATETIME2(0) = CAST(@day AS DATETIME2(0));
    DECLARE @to DATETIME2(0) = DATEADD(SECOND, 86399, @from);

    SELECT
        r.MEALMODE,
        r.RECEIVED,
        r.DAILYLIMIT,
        r.ORDERED,
        r.LIMITACTION
    FROM (
        SELECT
            s.MealMode AS MEALMODE,
            (
                SELECT COUNT(*) FROM dbo.tbTALOEmployeeDistributedMeals AS dm
                WHERE
                    dm.EmpNum = @employee
                    AND LTRIM(RTRIM(dm.MealMode)) = s.MealMode
                    AND dm.MealDate >= @from
                    AND dm.MealDate <= @to
                    AND dm.RevokedAt IS NULL
            ) AS RECEIVED,
            s.DailyLimit AS DAILYLIMIT,
            o.n AS ORDERED,
            s.LimitAction AS LIMITACTION,
            s.Position AS position
        FROM (
            SELECT
                LTRIM(RTRIM(j.[value])) COLLATE Latin1_General_100_CI_AS AS mode,
                COUNT(*) AS n
            FROM OPENJSON(@modes) AS j
            GROUP BY LTRIM(RTRIM(j.[value])) COLLATE Latin1_General_100_CI_AS
        ) AS o
        INNER JOIN dbo.tbTALOMealModeSetting AS s ON s.MealMode = o.mode
        WHERE s.DailyLimit IS NOT NULL
    ) AS r
    WHERE r.RECEIVED + r.ORDERED > r.DAILYLIMIT
    ORDER BY r.position, r.MEALMODE;
END;
GO
