USE Station;
GO

-- Active meals of active meal types tagged to an active employee, whose description
-- contains the text (any text, when it is empty) or whose code equals it.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_EmployeeAllowedMeals
    @employee NVARCHAR(4000),
    @text NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@text))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@text) > 400
        THROW 50000, N'Search text can be at most 200 characters long.', 1;

    SELECT
        m.Code AS CODE,
        m.Description AS DESCRIPTION,
        m.Cost AS COST,
        m.MealType AS [TYPE],
        m.Status AS [STATUS]
    FROM dbo.tbTALOEmployeeMeal AS t
    INNER JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = t.EmpNum AND e.Active = '1'
    INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = t.MealTypeCode AND mt.Status = '1'
    INNER JOIN dbo.tbcoMeal AS m ON m.MealType = mt.Code AND m.Status = '1'
    WHERE
        t.EmpNum = @employee
        AND (
            m.Code = @text
            OR DATALENGTH(@text) = 0
            OR CHARINDEX(@text, m.Description) > 0
        )
    ORDER BY m.Description, m.Code;
END;
GO
