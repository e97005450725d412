-- parameters: code, description, cost, type, status, user
-- access: write
-- Inserts a meal or updates the meal with that code. The cost is empty or a number of
-- zero or more (stored with two decimals); a meal type, when given, must exist.
SELECT talo_raise('Meal code is required.')
WHERE trim(:code) = '';

SELECT talo_raise('Meal code must not contain invisible characters.')
WHERE talo_invisible(:code);

SELECT talo_raise('Status must be 1 (active) or 0 (inactive), not ''' || :status || '''.')
WHERE :status NOT IN ('1', '0');

SELECT talo_raise('Cost must be empty or a number of zero or more, not ''' || :cost || '''.')
WHERE talo_cost(:cost) IS NULL;

SELECT talo_raise('Unknown meal type ' || :type || '.')
WHERE trim(:type) <> ''
  AND NOT EXISTS (SELECT 1 FROM Station.tbcoMealType WHERE Code = :type);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt)
SELECT 'tbcoMeal', trim(:code),
       CASE WHEN EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = trim(:code))
            THEN 'UPDATE' ELSE 'INSERT' END,
       'Description=' || :description || '; Cost=' || talo_cost(:cost)
           || '; MealType=' || :type || '; Status=' || :status,
       :user, talo_now();

INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status)
VALUES (trim(:code), :description, talo_cost(:cost),
        COALESCE((SELECT Code FROM Station.tbcoMealType WHERE Code = :type), ''), :status)
ON CONFLICT(Code) DO UPDATE SET
    Description = excluded.Description,
    Cost = excluded.Cost,
    MealType = excluded.MealType,
    Status = excluded.Status;
