-- parameters: from, to, employee, meal, mode, clerk, revoked
-- access: read
-- How many meals the history shows for these filters (as Load_TALO_DistributedMealHistory),
-- counted in the store. The same index serves each filter as for a page.
SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE trim(:from) <> '' AND talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE trim(:to) <> '' AND talo_iso(:to) IS NULL;

SELECT talo_raise('Revoked meals are shown with 1 or hidden with 0, not ''' || :revoked || '''.')
WHERE :revoked NOT IN ('1', '0');

SELECT
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedEmpDate
        WHERE :employee <> ''
          AND dm.EmpNum = :employee
          AND dm.MealDate >= max(COALESCE(talo_iso(:from), ''), COALESCE(talo_iso(:afterdate), ''))
          AND dm.MealDate <= COALESCE(talo_iso(:to), '9999-12-31 23:59:59')
          AND (:meal = '' OR dm.MealCode = :meal)
          AND (:mode = '' OR dm.MealMode = :mode)
          AND (:clerk = '' OR dm.ClerkID = :clerk)
          AND (:revoked = '1' OR dm.RevokedAt IS NULL))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedClerkDate
        WHERE :employee = '' AND :clerk <> ''
          AND dm.ClerkID = :clerk
          AND dm.MealDate >= max(COALESCE(talo_iso(:from), ''), COALESCE(talo_iso(:afterdate), ''))
          AND dm.MealDate <= COALESCE(talo_iso(:to), '9999-12-31 23:59:59')
          AND (:meal = '' OR dm.MealCode = :meal)
          AND (:mode = '' OR dm.MealMode = :mode)
          AND (:clerk = '' OR dm.ClerkID = :clerk)
          AND (:revoked = '1' OR dm.RevokedAt IS NULL))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedMealDate
        WHERE :employee = '' AND :clerk = '' AND :meal <> ''
          AND dm.MealCode = :meal
          AND dm.MealDate >= max(COALESCE(talo_iso(:from), ''), COALESCE(talo_iso(:afterdate), ''))
          AND dm.MealDate <= COALESCE(talo_iso(:to), '9999-12-31 23:59:59')
          AND (:meal = '' OR dm.MealCode = :meal)
          AND (:mode = '' OR dm.MealMode = :mode)
          AND (:clerk = '' OR dm.ClerkID = :clerk)
          AND (:revoked = '1' OR dm.RevokedAt IS NULL))
       +
       (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedDate
        WHERE :employee = '' AND :clerk = '' AND :meal = ''
          AND dm.MealDate >= max(COALESCE(talo_iso(:from), ''), COALESCE(talo_iso(:afterdate), ''))
          AND dm.MealDate <= COALESCE(talo_iso(:to), '9999-12-31 23:59:59')
          AND (:meal = '' OR dm.MealCode = :meal)
          AND (:mode = '' OR dm.MealMode = :mode)
          AND (:clerk = '' OR dm.ClerkID = :clerk)
          AND (:revoked = '1' OR dm.RevokedAt IS NULL)) AS MEALS;
