USE Station;
GO

-- The meal types tagged to an employee.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_EmployeeTaggedMeals
    @employee NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    SELECT
        mt.Code AS CODE,
        mt.Description AS DESCRIPTION
    FROM dbo.tbTALOEmployeeMeal AS t
    INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = t.MealTypeCode
    WHERE t.EmpNum = @employee
    ORDER BY mt.Code;
END;
GO
