-- parameters: code, description, cost, type, status, user
-- access: write
-- role: masters
-- Inserts a meal or updates the meal with that code. The cost is empty or a number of
-- zero or more with at most two significant decimals (stored with two); a meal type,
-- when given, must exist.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Meal code can be at most 30 characters long.') WHERE talo_length(:code) > 30;
SELECT talo_raise('Description can be at most 200 characters long.') WHERE talo_length(:description) > 200;
SELECT talo_raise('Cost can be at most 20 characters long.') WHERE talo_length(:cost) > 20;
SELECT talo_raise('Meal type code can be at most 30 characters long.') WHERE talo_length(:type) > 30;
SELECT talo_raise('Status can be at most 1 character long.') WHERE talo_length(:status) > 1;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Meal code is required.')
WHERE trim(:code) = '';

SELECT talo_raise('Meal code must not contain invisible characters.')
WHERE talo_invisible(:code);

SELECT talo_raise('Meal code ' || trim(:code) || ' is the same code as ' || m.Code
                  || ', which already exists.')
FROM Station.tbcoMeal m
WHERE m.Code <> trim(:code) AND talo_key_form(m.Code) = talo_key_form(:code)
LIMIT 1;

SELECT talo_raise('Status must be 1 (active) or 0 (inactive), not ''' || :status || '''.')
WHERE :status NOT IN ('1', '0');

SELECT talo_raise('Cost must be empty or a number of zero or more, not ''' || :cost || '''.')
WHERE talo_cost(:cost) IS NULL;

-- A cost is stored with two decimals: a third significant one is refused, not rounded.
SELECT talo_raise('Cost can have at most two decimals, not ''' || :cost || '''.')
WHERE talo_cost(:cost) GLOB '*.???*';

SELECT talo_raise('Unknown meal type ' || :type || '.')
WHERE trim(:type) <> ''
  AND NOT EXISTS (SELECT 1 FROM Station.tbcoMealType WHERE Code = :type);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbcoMeal', trim(:code),
       CASE WHEN m.Code IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN m.Code IS NULL
            THEN 'Description=' || :description || '; Cost=' || talo_cost(:cost)
                 || '; MealType=' || :type || '; Status=' || :status
            -- An update names the meal and lists what changed, from what to what.
            ELSE CASE WHEN m.Description <> :description COLLATE BINARY
                      THEN 'Description: ' || m.Description || ' -> ' || :description
                      ELSE 'Description=' || m.Description END
                 || CASE WHEN m.Cost <> talo_cost(:cost)
                         THEN '; Cost: ' || m.Cost || ' -> ' || talo_cost(:cost) ELSE '' END
                 || CASE WHEN m.MealType <> COALESCE((SELECT Code FROM Station.tbcoMealType
                                                      WHERE Code = :type), '') COLLATE BINARY
                         THEN '; MealType: ' || m.MealType || ' -> '
                              || COALESCE((SELECT Code FROM Station.tbcoMealType
                                           WHERE Code = :type), '')
                         ELSE '' END
                 || CASE WHEN m.Status <> :status
                         THEN '; Status: ' || m.Status || ' -> ' || :status ELSE '' END
       END,
       :user, talo_now(), talo_login(),
       CASE WHEN m.Code IS NULL
            THEN json_object('Description', json_object('new', :description),
                             'Cost', json_object('new', talo_cost(:cost)),
                             'MealType', json_object('new',
                                 COALESCE((SELECT Code FROM Station.tbcoMealType
                                           WHERE Code = :type), '')),
                             'Status', json_object('new', :status))
            ELSE json_object('Description', json_object('old', m.Description,
                                                        'new', :description),
                             'Cost', json_object('old', m.Cost, 'new', talo_cost(:cost)),
                             'MealType', json_object('old', m.MealType, 'new',
                                 COALESCE((SELECT Code FROM Station.tbcoMealType
                                           WHERE Code = :type), '')),
                             'Status', json_object('old', m.Status, 'new', :status)) END
FROM (SELECT 1) AS one
LEFT JOIN Station.tbcoMeal AS m ON m.Code = trim(:code);

INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status)
VALUES (trim(:code), :description, talo_cost(:cost),
        COALESCE((SELECT Code FROM Station.tbcoMealType WHERE Code = :type), ''), :status)
ON CONFLICT(Code) DO UPDATE SET
    Description = excluded.Description,
    Cost = excluded.Cost,
    MealType = excluded.MealType,
    Status = excluded.Status;
