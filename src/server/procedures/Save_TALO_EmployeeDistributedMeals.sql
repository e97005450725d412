-- parameters: employee, meal, mode, date, remarks, clerk, source, [orderkey], [orderline], [supervisor], [reason]
-- access: write
-- role: counter, revoke
-- Records one meal handed to an employee. The employee and the meal must be known and
-- active, and the meal's type must be tagged to the employee. A meal sent with the key of
-- its order and its line number (a counter sending an order again because it never heard
-- the answer) is saved once: when that line is stored already, nothing below refuses or
-- writes, and the call answers as a save does. The checks are skipped with the write, so
-- the meal the first save counted is not counted against its own limit.
-- A supervisor settling an order the server refused when a counter's journal sent it
-- names himself and a remark: the meal is then saved past what a supervisor may
-- overrule (the employee or the meal deactivated meanwhile, a meal type untagged, a mode
-- no longer the site's, a limit, a day older than the journal's week) and the audit log
-- says so. What nobody overrules stays: an employee or meal unknown, a closed day, a
-- date later than tomorrow.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Meal code can be at most 30 characters long.') WHERE talo_length(:meal) > 30;
SELECT talo_raise('Meal mode can be at most 50 characters long.') WHERE talo_length(:mode) > 50;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Remarks can be at most 500 characters long.') WHERE talo_length(:remarks) > 500;
SELECT talo_raise('Clerk ID can be at most 30 characters long.') WHERE talo_length(:clerk) > 30;
SELECT talo_raise('Source can be at most 100 characters long.') WHERE talo_length(:source) > 100;
SELECT talo_raise('Order key can be at most 36 characters long.') WHERE talo_length(:orderkey) > 36;
SELECT talo_raise('Order line can be at most 3 characters long.') WHERE talo_length(:orderline) > 3;
SELECT talo_raise('Supervisor ID can be at most 30 characters long.') WHERE talo_length(:supervisor) > 30;
SELECT talo_raise('Reason can be at most 500 characters long.') WHERE talo_length(:reason) > 500;
SELECT talo_raise('Order line must be a whole number from 1 to 999.')
WHERE :orderkey IS NOT NULL
  AND (:orderline IS NULL OR :orderline NOT GLOB '[1-9]' AND :orderline NOT GLOB '[1-9][0-9]'
       AND :orderline NOT GLOB '[1-9][0-9][0-9]');

SELECT talo_raise('A meal saved past a refusal must carry the key of its order.')
WHERE :supervisor IS NOT NULL AND :orderkey IS NULL;
SELECT talo_raise('A remark saying why is required to save a refused meal anyway.')
WHERE :supervisor IS NOT NULL AND trim(coalesce(:reason, '')) = '';
SELECT talo_raise('User ' || :supervisor || ' does not hold the right to revoke meals, which '
                  || 'saving a refused meal anyway needs.')
WHERE :supervisor IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOUserRights
                  WHERE UserID = :supervisor AND talo_rights_part(UserRights, 8) = '8');

SELECT talo_raise('Employee number is required.')
WHERE trim(:employee) = ''
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Employee ' || :employee || ' is not on the payroll: nobody can save a meal '
                  || 'for him, the order can only be discarded.')
WHERE :supervisor IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee)
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Unknown employee ' || :employee || '.')
WHERE NOT EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee)
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Employee ' || :employee || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Payroll.tbcmaster WHERE EmpNum = :employee AND Active <> '1')
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Meal code is required.')
WHERE trim(:meal) = ''
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Meal ' || :meal || ' is not on the meal list: nobody can save it, the '
                  || 'order can only be discarded.')
WHERE :supervisor IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = :meal)
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Unknown meal ' || :meal || '.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = :meal)
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Meal ' || :meal || ' is inactive.')
WHERE EXISTS (SELECT 1 FROM Station.tbcoMeal WHERE Code = :meal AND Status <> '1')
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('The meal type of meal ' || :meal || ' is inactive.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal m
                  JOIN Station.tbcoMealType mt ON mt.Code = m.MealType AND mt.Status = '1'
                  WHERE m.Code = :meal)
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Meal ' || :meal || ' is not allowed for employee ' || :employee
                  || ': its meal type is not tagged to the employee.')
WHERE NOT EXISTS (SELECT 1 FROM Station.tbcoMeal m
                  JOIN Station.tbTALOEmployeeMeal t
                    ON t.MealTypeCode = m.MealType AND t.EmpNum = :employee
                  WHERE m.Code = :meal)
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('Meal mode is required.')
WHERE trim(:mode) = ''
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- A mode with a no-break, zero-width or other hidden character shows as the mode it
-- imitates but would be counted apart from it.
SELECT talo_raise('Meal mode must not contain invisible characters.')
WHERE talo_invisible(:mode)
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

SELECT talo_raise('''' || :date || ''' is not a valid date and time.')
WHERE talo_iso(:date) IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- A meal is recorded when it is handed out: a day other than yesterday, today or
-- tomorrow by the server's clock is a typing or clock fault, and would count against
-- (or escape) another day's limit. One exception: where the site keeps serving while the
-- server cannot be reached, a counter's journal sends its orders later, keyed, with the
-- time each was served; such a keyed meal may be up to a week old (a long weekend's
-- outage), never later than tomorrow. An unkeyed save, or any save at a site that does
-- not keep serving, keeps the one-day rule.
SELECT talo_raise('The meal date ''' || :date || ''' is more than a day from the server''s clock.')
WHERE abs(julianday(talo_iso_day(:date)) - julianday(substr(talo_now(), 1, 10))) > 1
  AND NOT (:orderkey IS NOT NULL
           AND julianday(substr(talo_now(), 1, 10)) - julianday(talo_iso_day(:date)) BETWEEN 2 AND 7
           AND EXISTS (SELECT 1 FROM Station.tbTALOSiteSetting
                       WHERE SettingID = 1 AND KeepServingOffline = '1'))
  AND NOT (:supervisor IS NOT NULL
           AND julianday(talo_iso_day(:date)) < julianday(substr(talo_now(), 1, 10)))
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- The meals through the closed day were sent to payroll: none is added to them.
SELECT talo_raise('The meals through ' || s.ClosedThrough || ' are closed for payroll: no meal dated '
                  || :date || ' can be recorded.')
FROM Station.tbTALOSiteSetting s
WHERE s.SettingID = 1 AND s.ClosedThrough IS NOT NULL AND talo_iso_day(:date) <= s.ClosedThrough
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- Once the site limits any mode, a typed mode must be one of the site's modes (matched
-- as the limits match them), or a misspelt "Lunchh" would walk around the lunch limit.
SELECT talo_raise('Meal mode ' || :mode || ' is not one of the site''s meal modes.')
WHERE EXISTS (SELECT 1 FROM Station.tbTALOMealModeSetting WHERE DailyLimit IS NOT NULL)
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOMealModeSetting
                  WHERE talo_match_key(MealMode) = talo_match_key(:mode))
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- A meal mode the site limits with a block: the employee's meals of that mode on the day
-- of the meal, not revoked, counting the lines already saved in the caller's transaction,
-- must stay under the limit. Writes are serialised by the store, so two counters cannot
-- both pass the last allowed meal. Modes match as the server's collation matches them
-- (case, width, blanks around), and the day's last second counts too (9999-12-31 has no
-- next day to compare with). The refusal tells what was received before this order and
-- what the order holds, this line included.
SELECT talo_raise(trim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename) || ' ('
                  || e.EmpNum || ') has received ' || c.before || ' ' || c.mode
                  || ' today and this order holds ' || (c.ordered + 1)
                  || '; the site allows ' || c.lim || ' a day.')
FROM (SELECT s.MealMode AS mode, s.DailyLimit AS lim,
             count(dm.TransNum) - coalesce(sum(talo_in_order(dm.TransNum)), 0) AS before,
             coalesce(sum(talo_in_order(dm.TransNum)), 0) AS ordered
      FROM Station.tbTALOMealModeSetting s
      LEFT JOIN Station.tbTALOEmployeeDistributedMeals dm
        ON dm.EmpNum = :employee AND talo_match_key(dm.MealMode) = talo_match_key(s.MealMode)
       AND dm.MealDate >= talo_iso_day(:date)
       AND dm.MealDate <= talo_iso_day(:date) || ' 23:59:59'
       AND dm.RevokedAt IS NULL
      WHERE talo_match_key(s.MealMode) = talo_match_key(:mode)
        AND s.LimitAction = 'B' AND s.DailyLimit IS NOT NULL
      GROUP BY s.MealMode) c
JOIN Payroll.tbcmaster e ON e.EmpNum = :employee
WHERE c.before + c.ordered >= c.lim
  AND :supervisor IS NULL
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline);

-- The meal saved belongs to the caller's open order: talo_order_add notes its number
-- (AUTOINCREMENT gives one past the highest number ever given) and answers NULL.
INSERT INTO Station.tbTALOEmployeeDistributedMeals
    (EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, MealCost,
     OrderKey, OrderLine)
SELECT e.EmpNum, m.Code, :mode, talo_iso(:date), :remarks, :clerk, :source, talo_now(), m.Cost,
       :orderkey, :orderline
FROM Payroll.tbcmaster e, Station.tbcoMeal m
WHERE e.EmpNum = :employee AND m.Code = :meal
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeDistributedMeals
                  WHERE OrderKey = :orderkey AND OrderLine = :orderline)
  AND talo_order_add(coalesce((SELECT seq FROM Station.sqlite_sequence
                               WHERE name = 'tbTALOEmployeeDistributedMeals'), 0) + 1) IS NULL;

-- Saved past a refusal: the audit log names the supervisor and his remark, once (a
-- supervisor's retry of a line stored already writes nothing more).
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOEmployeeDistributedMeals', dm.TransNum, 'OVERRIDE',
       'EmpNum=' || dm.EmpNum || '; EmployeeName='
           || COALESCE(rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename), '')
           || '; MealCode=' || dm.MealCode || '; MealName=' || COALESCE(m.Description, '')
           || '; MealDate=' || dm.MealDate || '; ClerkID=' || dm.ClerkID
           || '; OrderKey=' || dm.OrderKey || '; Reason=' || :reason,
       :supervisor, talo_now(), talo_login(),
       json_object('EmpNum', json_object('new', dm.EmpNum),
                   'MealCode', json_object('new', dm.MealCode),
                   'MealDate', json_object('new', dm.MealDate))
FROM Station.tbTALOEmployeeDistributedMeals AS dm
LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = dm.EmpNum
LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode
WHERE :supervisor IS NOT NULL AND dm.OrderKey = :orderkey AND dm.OrderLine = :orderline
  AND NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog
                  WHERE TableName = 'tbTALOEmployeeDistributedMeals'
                    AND RecordKey = CAST(dm.TransNum AS TEXT) AND Action = 'OVERRIDE');
