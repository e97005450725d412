-- parameters: employee, meal, mode, date, remarks, clerk, source
-- access: write
-- role: counter
-- Records one meal handed to an employee. The employee and the meal must be known and
-- active, and the meal's type must be tagged to the employee.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal code can be at most 30 characters long.') WHERE talo_length(:meal) > 30;
SELECT talo_raise('Meal mode can be at most 50 characters long.') WHERE talo_length(:mode) > 50;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Remarks can be at most 500 characters long.') WHERE talo_length(:remarks) > 500;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;
SELECT talo_raise('Source can be at most 100 characters long.') WHERE talo_length(:source) > 100;

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

-- A meal mode the site limits with a block: the employee's meals of that mode on the day
-- of the meal, not revoked, counting the lines already saved in the caller's transaction,
-- must stay under the limit. Writes are serialised by the store, so two counters cannot
-- both pass the last allowed meal.
SELECT talo_raise('Employee ' || :employee || ' has already received ' || c.received || ' '
                  || c.mode || ' today; the site allows ' || c.lim || ' a day.')
FROM (SELECT s.MealMode AS mode, s.DailyLimit AS lim,
             (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals dm
              WHERE dm.EmpNum = :employee AND dm.MealMode = s.MealMode
                AND dm.MealDate >= talo_iso_day(:date)
                AND dm.MealDate < date(talo_iso_day(:date), '+1 day')
                AND dm.RevokedAt IS NULL) AS received
      FROM Station.tbTALOMealModeSetting s
      WHERE s.MealMode = :mode AND s.LimitAction = 'B' AND s.DailyLimit IS NOT NULL) c
WHERE c.received >= c.lim;

INSERT INTO Station.tbTALOEmployeeDistributedMeals
    (EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, MealCost)
SELECT e.EmpNum, m.Code, :mode, talo_iso(:date), :remarks, :clerk, :source, talo_now(), m.Cost
FROM Payroll.tbcmaster e, Station.tbcoMeal m
WHERE e.EmpNum = :employee AND m.Code = :meal;
