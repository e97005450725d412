-- parameters: employee, text
-- access: read
-- role: counter
-- Active meals of active meal types tagged to an active employee, whose description
-- contains the text or whose code equals it.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Search text can be at most 200 characters long.') WHERE talo_length(:text) > 200;

SELECT m.Code AS CODE,
       m.Description AS DESCRIPTION,
       m.Cost AS COST,
       m.MealType AS TYPE,
       m.Status AS STATUS
FROM Station.tbTALOEmployeeMeal t
JOIN Payroll.tbcmaster e ON e.EmpNum = t.EmpNum AND e.Active = '1'
JOIN Station.tbcoMealType mt ON mt.Code = t.MealTypeCode AND mt.Status = '1'
JOIN Station.tbcoMeal m ON m.MealType = mt.Code AND m.Status = '1'
WHERE t.EmpNum = :employee
  AND (m.Code = :text OR talo_contains(m.Description, :text))
ORDER BY m.Description, m.Code;
