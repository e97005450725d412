-- parameters: code, description, status, user
-- access: write
-- role: masters
-- Inserts a meal type or updates the meal type with that code.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Meal type code can be at most 30 characters long.') WHERE talo_length(:code) > 30;
SELECT talo_raise('Description can be at most 200 characters long.') WHERE talo_length(:description) > 200;
SELECT talo_raise('Status can be at most 1 character long.') WHERE talo_length(:status) > 1;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Meal type code is required.')
WHERE trim(:code) = '';

SELECT talo_raise('Meal type code must not contain invisible characters.')
WHERE talo_invisible(:code);

SELECT talo_raise('Meal type code ' || trim(:code) || ' is the same code as ' || t.Code
                  || ', which already exists.')
FROM Station.tbcoMealType t
WHERE t.Code <> trim(:code) AND talo_key_form(t.Code) = talo_key_form(:code)
LIMIT 1;

SELECT talo_raise('Status must be 1 (active) or 0 (inactive), not ''' || :status || '''.')
WHERE :status NOT IN ('1', '0');

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbcoMealType', trim(:code),
       CASE WHEN t.Code IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN t.Code IS NULL THEN 'Description=' || :description || '; Status=' || :status
            -- An update names the type and lists what changed, from what to what.
            ELSE CASE WHEN t.Description <> :description COLLATE BINARY
                      THEN 'Description: ' || t.Description || ' -> ' || :description
                      ELSE 'Description=' || t.Description END
                 || CASE WHEN t.Status <> :status
                         THEN '; Status: ' || t.Status || ' -> ' || :status ELSE '' END
       END,
       :user, talo_now(), talo_login(),
       CASE WHEN t.Code IS NULL
            THEN json_object('Description', json_object('new', :description),
                             'Status', json_object('new', :status))
            ELSE json_object('Description', json_object('old', t.Description,
                                                        'new', :description),
                             'Status', json_object('old', t.Status, 'new', :status)) END
FROM (SELECT 1) AS one
LEFT JOIN Station.tbcoMealType AS t ON t.Code = trim(:code);

INSERT INTO Station.tbcoMealType(Code, Description, Status)
VALUES (trim(:code), :description, :status)
ON CONFLICT(Code) DO UPDATE SET
    Description = excluded.Description,
    Status = excluded.Status;
