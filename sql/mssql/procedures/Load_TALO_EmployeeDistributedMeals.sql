USE Station;
GO

-- The meals an employee received on the day of @date and that are not revoked, in the
-- order they were given. An empty date names no day and finds nothing.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_EmployeeDistributedMeals
    @employee NVARCHAR(4000),
    @date NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@date))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@date) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @day DATE = CASE
        WHEN LTRIM(RTRIM(@date)) = N'' THEN NULL
        ELSE CAST(TRY_CONVERT(DATETIME2(7), @date) AS DATE)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@date) = 1 SET @day = NULL;
    IF LTRIM(RTRIM(@date)) <> N'' AND @day IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @date, N''' is not a valid date.');
        THROW 50000, @message, 1;
    END;

    DECLARE @from DATETIME2(0) = CAST(@day AS DATETIME2(0));
    DECLARE @until DATETIME2(0) = DATEADD(DAY, 1, @from);

    SELECT
        dm.MealCode AS MEAL,
        COALESCE(m.Description, N'') AS DESCRIPTION,
        FORMAT(dm.MealDate, N't') AS [TIME],
        dm.Remarks AS REMARKS,
        dm.ClerkID AS CLERKID,
        dm.TransNum AS TRANSNUM,
        dm.MealMode AS MEALMODE
    FROM dbo.tbTALOEmployeeDistributedMeals AS dm
    LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
    WHERE
        dm.EmpNum = @employee
        AND dm.MealDate >= @from
        AND dm.MealDate < @until
        AND dm.RevokedAt IS NULL
    ORDER BY dm.MealDate, dm.TransNum;
END;
GO
