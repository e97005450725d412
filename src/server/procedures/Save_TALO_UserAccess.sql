-- parameters: staff, access, active, user
-- access: write
-- role: users
-- Grants ('1') or withdraws ('0') a person's use of this program (application code TALO)
-- and sets the person active ('1') or inactive ('0'). Nobody withdraws his own access,
-- and the last active person who may sign in and holds right 5 (user management) keeps
-- it: otherwise nobody could manage sign-ins any more.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Access can be at most 1 character long.') WHERE talo_length(:access) > 1;
SELECT talo_raise('Active can be at most 1 character long.') WHERE talo_length(:active) > 1;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Unknown staff ID ' || :staff || '.')
WHERE NOT EXISTS (SELECT 1 FROM Password.tbPasswordMain WHERE EmployeeID = trim(:staff));

SELECT talo_raise('Access must be 1 (granted) or 0 (withdrawn), not ''' || :access || '''.')
WHERE :access NOT IN ('1', '0');

SELECT talo_raise('Active must be 1 (active) or 0 (inactive), not ''' || :active || '''.')
WHERE :active NOT IN ('1', '0');

SELECT talo_raise('You cannot withdraw your own access.')
WHERE trim(:staff) = trim(:user) COLLATE UNICODE_CI AND (:access = '0' OR :active = '0');

-- The last manager (temp.talo_managers) keeps his access and stays active.
SELECT talo_raise(p.EmployeeID || ' is the last person with right 5 who may sign in; '
                  || 'give right 5 to someone else first.')
FROM temp.talo_managers p
WHERE p.EmployeeID = trim(:staff)
  AND (:access = '0' OR :active = '0')
  AND NOT EXISTS (SELECT 1 FROM temp.talo_managers o WHERE o.EmployeeID <> p.EmployeeID);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbPasswordAppAccess', p.EmployeeID, 'ACCESS',
       CASE WHEN :access = '1' THEN 'TALO granted' ELSE 'TALO withdrawn' END,
       :user, talo_now(), talo_login(),
       json_object('TALO', json_object('old', CASE WHEN :access = '1' THEN '0' ELSE '1' END,
                                       'new', CASE WHEN :access = '1' THEN '1' ELSE '0' END))
FROM Password.tbPasswordMain p
WHERE p.EmployeeID = trim(:staff)
  AND EXISTS (SELECT 1 FROM Password.tbPasswordAppAccess a
              WHERE a.EmployeeID = p.EmployeeID AND a.AppCode = 'TALO') <> (:access = '1');

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbPasswordMain', EmployeeID, 'UPDATE', 'Active: ' || Active || ' -> ' || :active,
       :user, talo_now(), talo_login(),
       json_object('Active', json_object('old', Active, 'new', :active))
FROM Password.tbPasswordMain
WHERE EmployeeID = trim(:staff) AND Active <> :active;

INSERT OR IGNORE INTO Password.tbPasswordAppAccess(EmployeeID, AppCode)
SELECT EmployeeID, 'TALO' FROM Password.tbPasswordMain
WHERE EmployeeID = trim(:staff) AND :access = '1';

DELETE FROM Password.tbPasswordAppAccess
WHERE EmployeeID = trim(:staff) AND AppCode = 'TALO' AND :access = '0';

UPDATE Password.tbPasswordMain SET Active = :active WHERE EmployeeID = trim(:staff);
