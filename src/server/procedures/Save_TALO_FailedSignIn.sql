-- parameters: staff, workstation
-- access: write
-- role: signin
-- Records a refused sign-in in the changes log: the staff ID as typed (known or not;
-- which part was wrong is not recorded, as the person is not told), the workstation and
-- the server's time. The counter role may run it, since no one is signed in yet.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Workstation can be at most 100 characters long.') WHERE talo_length(:workstation) > 100;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
VALUES ('SignIn', :staff, 'FAILED', 'Workstation: ' || :workstation, '', talo_now(),
        talo_login(), json_object('Workstation', json_object('new', :workstation)));
