-- parameters: employee, date, modes
-- access: read
-- json: modes
-- role: counter
-- The daily limits an order would pass. modes is a JSON array with the meal mode of each
-- line of the order (["Lunch", "Lunch", "PM Snack"]). One row per limited mode of the
-- order whose meals on the day of `date` (empty: the server's day), not revoked, plus
-- the order's lines of that mode exceed its limit, in the site's order of modes. The
-- counter asks about the warn-mode ones before saving; block-mode ones the save refuses.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Employee number can be at most 30 characters long.') WHERE talo_length(:employee) > 30;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:date) > 40;
SELECT talo_raise('Meal modes can be at most 20000 characters long.') WHERE talo_length(:modes) > 20000;

SELECT talo_raise('''' || :date || ''' is not a valid date.')
WHERE trim(:date) <> '' AND talo_iso_day(:date) IS NULL;

SELECT talo_raise('The meal modes must be a JSON array.')
WHERE CASE WHEN json_valid(:modes) THEN json_type(:modes) <> 'array' ELSE 1 END;

-- Modes are texts: true or 12 would read as '1' or '12' here and otherwise on SQL Server.
SELECT talo_raise('Each meal mode must be a JSON text.')
FROM json_each(:modes) WHERE type NOT IN ('text', 'null') LIMIT 1;

-- Modes match as the server's collation matches them: case and width folded, blanks
-- around ignored; the day's last second counts too.
SELECT MEALMODE, RECEIVED, DAILYLIMIT, ORDERED, LIMITACTION
FROM (SELECT s.MealMode AS MEALMODE,
             (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals dm
              WHERE dm.EmpNum = :employee AND talo_match_key(dm.MealMode) = o.mode
                AND dm.MealDate >= d.day AND dm.MealDate <= d.day || ' 23:59:59'
                AND dm.RevokedAt IS NULL) AS RECEIVED,
             s.DailyLimit AS DAILYLIMIT,
             o.n AS ORDERED,
             s.LimitAction AS LIMITACTION,
             s.Position AS position
      FROM (SELECT talo_match_key(CAST(value AS TEXT)) AS mode, count(*) AS n
            FROM json_each(:modes)
            GROUP BY talo_match_key(CAST(value AS TEXT))) o
      JOIN Station.tbTALOMealModeSetting s ON talo_match_key(s.MealMode) = o.mode
      JOIN (SELECT coalesce(talo_iso_day(nullif(trim(:date), '')),
                            talo_iso_day(talo_now())) AS day) d
      WHERE s.DailyLimit IS NOT NULL)
WHERE RECEIVED + ORDERED > DAILYLIMIT
ORDER BY position, MEALMODE;
