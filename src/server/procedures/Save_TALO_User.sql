-- parameters: staff, lastname, firstname, middlename, user
-- access: write
-- Adds a person to the password register (active, without a password or any access) or
-- changes the names of a person already there (audited only when they differ).
SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Last name is required.')
WHERE trim(:lastname) = '';

SELECT talo_raise('A value is longer than its column allows.')
WHERE length(trim(:staff)) > 30 OR length(trim(:lastname)) > 100
   OR length(trim(:firstname)) > 100 OR length(trim(:middlename)) > 100;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt)
SELECT 'tbPasswordMain', coalesce(p.EmployeeID, trim(:staff)),
       CASE WHEN p.EmployeeID IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       'Lastname=' || trim(:lastname) || '; Firstname=' || trim(:firstname)
           || '; Middlename=' || trim(:middlename),
       :user, talo_now()
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
