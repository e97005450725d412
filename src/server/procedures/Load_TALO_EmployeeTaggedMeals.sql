-- parameters: employee
-- access: read
-- The meal types tagged to an employee.
SELECT mt.Code AS CODE, mt.Description AS DESCRIPTION
FROM Station.tbTALOEmployeeMeal t
JOIN Station.tbcoMealType mt ON mt.Code = t.MealTypeCode
WHERE t.EmpNum = :employee
ORDER BY mt.Code;
