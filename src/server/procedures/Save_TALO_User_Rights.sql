-- parameters: staff, rights, user
-- access: write
-- role: users
-- Replaces a person's rights string. The string is "|" followed by a number, repeated
-- (part k holds the code k when right k is granted, "0" when not); empty means none.
-- The staff ID is trimmed once and used so everywhere: a padded ID names the same
-- person, and the old rights row is replaced, not left in force beside the new one.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Rights string can be at most 200 characters long.') WHERE talo_length(:rights) > 200;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Staff ID must not contain invisible characters.')
WHERE talo_invisible(:staff);

SELECT talo_raise('''' || :rights || ''' is not a rights string.')
WHERE talo_rights_valid(:rights) = 0;

-- The last manager (active, may sign in to TALO, the first rights row holds right 5)
-- keeps right 5: otherwise nobody could manage sign-ins or rights any more.
SELECT talo_raise(p.EmployeeID || ' is the last person with right 5 who may sign in; '
                  || 'give right 5 to someone else first.')
FROM Password.tbPasswordMain p
WHERE p.EmployeeID = trim(:staff)
  AND '|' || :rights || '|' NOT LIKE '%|5|%'
  AND p.Active = '1'
  AND EXISTS (SELECT 1 FROM Password.tbPasswordAppAccess a
              WHERE a.EmployeeID = p.EmployeeID AND a.AppCode = 'TALO')
  AND '|' || coalesce((SELECT r.UserRights FROM Station.tbTALOUserRights r
                       WHERE r.UserID = p.EmployeeID ORDER BY r.rowid LIMIT 1), '')
      || '|' LIKE '%|5|%'
  AND NOT EXISTS (
      SELECT 1 FROM Password.tbPasswordMain o
      WHERE o.EmployeeID <> p.EmployeeID AND o.Active = '1'
        AND EXISTS (SELECT 1 FROM Password.tbPasswordAppAccess a
                    WHERE a.EmployeeID = o.EmployeeID AND a.AppCode = 'TALO')
        AND '|' || coalesce((SELECT r.UserRights FROM Station.tbTALOUserRights r
                             WHERE r.UserID = o.EmployeeID ORDER BY r.rowid LIMIT 1), '')
            || '|' LIKE '%|5|%');

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                 LoginName)
VALUES ('tbTALOUserRights', trim(:staff), 'RIGHTS',
        COALESCE((SELECT UserRights FROM Station.tbTALOUserRights
                  WHERE UserID = trim(:staff) ORDER BY rowid LIMIT 1), '(none)')
            || ' -> ' || :rights,
        :user, talo_now(), talo_login());

DELETE FROM Station.tbTALOUserRights WHERE UserID = trim(:staff);

INSERT INTO Station.tbTALOUserRights(UserID, UserRights, ModifiedBy, ModifiedAt)
VALUES (trim(:staff), :rights, :user, talo_now());
