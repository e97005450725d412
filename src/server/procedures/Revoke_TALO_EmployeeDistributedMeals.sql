-- parameters: employee, transnum, clerk
-- access: write
-- role: revoke
-- Revokes one distributed meal of the employee. The row is kept; the revoke is
-- recorded on it (who and when) and in the audit log. A meal dated on or before the day
-- the meals are closed through (App Settings) is not revoked.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Transaction number can be at most 20 characters long.') WHERE talo_length(:transnum) > 20;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;

SELECT talo_raise('''' || :transnum || ''' is not a transaction number.')
WHERE NOT (trim(:transnum) GLOB '[0-9]*' AND trim(:transnum) NOT GLOB '*[^0-9]*');

SELECT talo_raise('Meal ' || :transnum || ' was not given to employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE TransNum = CAST(trim(:transnum) AS INTEGER) AND EmpNum = :employee);

SELECT talo_raise('Meal ' || :transnum || ' is already revoked.')
WHERE EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
              WHERE TransNum = CAST(trim(:transnum) AS INTEGER) AND RevokedAt IS NOT NULL);

-- The meals through the closed day were sent to payroll: none of them is taken back.
SELECT talo_raise('Meal ' || :transnum || ' of ' || substr(dm.MealDate, 1, 10)
                  || ' cannot be revoked: the meals through ' || s.ClosedThrough
                  || ' are closed for payroll.')
FROM Station.tbTALOEmployeeDistributedMeals dm
JOIN Station.tbTALOSiteSetting s ON s.SettingID = 1
WHERE dm.TransNum = CAST(trim(:transnum) AS INTEGER)
  AND s.ClosedThrough IS NOT NULL AND substr(dm.MealDate, 1, 10) <= s.ClosedThrough;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOEmployeeDistributedMeals', dm.TransNum, 'REVOKE',
       'EmpNum=' || dm.EmpNum || '; EmployeeName='
           || COALESCE(rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), '')
           || '; MealCode=' || dm.MealCode || '; MealName=' || COALESCE(m.Description, '')
           || '; MealDate=' || dm.MealDate,
       :clerk, talo_now(), talo_login(),
       json_object('EmpNum', json_object('old', dm.EmpNum),
                   'MealCode', json_object('old', dm.MealCode),
                   'MealDate', json_object('old', dm.MealDate))
FROM Station.tbTALOEmployeeDistributedMeals AS dm
LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = dm.EmpNum
LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode
WHERE dm.TransNum = CAST(trim(:transnum) AS INTEGER);

UPDATE Station.tbTALOEmployeeDistributedMeals
SET RevokedBy = :clerk, RevokedAt = talo_now()
WHERE TransNum = CAST(trim(:transnum) AS INTEGER);
