-- parameters: staff, rights, user
-- access: write
-- role: admin
-- Replaces a person's rights string. The string is "|" followed by a number, repeated
-- (part k holds the code k when right k is granted, "0" when not); empty means none.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Rights string can be at most 200 characters long.') WHERE talo_length(:rights) > 200;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('''' || :rights || ''' is not a rights string.')
WHERE talo_rights_valid(:rights) = 0;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                 LoginName)
VALUES ('tbTALOUserRights', trim(:staff), 'RIGHTS',
        COALESCE((SELECT UserRights FROM Station.tbTALOUserRights
                  WHERE UserID = :staff ORDER BY rowid LIMIT 1), '(none)')
            || ' -> ' || :rights,
        :user, talo_now(), talo_login());

DELETE FROM Station.tbTALOUserRights WHERE UserID = :staff;

INSERT INTO Station.tbTALOUserRights(UserID, UserRights, ModifiedBy, ModifiedAt)
VALUES (trim(:staff), :rights, :user, talo_now());
