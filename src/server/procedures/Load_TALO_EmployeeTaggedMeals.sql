-- parameters: employee
-- access: read
-- role: masters
-- The meal types tagged to an employee.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;

SELECT mt.Code AS CODE, mt.Description AS DESCRIPTION
FROM Station.tbTALOEmployeeMeal t
JOIN Station.tbcoMealType mt ON mt.Code = t.MealTypeCode
WHERE t.EmpNum = :employee
ORDER BY mt.Code;
