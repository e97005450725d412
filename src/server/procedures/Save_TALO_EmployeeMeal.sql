-- parameters: employee, type, user
-- access: write
-- role: masters
-- Tags a meal type to an employee. A tag that exists already is kept as it is (and
-- not recorded again).

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal type code can be at most 30 characters long.') WHERE talo_length(:type) > 30;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Employee number is required.')
WHERE trim(:employee) = '';

SELECT talo_raise('Unknown employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee);

SELECT talo_raise('Employee ' || :employee || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee AND Active <> '1');

SELECT talo_raise('Meal type code is required.')
WHERE trim(:type) = '';

SELECT talo_raise('Unknown meal type ' || :type || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMealType WHERE Code = :type);

SELECT talo_raise('Meal type ' || :type || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Station.tbcoMealType WHERE Code = :type AND Status <> '1');

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOEmployeeMeal', e.EmpNum || '/' || mt.Code, 'TAG',
       'EmployeeName=' || rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)
           || '; TypeName=' || mt.Description,
       :user, talo_now(), talo_login(),
       json_object('EmpNum', json_object('new', e.EmpNum),
                   'MealTypeCode', json_object('new', mt.Code))
FROM Payroll.tbcmaster e, Station.tbcoMealType mt
WHERE e.EmpNum = :employee AND mt.Code = :type
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeMeal
                  WHERE EmpNum = :employee AND MealTypeCode = :type);

INSERT OR IGNORE INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, TaggedBy, TaggedAt)
SELECT e.EmpNum, mt.Code, :user, talo_now()
FROM Payroll.tbcmaster e, Station.tbcoMealType mt
WHERE e.EmpNum = :employee AND mt.Code = :type;
