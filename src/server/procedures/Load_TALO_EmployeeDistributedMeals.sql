-- parameters: employee, date
-- access: read
-- role: counter, revoke
-- The meals an employee received on the day of `date` and that are not revoked, in the
-- order they were given. An empty date names no day and finds nothing.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;

SELECT talo_raise('''' || :date || ''' is not a valid date.')
WHERE trim(:date) <> '' AND talo_iso_day(:date) IS NULL;

SELECT dm.MealCode AS MEAL,
       COALESCE(m.Description, '') AS DESCRIPTION,
       talo_short_time(dm.MealDate) AS TIME,
       dm.Remarks AS REMARKS,
       dm.ClerkID AS CLERKID,
       dm.TransNum AS TRANSNUM,
       dm.MealMode AS MEALMODE
FROM Station.tbTALOEmployeeDistributedMeals dm
LEFT JOIN Station.tbcoMeal m ON m.Code = dm.MealCode
WHERE dm.EmpNum = :employee
  AND dm.MealDate >= talo_iso_day(:date)
  AND dm.MealDate < date(talo_iso_day(:date), '+1 day')
  AND dm.RevokedAt IS NULL
ORDER BY dm.MealDate, dm.TransNum;
