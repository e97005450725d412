-- parameters: employee, type, user
-- access: write
-- role: masters
-- Removes a meal type tag from an employee.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal type code can be at most 30 characters long.') WHERE talo_length(:type) > 30;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Meal type ' || :type || ' is not tagged to employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeMeal
                  WHERE EmpNum = :employee AND MealTypeCode = :type);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                 LoginName)
SELECT 'tbTALOEmployeeMeal', EmpNum || '/' || MealTypeCode, 'UNTAG', '', :user,
       talo_now(), talo_login()
FROM Station.tbTALOEmployeeMeal
WHERE EmpNum = :employee AND MealTypeCode = :type;

DELETE FROM Station.tbTALOEmployeeMeal
WHERE EmpNum = :employee AND MealTypeCode = :type;
