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
                                   LoginName, Fields)
SELECT 'tbTALOEmployeeMeal', t.EmpNum || '/' || t.MealTypeCode, 'UNTAG',
       'EmployeeName=' || COALESCE(rtrim(e.Lastname || ', ' || e.Firstname || ' '
                                         || e.Middlename), '')
           || '; TypeName=' || COALESCE(mt.Description, ''),
       :user, talo_now(), talo_login(),
       json_object('EmpNum', json_object('old', t.EmpNum),
                   'MealTypeCode', json_object('old', t.MealTypeCode))
FROM Station.tbTALOEmployeeMeal AS t
LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = t.EmpNum
LEFT JOIN Station.tbcoMealType AS mt ON mt.Code = t.MealTypeCode
WHERE t.EmpNum = :employee AND t.MealTypeCode = :type;

DELETE FROM Station.tbTALOEmployeeMeal
WHERE EmpNum = :employee AND MealTypeCode = :type;
