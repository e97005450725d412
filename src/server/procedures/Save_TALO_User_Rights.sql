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

-- The last manager (temp.talo_managers: active, may sign in to TALO, has a password,
-- right 5 in the fifth part of the first rights row) keeps right 5: otherwise nobody
-- could manage sign-ins or rights any more.
SELECT talo_raise(p.EmployeeID || ' is the last person with right 5 who may sign in; '
                  || 'give right 5 to someone else first.')
FROM temp.talo_managers p
WHERE p.EmployeeID = trim(:staff)
  AND talo_rights_part(:rights, 5) <> '5'
  AND NOT EXISTS (SELECT 1 FROM temp.talo_managers o WHERE o.EmployeeID <> p.EmployeeID);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
VALUES ('tbTALOUserRights', trim(:staff), 'RIGHTS',
        COALESCE((SELECT UserRights FROM Station.tbTALOUserRights
                  WHERE UserID = trim(:staff) ORDER BY rowid LIMIT 1), '(none)')
            || ' -> ' || :rights,
        :user, talo_now(), talo_login(),
        json_object('UserRights',
                    json_object('old', (SELECT UserRights FROM Station.tbTALOUserRights
                                        WHERE UserID = trim(:staff) ORDER BY rowid LIMIT 1),
                                'new', :rights)));

DELETE FROM Station.tbTALOUserRights WHERE UserID = trim(:staff);

INSERT INTO Station.tbTALOUserRights(UserID, UserRights, ModifiedBy, ModifiedAt)
VALUES (trim(:staff), :rights, :user, talo_now());
