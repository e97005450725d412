USE Station;
GO

-- The site's settings: one row per meal mode (the eight listed ones first, then the ones
-- the site added, in the order saved), each carrying the site-wide settings too. Every
-- counter reads it when it opens and at a search once a minute has passed, so a change
-- applies everywhere within a minute. CLOSEDTHROUGH is the ISO day through which the
-- meals are closed ("2026-11-30"), '' for none. KEEPSERVINGOFFLINE is '1' when the counter
-- keeps serving while the server cannot be reached, FITTEDCOLUMNS '1' when the lists fit
-- their columns to their contents. STATEMENTTIMEOUT is how many seconds a statement of the
-- program may wait for its answer.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_AppSettings
AS
BEGIN
    SET NOCOUNT ON;
    SELECT
        m.MealMode AS MEALMODE,
        COALESCE(CAST(m.DailyLimit AS NVARCHAR(2)), N'') AS DAILYLIMIT,
        m.LimitAction AS LIMITACTION,
        m.ServeFrom AS SERVEFROM,
        m.ServeTo AS SERVETO,
        m.Listed AS LISTED,
        COALESCE(s.ScanMode, '0') AS SCANMODE,
        COALESCE(s.KeyboardEntry, '0') AS KEYBOARDENTRY,
        COALESCE(s.BulkTagging, '0') AS BULKTAGGING,
        CAST(COALESCE(s.FirstDayOfWeek, 1) AS NVARCHAR(1)) AS FIRSTDAYOFWEEK,
        COALESCE(s.SiteName, N'') AS SITENAME,
        COALESCE(CONVERT(NCHAR(10), s.ClosedThrough, 23), N'') AS CLOSEDTHROUGH,
        COALESCE(s.KeepServingOffline, '0') AS KEEPSERVINGOFFLINE,
        COALESCE(s.FittedColumns, '0') AS FITTEDCOLUMNS,
        CAST(COALESCE(s.StatementTimeout, 10) AS NVARCHAR(3)) AS STATEMENTTIMEOUT
    FROM dbo.tbTALOMealModeSetting AS m
    LEFT JOIN dbo.tbTALOSiteSetting AS s ON s.SettingID = 1
    ORDER BY m.Position, m.MealMode;
END;
GO
