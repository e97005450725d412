-- parameters: staff, lastname, firstname, middlename, user
-- access: write
-- role: users
-- Adds a person to the password register (active, without a password or any access) or
-- changes the names of a person already there (audited only when they differ).

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Last name can be at most 100 characters long.') WHERE talo_length(:lastname) > 100;
SELECT talo_raise('First name can be at most 100 characters long.') WHERE talo_length(:firstname) > 100;
SELECT talo_raise('Middle name can be at most 100 characters long.') WHERE talo_length(:middlename) > 100;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Staff ID must not contain invisible characters.')
WHERE talo_invisible(:staff);

-- A new staff ID a reader could not tell from one already registered ("ADMIN" with a
-- Cyrillic "A", full-width letters) would be a second person under the same name.
SELECT talo_raise('Staff ID ' || trim(:staff) || ' looks the same as ' || p.EmployeeID
                  || ', who is already registered.')
FROM Password.tbPasswordMain p
WHERE p.EmployeeID <> trim(:staff) AND talo_look_alike(p.EmployeeID) = talo_look_alike(:staff)
LIMIT 1;

SELECT talo_raise('Last name is required.')
WHERE trim(:lastname) = '';

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbPasswordMain', coalesce(p.EmployeeID, trim(:staff)),
       CASE WHEN p.EmployeeID IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN p.EmployeeID IS NULL
            THEN 'Lastname=' || trim(:lastname) || '; Firstname=' || trim(:firstname)
                 || '; Middlename=' || trim(:middlename)
            -- A new name is recorded beside the old one.
            ELSE 'Name: ' || rtrim(p.Lastname || ', ' || p.Firstname || ' ' || p.Middlename)
                 || ' -> ' || rtrim(trim(:lastname) || ', ' || trim(:firstname) || ' '
                                    || trim(:middlename)) END,
       :user, talo_now(), talo_login(),
       CASE WHEN p.EmployeeID IS NULL
            THEN json_object('Lastname', json_object('new', trim(:lastname)),
                             'Firstname', json_object('new', trim(:firstname)),
                             'Middlename', json_object('new', trim(:middlename)))
            ELSE json_object('Lastname', json_object('old', p.Lastname, 'new', trim(:lastname)),
                             'Firstname', json_object('old', p.Firstname,
                                                      'new', trim(:firstname)),
                             'Middlename', json_object('old', p.Middlename,
                                                       'new', trim(:middlename))) END
FROM (SELECT 1) one
LEFT JOIN Password.tbPasswordMain p ON p.EmployeeID = trim(:staff)
WHERE p.EmployeeID IS NULL OR p.Lastname <> trim(:lastname) COLLATE BINARY
   OR p.Firstname <> trim(:firstname) COLLATE BINARY
   OR p.Middlename <> trim(:middlename) COLLATE BINARY;

INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, Middlename,
                                    PasswordHash, Active)
VALUES (trim(:staff), trim(:lastname), trim(:firstname), trim(:middlename), '', '1')
ON CONFLICT(EmployeeID) DO UPDATE SET
    Lastname = excluded.Lastname,
    Firstname = excluded.Firstname,
    Middlename = excluded.Middlename;
