USE Station;
GO

-- The meal types tagged to an employee.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_EmployeeTaggedMeals
    @employee NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;

    SELECT
        mt.Code AS CODE,
        mt.Description AS DESCRIPTION
    FROM dbo.tbTALOEmployeeMeal AS t
    INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = t.MealTypeCode
    WHERE t.EmpNum = @employee
    ORDER BY mt.Code;
END;
GO
