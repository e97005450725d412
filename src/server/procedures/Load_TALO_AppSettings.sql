-- parameters:
-- access: read
-- role: signin
-- The site's settings: one row per meal mode (the eight listed ones first, then the ones
-- the site added, in the order saved), each carrying the site-wide settings too. Every
-- counter reads it when it opens and at a search once a minute has passed, so a change
-- applies everywhere within a minute. CLOSEDTHROUGH is the ISO day through which the
-- meals are closed ("2026-11-30"), '' for none. KEEPSERVINGOFFLINE is '1' when the counter
-- keeps serving while the server cannot be reached, FITTEDCOLUMNS '1' when the lists fit
-- their columns to their contents. STATEMENTTIMEOUT is how many seconds a statement of the
-- program may wait for its answer.
SELECT m.MealMode AS MEALMODE,
       coalesce(CAST(m.DailyLimit AS TEXT), '') AS DAILYLIMIT,
       m.LimitAction AS LIMITACTION,
       m.ServeFrom AS SERVEFROM,
       m.ServeTo AS SERVETO,
       m.Listed AS LISTED,
       coalesce(s.ScanMode, '0') AS SCANMODE,
       coalesce(s.KeyboardEntry, '0') AS KEYBOARDENTRY,
       coalesce(s.BulkTagging, '0') AS BULKTAGGING,
       CAST(coalesce(s.FirstDayOfWeek, 1) AS TEXT) AS FIRSTDAYOFWEEK,
       coalesce(s.SiteName, '') AS SITENAME,
       coalesce(s.ClosedThrough, '') AS CLOSEDTHROUGH,
       coalesce(s.KeepServingOffline, '0') AS KEEPSERVINGOFFLINE,
       coalesce(s.FittedColumns, '0') AS FITTEDCOLUMNS,
       CAST(coalesce(s.StatementTimeout, 10) AS TEXT) AS STATEMENTTIMEOUT
FROM Station.tbTALOMealModeSetting m
LEFT JOIN Station.tbTALOSiteSetting s ON s.SettingID = 1
ORDER BY m.Position, m.MealMode;
