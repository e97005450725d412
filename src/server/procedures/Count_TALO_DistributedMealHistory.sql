-- parameters: from, to, employee, meal, mode, clerk, revoked
-- access: read
-- role: signin
-- How many meals the history shows for these filters (as Load_TALO_DistributedMealHistory,
-- with the same date range: an empty `from` counts the 31 days ending at `to`, or ending
-- today when `to` is empty too; and a filter of blanks is no filter), counted in the
-- store. The same index serves each filter as for a page, and the count reads only that
-- index while no meal or mode filter needs the rows themselves: the revoked meals are
-- counted apart, from their own small index, and taken off. (An employee has few meals:
-- those are read and their revokes seen on the rows.)

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:from) > 40;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:to) > 40;
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal code can be at most 30 characters long.') WHERE talo_length(:meal) > 30;
SELECT talo_raise('Meal mode can be at most 50 characters long.') WHERE talo_length(:mode) > 50;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;
SELECT talo_raise('Revoked can be at most 1 character long.') WHERE talo_length(:revoked) > 1;

SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE trim(:from) <> '' AND talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE trim(:to) <> '' AND talo_iso(:to) IS NULL;

SELECT talo_raise('Revoked meals are shown with 1 or hidden with 0, not ''' || :revoked || '''.')
WHERE :revoked NOT IN ('1', '0');

SELECT
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedEmpDate
        WHERE rtrim(:employee) <> ''
          AND dm.EmpNum = :employee
          AND dm.MealDate >= talo_history_from(:from, :to)
          AND dm.MealDate <= talo_history_to(:from, :to)
          AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
          AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
          AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)
          AND (:revoked = '1' OR dm.RevokedAt IS NULL))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedClerkDate
        WHERE rtrim(:employee) = '' AND rtrim(:clerk) <> ''
          AND dm.ClerkID = :clerk
          AND dm.MealDate >= talo_history_from(:from, :to)
          AND dm.MealDate <= talo_history_to(:from, :to)
          AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
          AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
          AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedMealDate
        WHERE rtrim(:employee) = '' AND rtrim(:clerk) = '' AND rtrim(:meal) <> ''
          AND dm.MealCode = :meal
          AND dm.MealDate >= talo_history_from(:from, :to)
          AND dm.MealDate <= talo_history_to(:from, :to)
          AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
          AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
          AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedDate
        WHERE rtrim(:employee) = '' AND rtrim(:clerk) = '' AND rtrim(:meal) = ''
          AND dm.MealDate >= talo_history_from(:from, :to)
          AND dm.MealDate <= talo_history_to(:from, :to)
          AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
          AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
          AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk))
       - CASE WHEN :revoked = '1' OR rtrim(:employee) <> '' THEN 0 ELSE
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedRevoked
        WHERE dm.RevokedAt IS NOT NULL
          AND dm.MealDate >= talo_history_from(:from, :to)
          AND dm.MealDate <= talo_history_to(:from, :to)
          AND (rtrim(:employee) = '' OR dm.EmpNum = :employee)
          AND (rtrim(:meal) = '' OR dm.MealCode = :meal)
          AND (rtrim(:mode) = '' OR dm.MealMode = :mode)
          AND (rtrim(:clerk) = '' OR dm.ClerkID = :clerk)) END AS MEALS;
