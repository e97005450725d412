-- The meal mode of the race (race.txt): one a day, blocked past it. Added by the smoke
-- test just before the race and removed just after it (and by cleanup.sql); the site's
-- own modes are left as they are. make_expected.sh gives the store the same row.
INSERT INTO Station.dbo.tbTALOMealModeSetting
    (MealMode, Position, Listed, DailyLimit, LimitAction, ServeFrom, ServeTo)
VALUES (N'ZZ Smoke', 999, '0', 1, 'B', N'', N'');
