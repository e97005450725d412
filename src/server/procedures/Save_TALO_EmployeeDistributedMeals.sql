-- parameters: employee, meal, mode, date, remarks, clerk, source
-- access: write
-- Records one meal handed to an employee. The employee and the meal must be known and
-- active, and the meal's type must be tagged to the employee.
SELECT talo_raise('Employee number is required.')
WHERE trim(:employee) = '';

SELECT talo_raise('Unknown employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee);

SELECT talo_raise('Employee ' || :employee || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee AND Active <> '1');

SELECT talo_raise('Meal code is required.')
WHERE trim(:meal) = '';

SELECT talo_raise('Unknown meal ' || :meal || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = :meal);

SELECT talo_raise('Meal ' || :meal || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = :meal AND Status <> '1');

SELECT talo_raise('The meal type of meal ' || :meal || ' is inactive.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal m
                  JOIN Station.tbcoMealType mt ON mt.Code = m.MealType AND mt.Status = '1'
                  WHERE m.Code = :meal);

SELECT talo_raise('Meal ' || :meal || ' is not allowed for employee ' || :employee
                  || ': its meal type is not tagged to the employee.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal m
                  JOIN Station.tbTALOEmployeeMeal t
                    ON t.MealTypeCode = m.MealType AND t.EmpNum = :employee
                  WHERE m.Code = :meal);

SELECT talo_raise('Meal mode is required.')
WHERE trim(:mode) = '';

SELECT talo_raise('''' || :date || ''' is not a valid date and time.')
WHERE talo_iso(:date) IS NULL;

INSERT INTO Station.tbTALOEmployeeDistributedMeals
    (EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, MealCost)
SELECT e.EmpNum, m.Code, :mode, talo_iso(:date), :remarks, :clerk, :source, talo_now(), m.Cost
FROM Payroll.tbcmaster e, Station.tbcoMeal m
WHERE e.EmpNum = :employee AND m.Code = :meal;
