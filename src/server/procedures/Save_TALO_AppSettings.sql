-- parameters: modes, scan, keyboard, bulk, firstday, site, user, [offline], [fitted], [timeout]
-- access: write
-- json: modes
-- role: settings
-- Replaces every app setting in one call. modes is a JSON array with one array per meal
-- mode: [mode, daily limit ("" = none, else 0..99), action ("W" warn or "B" block),
-- serving from, serving to ("HH:MM" both, or both "")]. scan (scan mode), keyboard
-- (keyboard order entry) and bulk (bulk tagging in the tagging window) are '1' or '0', firstday
-- 1 (Monday) to 7 (Sunday), site the site name ("" = the hospital's name). The eight
-- listed modes stay; a mode missing from the array is removed. Every change writes one
-- audit row: the site's settings one, each added, changed or removed mode one. offline
-- (the counter keeps serving when the server cannot be reached) and fitted (list columns
-- fitted to their contents instead of their designed widths) are '1' or '0'; left off,
-- each stays as stored. timeout is how many seconds a statement of the program may wait
-- for its answer, 1 to 600; left off, it stays as stored.

-- Longer values than the columns hold are refused before anything else.
-- modes is not a column: its limit is generous for a hundred modes at their longest.
SELECT talo_raise('Meal modes can be at most 20000 characters long.') WHERE talo_length(:modes) > 20000;
SELECT talo_raise('Scan mode can be at most 1 character long.') WHERE talo_length(:scan) > 1;
SELECT talo_raise('Keyboard order entry can be at most 1 character long.') WHERE talo_length(:keyboard) > 1;
SELECT talo_raise('Bulk tagging can be at most 1 character long.') WHERE talo_length(:bulk) > 1;
SELECT talo_raise('First day of the week can be at most 1 character long.') WHERE talo_length(:firstday) > 1;
SELECT talo_raise('Site name can be at most 200 characters long.') WHERE talo_length(:site) > 200;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;
SELECT talo_raise('Keep serving offline can be at most 1 character long.') WHERE talo_length(:offline) > 1;
SELECT talo_raise('Fitted list columns can be at most 1 character long.') WHERE talo_length(:fitted) > 1;
SELECT talo_raise('Statement timeout can be at most 3 characters long.') WHERE talo_length(:timeout) > 3;

SELECT talo_raise('Scan mode must be 1 (on) or 0 (off), not ''' || :scan || '''.')
WHERE :scan NOT IN ('1', '0');

SELECT talo_raise('Keyboard order entry must be 1 (on) or 0 (off), not ''' || :keyboard || '''.')
WHERE :keyboard NOT IN ('1', '0');

SELECT talo_raise('Bulk tagging must be 1 (on) or 0 (off), not ''' || :bulk || '''.')
WHERE :bulk NOT IN ('1', '0');

SELECT talo_raise('Keep serving offline must be 1 (on) or 0 (off), not ''' || :offline || '''.')
WHERE :offline NOT IN ('1', '0');

SELECT talo_raise('Fitted list columns must be 1 (on) or 0 (off), not ''' || :fitted || '''.')
WHERE :fitted NOT IN ('1', '0');

SELECT talo_raise('The statement timeout must be a number of seconds from 1 to 600, not '''
                  || :timeout || '''.')
WHERE :timeout IS NOT NULL
  AND (:timeout GLOB '*[^0-9]*' OR :timeout = '' OR CAST(:timeout AS INTEGER) NOT BETWEEN 1 AND 600);

SELECT talo_raise('The first day of the week must be a number from 1 (Monday) to 7 (Sunday), not '''
                  || :firstday || '''.')
WHERE :firstday NOT IN ('1', '2', '3', '4', '5', '6', '7');

SELECT talo_raise('The meal modes must be a JSON array.')
WHERE CASE WHEN json_valid(:modes) THEN json_type(:modes) <> 'array' ELSE 1 END;

-- The modes are unpacked once into temp.talo_mode_rows, a scratch table of this
-- connection that the store creates when it opens; emptied on every call.
DELETE FROM temp.talo_mode_rows;

INSERT INTO temp.talo_mode_rows(seq, j, m, l, a, f, t)
SELECT key, type,
       trim(CAST(coalesce(json_extract(value, '$[0]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[1]'), '') AS TEXT)),
       upper(trim(CAST(coalesce(json_extract(value, '$[2]'), '') AS TEXT))),
       trim(CAST(coalesce(json_extract(value, '$[3]'), '') AS TEXT)),
       trim(CAST(coalesce(json_extract(value, '$[4]'), '') AS TEXT))
FROM json_each(:modes)
WHERE type = 'array';

SELECT talo_raise('Each meal mode must be a JSON array: mode, daily limit, action, from, to.')
FROM json_each(:modes) WHERE type <> 'array' LIMIT 1;

SELECT talo_raise('Meal mode name is required.')
FROM temp.talo_mode_rows WHERE m = '' LIMIT 1;

SELECT talo_raise('Meal mode can be at most 50 characters long.')
FROM temp.talo_mode_rows WHERE talo_length(m) > 50 LIMIT 1;

SELECT talo_raise('Meal mode names must not contain invisible characters.')
FROM temp.talo_mode_rows WHERE talo_invisible(m) LIMIT 1;

SELECT talo_raise('Meal mode ' || r.m || ' appears twice.')
FROM temp.talo_mode_rows r
WHERE EXISTS (SELECT 1 FROM temp.talo_mode_rows e
              WHERE e.m = r.m COLLATE UNICODE_CI AND e.seq < r.seq)
ORDER BY r.seq LIMIT 1;

-- Two modes a reader cannot tell apart ("Lunch" in full-width letters) would be two
-- rules for one mode.
SELECT talo_raise('Meal mode ' || r.m || ' looks the same as ' || e.m || '.')
FROM temp.talo_mode_rows r
JOIN temp.talo_mode_rows e ON e.seq < r.seq AND talo_look_alike(e.m) = talo_look_alike(r.m)
ORDER BY r.seq LIMIT 1;

SELECT talo_raise('The daily limit of ' || m || ' must be empty or a whole number from 0 to 99, not '''
                  || l || '''.')
FROM temp.talo_mode_rows
WHERE l <> '' AND (length(l) > 2 OR l GLOB '*[^0-9]*')
ORDER BY seq LIMIT 1;

SELECT talo_raise('The limit action of ' || m || ' must be W (warn) or B (block), not ''' || a
                  || '''.')
FROM temp.talo_mode_rows WHERE a NOT IN ('W', 'B') ORDER BY seq LIMIT 1;

SELECT talo_raise('The serving time of ' || m || ' must be HH:MM from 00:00 to 23:59, not '''
                  || CASE WHEN f <> '' AND NOT (f GLOB '[0-2][0-9]:[0-5][0-9]' AND f <= '23:59')
                          THEN f ELSE t END
                  || '''.')
FROM temp.talo_mode_rows
WHERE (f <> '' AND NOT (f GLOB '[0-2][0-9]:[0-5][0-9]' AND f <= '23:59'))
   OR (t <> '' AND NOT (t GLOB '[0-2][0-9]:[0-5][0-9]' AND t <= '23:59'))
ORDER BY seq LIMIT 1;

SELECT talo_raise('The serving times of ' || m || ' need both a start and an end, or neither.')
FROM temp.talo_mode_rows WHERE (f = '') <> (t = '') ORDER BY seq LIMIT 1;

SELECT talo_raise('The serving time of ' || m || ' cannot start and end at the same minute.')
FROM temp.talo_mode_rows WHERE f <> '' AND f = t ORDER BY seq LIMIT 1;

SELECT talo_raise('The meal mode ' || s.MealMode || ' cannot be removed.')
FROM Station.tbTALOMealModeSetting s
WHERE s.Listed = '1'
  AND NOT EXISTS (SELECT 1 FROM temp.talo_mode_rows r WHERE r.m = s.MealMode COLLATE UNICODE_CI)
ORDER BY s.Position LIMIT 1;

-- The audit rows first, while the old values are still there.
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOSiteSetting', 'Site', 'UPDATE',
       substr(CASE WHEN s.ScanMode <> :scan THEN '; ScanMode: ' || s.ScanMode || ' -> ' || :scan
                   ELSE '' END
              || CASE WHEN s.KeyboardEntry <> :keyboard
                      THEN '; KeyboardEntry: ' || s.KeyboardEntry || ' -> ' || :keyboard
                      ELSE '' END
              || CASE WHEN s.BulkTagging <> :bulk
                      THEN '; BulkTagging: ' || s.BulkTagging || ' -> ' || :bulk ELSE '' END
              || CASE WHEN s.KeepServingOffline <> coalesce(:offline, s.KeepServingOffline)
                      THEN '; KeepServingOffline: ' || s.KeepServingOffline || ' -> ' || :offline
                      ELSE '' END
              || CASE WHEN s.FittedColumns <> coalesce(:fitted, s.FittedColumns)
                      THEN '; FittedColumns: ' || s.FittedColumns || ' -> ' || :fitted
                      ELSE '' END
              || CASE WHEN s.StatementTimeout <> coalesce(CAST(:timeout AS INTEGER), s.StatementTimeout)
                      THEN '; StatementTimeout: ' || s.StatementTimeout || ' -> '
                           || CAST(:timeout AS INTEGER)
                      ELSE '' END
              || CASE WHEN s.FirstDayOfWeek <> CAST(:firstday AS INTEGER)
                      THEN '; FirstDayOfWeek: ' || s.FirstDayOfWeek || ' -> ' || :firstday
                      ELSE '' END
              || CASE WHEN s.SiteName <> trim(:site)
                      THEN '; SiteName: ' || s.SiteName || ' -> ' || trim(:site) ELSE '' END,
              3),
       :user, talo_now(), talo_login(),
       json_object('ScanMode', json_object('old', s.ScanMode, 'new', :scan),
                   'KeyboardEntry', json_object('old', s.KeyboardEntry, 'new', :keyboard),
                   'BulkTagging', json_object('old', s.BulkTagging, 'new', :bulk),
                   'FittedColumns', json_object('old', s.FittedColumns,
                                                'new', coalesce(:fitted, s.FittedColumns)),
                   'KeepServingOffline', json_object('old', s.KeepServingOffline,
                                                     'new', coalesce(:offline, s.KeepServingOffline)),
                   'StatementTimeout', json_object('old', s.StatementTimeout,
                                                   'new', coalesce(CAST(:timeout AS INTEGER),
                                                                   s.StatementTimeout)),
                   'FirstDayOfWeek', json_object('old', s.FirstDayOfWeek,
                                                 'new', CAST(:firstday AS INTEGER)),
                   'SiteName', json_object('old', s.SiteName, 'new', trim(:site)))
FROM Station.tbTALOSiteSetting s
WHERE s.SettingID = 1
  AND (s.ScanMode <> :scan OR s.KeyboardEntry <> :keyboard OR s.BulkTagging <> :bulk
       OR s.KeepServingOffline <> coalesce(:offline, s.KeepServingOffline)
       OR s.FittedColumns <> coalesce(:fitted, s.FittedColumns)
       OR s.StatementTimeout <> coalesce(CAST(:timeout AS INTEGER), s.StatementTimeout)
       OR s.FirstDayOfWeek <> CAST(:firstday AS INTEGER)
       OR s.SiteName <> trim(:site));

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOMealModeSetting', s.MealMode, 'DELETE',
       'DailyLimit=' || coalesce(s.DailyLimit, '') || '; LimitAction=' || s.LimitAction
           || '; ServeFrom=' || s.ServeFrom || '; ServeTo=' || s.ServeTo,
       :user, talo_now(), talo_login(),
       json_object('DailyLimit', json_object('old', s.DailyLimit),
                   'LimitAction', json_object('old', s.LimitAction),
                   'ServeFrom', json_object('old', s.ServeFrom),
                   'ServeTo', json_object('old', s.ServeTo))
FROM Station.tbTALOMealModeSetting s
WHERE NOT EXISTS (SELECT 1 FROM temp.talo_mode_rows r WHERE r.m = s.MealMode COLLATE UNICODE_CI)
ORDER BY s.Position;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOMealModeSetting', r.m,
       CASE WHEN s.MealMode IS NULL THEN 'INSERT' ELSE 'UPDATE' END,
       CASE WHEN s.MealMode IS NULL
            THEN 'DailyLimit=' || coalesce(CAST(nullif(r.l, '') AS INTEGER), '')
                 || '; LimitAction=' || r.a || '; ServeFrom=' || r.f || '; ServeTo=' || r.t
            ELSE substr(
                CASE WHEN s.MealMode <> r.m COLLATE BINARY
                     THEN '; MealMode: ' || s.MealMode || ' -> ' || r.m ELSE '' END
                || CASE WHEN s.DailyLimit IS NOT CAST(nullif(r.l, '') AS INTEGER)
                        THEN '; DailyLimit: ' || coalesce(s.DailyLimit, '') || ' -> '
                             || coalesce(CAST(nullif(r.l, '') AS INTEGER), '')
                        ELSE '' END
                || CASE WHEN s.LimitAction <> r.a
                        THEN '; LimitAction: ' || s.LimitAction || ' -> ' || r.a ELSE '' END
                || CASE WHEN s.ServeFrom <> r.f
                        THEN '; ServeFrom: ' || s.ServeFrom || ' -> ' || r.f ELSE '' END
                || CASE WHEN s.ServeTo <> r.t
                        THEN '; ServeTo: ' || s.ServeTo || ' -> ' || r.t ELSE '' END,
                3) END,
       :user, talo_now(), talo_login(),
       CASE WHEN s.MealMode IS NULL
            THEN json_object('DailyLimit', json_object('new', CAST(nullif(r.l, '') AS INTEGER)),
                             'LimitAction', json_object('new', r.a),
                             'ServeFrom', json_object('new', r.f),
                             'ServeTo', json_object('new', r.t))
            ELSE json_object('MealMode', json_object('old', s.MealMode, 'new', r.m),
                             'DailyLimit', json_object('old', s.DailyLimit,
                                                       'new', CAST(nullif(r.l, '') AS INTEGER)),
                             'LimitAction', json_object('old', s.LimitAction, 'new', r.a),
                             'ServeFrom', json_object('old', s.ServeFrom, 'new', r.f),
                             'ServeTo', json_object('old', s.ServeTo, 'new', r.t)) END
FROM temp.talo_mode_rows r
LEFT JOIN Station.tbTALOMealModeSetting s ON s.MealMode = r.m
WHERE s.MealMode IS NULL
   OR s.MealMode <> r.m COLLATE BINARY
   OR s.DailyLimit IS NOT CAST(nullif(r.l, '') AS INTEGER)
   OR s.LimitAction <> r.a OR s.ServeFrom <> r.f OR s.ServeTo <> r.t
ORDER BY r.seq;

-- Then the settings themselves. A listed mode keeps its place; the others follow in the
-- order given.
DELETE FROM Station.tbTALOMealModeSetting
WHERE NOT EXISTS (SELECT 1 FROM temp.talo_mode_rows r
                  WHERE r.m = Station.tbTALOMealModeSetting.MealMode COLLATE UNICODE_CI);

INSERT INTO Station.tbTALOMealModeSetting(MealMode, Position, Listed, DailyLimit, LimitAction,
                                          ServeFrom, ServeTo)
SELECT m, 100 + seq, '0', CAST(nullif(l, '') AS INTEGER), a, f, t
FROM temp.talo_mode_rows WHERE true
ON CONFLICT(MealMode) DO UPDATE SET
    MealMode = excluded.MealMode,
    Position = CASE WHEN Listed = '1' THEN Position ELSE excluded.Position END,
    DailyLimit = excluded.DailyLimit,
    LimitAction = excluded.LimitAction,
    ServeFrom = excluded.ServeFrom,
    ServeTo = excluded.ServeTo;

INSERT INTO Station.tbTALOSiteSetting(SettingID, ScanMode, KeyboardEntry, BulkTagging,
                                      FirstDayOfWeek, SiteName, KeepServingOffline,
                                      FittedColumns, StatementTimeout)
VALUES (1, :scan, :keyboard, :bulk, CAST(:firstday AS INTEGER), trim(:site),
        coalesce(:offline, '0'), coalesce(:fitted, '0'), coalesce(CAST(:timeout AS INTEGER), 10))
ON CONFLICT(SettingID) DO UPDATE SET
    ScanMode = excluded.ScanMode,
    KeyboardEntry = excluded.KeyboardEntry,
    BulkTagging = excluded.BulkTagging,
    KeepServingOffline = coalesce(:offline, KeepServingOffline),
    FittedColumns = coalesce(:fitted, FittedColumns),
    StatementTimeout = coalesce(CAST(:timeout AS INTEGER), StatementTimeout),
    FirstDayOfWeek = excluded.FirstDayOfWeek,
    SiteName = excluded.SiteName;
