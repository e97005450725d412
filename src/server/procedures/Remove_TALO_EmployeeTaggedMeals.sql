-- parameters: employee, type, user
-- access: write
-- Removes a meal type tag from an employee.
SELECT talo_raise('Meal type ' || :type || ' is not tagged to employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeMeal
                  WHERE EmpNum = :employee AND MealTypeCode = :type);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt)
SELECT 'tbTALOEmployeeMeal', EmpNum || '/' || MealTypeCode, 'UNTAG', '', :user, talo_now()
FROM Station.tbTALOEmployeeMeal
WHERE EmpNum = :employee AND MealTypeCode = :type;

DELETE FROM Station.tbTALOEmployeeMeal
WHERE EmpNum = :employee AND MealTypeCode = :type;
