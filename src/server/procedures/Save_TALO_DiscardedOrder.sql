-- parameters: orderkey, employee, date, clerk, meals, refusal, reason, supervisor
-- access: write
-- role: revoke
-- Records that a supervisor discarded an order a counter served while the server could
-- not be reached and the server refused when the counter's journal sent it: the order's
-- key, employee, served time, clerk and meals, the refusal and the supervisor's reason go
-- to the audit log; no meal is stored. The counter forgets the order only after this
-- answers, so the call may come twice for one order: the second writes nothing.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Order key can be at most 36 characters long.') WHERE talo_length(:orderkey) > 36;
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;
SELECT talo_raise('Meals can be at most 2000 characters long.') WHERE talo_length(:meals) > 2000;
SELECT talo_raise('Refusal can be at most 1000 characters long.') WHERE talo_length(:refusal) > 1000;
SELECT talo_raise('Reason can be at most 500 characters long.') WHERE talo_length(:reason) > 500;
SELECT talo_raise('Supervisor ID can be at most 30 characters long.') WHERE talo_length(:supervisor) > 30;

SELECT talo_raise('Order key is required.') WHERE trim(:orderkey) = '';
SELECT talo_raise('A reason is required to discard a refused order.') WHERE trim(:reason) = '';
SELECT talo_raise('''' || :date || ''' is not a valid date and time.') WHERE talo_iso(:date) IS NULL;
SELECT talo_raise('User ' || :supervisor || ' does not hold the right to revoke meals, which '
                  || 'discarding a refused order needs.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOUserRights
                  WHERE UserID = :supervisor AND talo_rights_part(UserRights, 8) = '8');
SELECT talo_raise('The order ' || :orderkey || ' is stored: there is nothing to discard.')
WHERE EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals WHERE OrderKey = :orderkey);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOEmployeeDistributedMeals', :orderkey, 'DISCARD',
       'EmpNum=' || :employee || '; EmployeeName='
           || COALESCE((SELECT rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
                        FROM Payroll.tbcmaster AS e WHERE e.EmpNum = :employee), '')
           || '; MealDate=' || talo_iso(:date) || '; ClerkID=' || :clerk
           || '; Meals=' || :meals || '; Refusal=' || :refusal || '; Reason=' || :reason,
       :supervisor, talo_now(), talo_login(),
       json_object('EmpNum', json_object('old', :employee),
                   'MealDate', json_object('old', talo_iso(:date)))
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog
                  WHERE TableName = 'tbTALOEmployeeDistributedMeals' AND RecordKey = :orderkey
                    AND Action = 'DISCARD');
