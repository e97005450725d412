USE Station;
GO

-- Replaces every app setting in one call. @modes is a JSON array with one array per meal
-- mode: [mode, daily limit ("" = none, else 0..99), action ("W" warn or "B" block),
-- serving from, serving to ("HH:MM" both, or both "")]. @scan (scan mode), @keyboard
-- (keyboard order entry) and @bulk (bulk tagging in the tagging window) are '1' or '0',
-- @firstday 1 (Monday) to 7 (Sunday), @site the site name ("" = the hospital's name).
-- The eight listed modes stay; a mode missing from the array is removed. Every change
-- writes one audit row: the site's settings one, each added, changed or removed mode one.
-- @offline (the counter keeps serving when the server cannot be reached) and @fitted (list
-- columns fitted to their contents instead of their designed widths) are '1' or '0'; left
-- off, each stays as stored. @timeout is how many seconds a statement of the program may
-- wait for its answer, 1 to 600; left off, it stays as stored.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_AppSettings
    @modes NVARCHAR(MAX),
    @scan NVARCHAR(4000),
    @keyboard NVARCHAR(4000),
    @bulk NVARCHAR(4000),
    @firstday NVARCHAR(4000),
    @site NVARCHAR(4000),
    @user NVARCHAR(4000),
    @offline NVARCHAR(4000) = NULL,
    @fitted NVARCHAR(4000) = NULL,
    @timeout NVARCHAR(4000) = NULL
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@modes), dbo.TALO_HasNul(@scan), dbo.TALO_HasNul(@keyboard),
        dbo.TALO_HasNul(@bulk), dbo.TALO_HasNul(@firstday), dbo.TALO_HasNul(@site),
        dbo.TALO_HasNul(@user), dbo.TALO_HasNul(@offline), dbo.TALO_HasNul(@fitted),
        dbo.TALO_HasNul(@timeout)
    )
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- A caller whose driver turns autocommit off (implicit transactions, as ODBC drivers
    -- do) has a transaction that only opens with the first statement reading a table:
    -- opened here, the call joins it as it joins an explicit one, so an order's lines
    -- count together and a refusal leaves the order's transaction open and usable.
    DECLARE @opened INT;
    IF @@TRANCOUNT = 0 AND @@OPTIONS & 2 = 2
        SELECT @opened = COUNT(*) FROM dbo.tbTALOSchemaVersion;

    -- Alone, the call runs in its own transaction under XACT_ABORT ON. Inside the
    -- caller's transaction it works under a savepoint with XACT_ABORT OFF, so a refusal
    -- undoes only this call and leaves the caller's transaction open and usable.
    DECLARE @outer INT = @@TRANCOUNT;
    IF @outer = 0 SET XACT_ABORT ON;
    ELSE SET XACT_ABORT OFF;

    -- Longer values than the columns hold are refused before anything else.
    -- @modes is not a column: its limit is generous for a hundred modes at their longest.
    IF DATALENGTH(@modes) > 40000
        THROW 50000, N'Meal modes can be at most 20000 characters long.', 1;
    IF DATALENGTH(@scan) > 2
        THROW 50000, N'Scan mode can be at most 1 character long.', 1;
    IF DATALENGTH(@keyboard) > 2
        THROW 50000, N'Keyboard order entry can be at most 1 character long.', 1;
    IF DATALENGTH(@bulk) > 2
        THROW 50000, N'Bulk tagging can be at most 1 character long.', 1;
    IF DATALENGTH(@firstday) > 2
        THROW 50000, N'First day of the week can be at most 1 character long.', 1;
    IF DATALENGTH(@site) > 400
        THROW 50000, N'Site name can be at most 200 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@offline) > 2
        THROW 50000, N'Keep serving offline can be at most 1 character long.', 1;
    IF DATALENGTH(@fitted) > 2
        THROW 50000, N'Fitted list columns can be at most 1 character long.', 1;
    IF DATALENGTH(@timeout) > 6
        THROW 50000, N'Statement timeout can be at most 3 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @bad NVARCHAR(4000);
    DECLARE @value NVARCHAR(4000);
    DECLARE @siteName NVARCHAR(200) = LTRIM(RTRIM(@site));
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    DECLARE @locked INT;
    DECLARE @seconds INT;
    -- The format checks compare code points: under the databases' collation a full-width
    -- "２" would pass for a "2".
    DECLARE @rows TABLE (
        seq INT NOT NULL PRIMARY KEY,
        m NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        l NVARCHAR(4000) COLLATE Latin1_General_100_BIN2 NOT NULL,
        a NVARCHAR(4000) COLLATE Latin1_General_100_BIN2 NOT NULL,
        f NVARCHAR(4000) COLLATE Latin1_General_100_BIN2 NOT NULL,
        t NVARCHAR(4000) COLLATE Latin1_General_100_BIN2 NOT NULL,
        lim INT NULL
    );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_settings;

        -- DATALENGTH: "1 " is no setting, although = ignores trailing blanks.
        IF @scan NOT IN (N'1', N'0') OR DATALENGTH(@scan) <> 2
        BEGIN
            SET @message = CONCAT(N'Scan mode must be 1 (on) or 0 (off), not ''', @scan, N'''.');
            THROW 50000, @message, 1;
        END;
        IF @keyboard NOT IN (N'1', N'0') OR DATALENGTH(@keyboard) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Keyboard order entry must be 1 (on) or 0 (off), not ''', @keyboard, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF @bulk NOT IN (N'1', N'0') OR DATALENGTH(@bulk) <> 2
        BEGIN
            SET @message = CONCAT(N'Bulk tagging must be 1 (on) or 0 (off), not ''', @bulk, N'''.');
            THROW 50000, @message, 1;
        END;
        IF @offline IS NOT NULL AND (@offline NOT IN (N'1', N'0') OR DATALENGTH(@offline) <> 2)
        BEGIN
            SET @message = CONCAT(
                N'Keep serving offline must be 1 (on) or 0 (off), not ''', @offline, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF @fitted IS NOT NULL AND (@fitted NOT IN (N'1', N'0') OR DATALENGTH(@fitted) <> 2)
        BEGIN
            SET @message = CONCAT(
                N'Fitted list columns must be 1 (on) or 0 (off), not ''', @fitted, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        -- Digits only, compared by code point: a full-width digit is no number here.
        IF @timeout IS NOT NULL
            AND (
                @timeout = N''
                OR @timeout COLLATE Latin1_General_100_BIN2 LIKE N'%[^0-9]%'
                OR COALESCE(TRY_CAST(@timeout AS INT), 0) NOT BETWEEN 1 AND 600
            )
        BEGIN
            SET @message = CONCAT(
                N'The statement timeout must be a number of seconds from 1 to 600, not ''',
                @timeout, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        SET @seconds = TRY_CAST(@timeout AS INT);
        IF @firstday NOT IN (N'1', N'2', N'3', N'4', N'5', N'6', N'7')
            OR DATALENGTH(@firstday) <> 2
        BEGIN
            SET @message = CONCAT(
                N'The first day of the week must be a number from 1 (Monday) to 7 (Sunday), not ''',
                @firstday, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF dbo.TALO_IsJsonArray(@modes) = 0
            THROW 50000, N'The meal modes must be a JSON array.', 1;
        IF dbo.TALO_JsonHasNul(@modes) = 1
            THROW 50000, N'Text arguments must not contain the NUL character.', 1;

        INSERT INTO @rows (seq, m, l, a, f, t)
        SELECT
            CAST(j.[key] AS INT),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.[value], '$[0]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.[value], '$[1]'), N''))),
            UPPER(LTRIM(RTRIM(COALESCE(JSON_VALUE(j.[value], '$[2]'), N'')))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.[value], '$[3]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.[value], '$[4]'), N'')))
        FROM OPENJSON(@modes) AS j
        WHERE j.[type] = 4;

        IF EXISTS (SELECT 1 FROM OPENJSON(@modes) AS j WHERE j.[type] <> 4)
            THROW 50000, N'Each meal mode must be a JSON array: mode, daily limit, action, from, to.', 1;
        IF EXISTS (SELECT 1 FROM @rows WHERE m = N'')
            THROW 50000, N'Meal mode name is required.', 1;
        IF EXISTS (SELECT 1 FROM @rows WHERE LEN(m) > 50)
            THROW 50000, N'Meal mode can be at most 50 characters long.', 1;
        IF EXISTS (SELECT 1 FROM @rows WHERE dbo.HasInvisibleCharacters(m) = 1)
            THROW 50000, N'Meal mode names must not contain invisible characters.', 1;

        SELECT TOP (1) @bad = r.m
        FROM @rows AS r
        WHERE EXISTS (SELECT 1 FROM @rows AS e WHERE e.m = r.m AND e.seq < r.seq)
        ORDER BY r.seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Meal mode ', @bad, N' appears twice.');
            THROW 50000, @message, 1;
        END;

        -- Unicode's folding and confusable skeletons are beyond T-SQL: a width-insensitive
        -- collation that a width-sensitive one tells apart finds the full-width and
        -- half-width spellings of an existing key, as far as the server can.
        DECLARE @same NVARCHAR(4000) = NULL;
        SET @bad = NULL;
        SELECT TOP (1) @bad = r.m, @same = e.m
        FROM @rows AS r
        INNER JOIN @rows AS e
            ON e.seq < r.seq AND e.m = r.m COLLATE Latin1_General_100_CI_AS
        ORDER BY r.seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Meal mode ', @bad, N' looks the same as ', @same, N'.');
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1)
            @bad = m,
            @value = l
        FROM @rows
        WHERE l <> N'' AND (LEN(l) > 2 OR l LIKE N'%[^0-9]%')
        ORDER BY seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'The daily limit of ', @bad,
                N' must be empty or a whole number from 0 to 99, not ''', @value, N'''.'
            );
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1)
            @bad = m,
            @value = a
        FROM @rows
        WHERE a NOT IN (N'W', N'B')
        ORDER BY seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'The limit action of ', @bad, N' must be W (warn) or B (block), not ''', @value,
                N'''.'
            );
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1)
            @bad = m,
            @value = CASE
                WHEN f <> N'' AND NOT (f LIKE N'[0-2][0-9]:[0-5][0-9]' AND f <= N'23:59') THEN f
                ELSE t
            END
        FROM @rows
        WHERE
            (f <> N'' AND NOT (f LIKE N'[0-2][0-9]:[0-5][0-9]' AND f <= N'23:59'))
            OR (t <> N'' AND NOT (t LIKE N'[0-2][0-9]:[0-5][0-9]' AND t <= N'23:59'))
        ORDER BY seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'The serving time of ', @bad, N' must be HH:MM from 00:00 to 23:59, not ''',
                @value, N'''.'
            );
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1) @bad = m
        FROM @rows
        WHERE (f = N'' AND t <> N'') OR (f <> N'' AND t = N'')
        ORDER BY seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'The serving times of ', @bad, N' need both a start and an end, or neither.'
            );
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1) @bad = m
        FROM @rows
        WHERE f <> N'' AND f = t
        ORDER BY seq;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'The serving time of ', @bad, N' cannot start and end at the same minute.'
            );
            THROW 50000, @message, 1;
        END;

        -- Two administrators saving at once: the second waits here for the first.
        SELECT @locked = SettingID
        FROM dbo.tbTALOSiteSetting WITH (UPDLOCK, HOLDLOCK)
        WHERE SettingID = 1;

        SELECT TOP (1) @bad = s.MealMode
        FROM dbo.tbTALOMealModeSetting AS s
        WHERE s.Listed = '1' AND NOT EXISTS (SELECT 1 FROM @rows AS r WHERE r.m = s.MealMode)
        ORDER BY s.Position;
        IF @bad IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'The meal mode ', @bad, N' cannot be removed.');
            THROW 50000, @message, 1;
        END;

        UPDATE @rows SET lim = CAST(NULLIF(l, N'') AS INT);

        -- The audit rows first, while the old values are still there.
        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOSiteSetting',
            N'Site',
            N'UPDATE',
            STUFF(CONCAT(
                CASE WHEN s.ScanMode <> @scan
                    THEN CONCAT(N'; ScanMode: ', s.ScanMode, N' -> ', @scan) ELSE N'' END,
                CASE WHEN s.KeyboardEntry <> @keyboard
                    THEN CONCAT(N'; KeyboardEntry: ', s.KeyboardEntry, N' -> ', @keyboard)
                    ELSE N'' END,
                CASE WHEN s.BulkTagging <> @bulk
                    THEN CONCAT(N'; BulkTagging: ', s.BulkTagging, N' -> ', @bulk) ELSE N'' END,
                CASE WHEN s.KeepServingOffline <> COALESCE(@offline, s.KeepServingOffline)
                    THEN CONCAT(N'; KeepServingOffline: ', s.KeepServingOffline, N' -> ', @offline)
                    ELSE N'' END,
                CASE WHEN s.FittedColumns <> COALESCE(@fitted, s.FittedColumns)
                    THEN CONCAT(N'; FittedColumns: ', s.FittedColumns, N' -> ', @fitted)
                    ELSE N'' END,
                CASE WHEN s.StatementTimeout <> COALESCE(@seconds, s.StatementTimeout)
                    THEN CONCAT(N'; StatementTimeout: ', s.StatementTimeout, N' -> ', @seconds)
                    ELSE N'' END,
                CASE WHEN s.FirstDayOfWeek <> CAST(@firstday AS INT)
                    THEN CONCAT(N'; FirstDayOfWeek: ', s.FirstDayOfWeek, N' -> ', @firstday)
                    ELSE N'' END,
                CASE WHEN s.SiteName COLLATE Latin1_General_100_BIN2 <> @siteName
                    THEN CONCAT(N'; SiteName: ', s.SiteName, N' -> ', @siteName) ELSE N'' END
            ), 1, 2, N''),
            @user,
            @now,
            ORIGINAL_LOGIN(),
            (
                SELECT
                    s.ScanMode AS [ScanMode.old],
                    @scan AS [ScanMode.new],
                    s.KeyboardEntry AS [KeyboardEntry.old],
                    @keyboard AS [KeyboardEntry.new],
                    s.BulkTagging AS [BulkTagging.old],
                    @bulk AS [BulkTagging.new],
                    s.FittedColumns AS [FittedColumns.old],
                    COALESCE(@fitted, s.FittedColumns) AS [FittedColumns.new],
                    s.KeepServingOffline AS [KeepServingOffline.old],
                    COALESCE(@offline, s.KeepServingOffline) AS [KeepServingOffline.new],
                    s.StatementTimeout AS [StatementTimeout.old],
                    COALESCE(@seconds, s.StatementTimeout) AS [StatementTimeout.new],
                    s.FirstDayOfWeek AS [FirstDayOfWeek.old],
                    CAST(@firstday AS INT) AS [FirstDayOfWeek.new],
                    s.SiteName AS [SiteName.old],
                    @siteName AS [SiteName.new]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        FROM dbo.tbTALOSiteSetting AS s
        WHERE
            s.SettingID = 1
            AND (
                s.ScanMode <> @scan
                OR s.KeyboardEntry <> @keyboard
                OR s.BulkTagging <> @bulk
                OR s.KeepServingOffline <> COALESCE(@offline, s.KeepServingOffline)
                OR s.FittedColumns <> COALESCE(@fitted, s.FittedColumns)
                OR s.StatementTimeout <> COALESCE(@seconds, s.StatementTimeout)
                OR s.FirstDayOfWeek <> CAST(@firstday AS INT)
                OR s.SiteName COLLATE Latin1_General_100_BIN2 <> @siteName
            );

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOMealModeSetting',
            s.MealMode,
            N'DELETE',
            CONCAT(
                N'DailyLimit=', s.DailyLimit, N'; LimitAction=', s.LimitAction,
                N'; ServeFrom=', s.ServeFrom, N'; ServeTo=', s.ServeTo
            ),
            @user,
            @now,
            ORIGINAL_LOGIN(),
            (
                SELECT
                    s.DailyLimit AS [DailyLimit.old],
                    s.LimitAction AS [LimitAction.old],
                    s.ServeFrom AS [ServeFrom.old],
                    s.ServeTo AS [ServeTo.old]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        FROM dbo.tbTALOMealModeSetting AS s
        WHERE NOT EXISTS (SELECT 1 FROM @rows AS r WHERE r.m = s.MealMode)
        ORDER BY s.Position;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOMealModeSetting',
            r.m,
            CASE WHEN s.MealMode IS NULL THEN N'INSERT' ELSE N'UPDATE' END,
            CASE
                WHEN s.MealMode IS NULL
                    THEN CONCAT(
                        N'DailyLimit=', r.lim, N'; LimitAction=', r.a,
                        N'; ServeFrom=', r.f, N'; ServeTo=', r.t
                    )
                ELSE STUFF(CONCAT(
                    CASE WHEN s.MealMode COLLATE Latin1_General_100_BIN2 <> r.m
                        THEN CONCAT(N'; MealMode: ', s.MealMode, N' -> ', r.m) ELSE N'' END,
                    CASE WHEN s.DailyLimit <> r.lim
                            OR (s.DailyLimit IS NULL AND r.lim IS NOT NULL)
                            OR (s.DailyLimit IS NOT NULL AND r.lim IS NULL)
                        THEN CONCAT(N'; DailyLimit: ', s.DailyLimit, N' -> ', r.lim)
                        ELSE N'' END,
                    CASE WHEN s.LimitAction <> r.a
                        THEN CONCAT(N'; LimitAction: ', s.LimitAction, N' -> ', r.a)
                        ELSE N'' END,
                    CASE WHEN s.ServeFrom <> r.f
                        THEN CONCAT(N'; ServeFrom: ', s.ServeFrom, N' -> ', r.f) ELSE N'' END,
                    CASE WHEN s.ServeTo <> r.t
                        THEN CONCAT(N'; ServeTo: ', s.ServeTo, N' -> ', r.t) ELSE N'' END
                ), 1, 2, N'')
            END,
            @user,
            @now,
            ORIGINAL_LOGIN(),
            CASE
                WHEN s.MealMode IS NULL THEN
                    (
                        SELECT
                            r.lim AS [DailyLimit.new],
                            r.a AS [LimitAction.new],
                            r.f AS [ServeFrom.new],
                            r.t AS [ServeTo.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
                ELSE
                    (
                        SELECT
                            s.MealMode AS [MealMode.old],
                            r.m AS [MealMode.new],
                            s.DailyLimit AS [DailyLimit.old],
                            r.lim AS [DailyLimit.new],
                            s.LimitAction AS [LimitAction.old],
                            r.a AS [LimitAction.new],
                            s.ServeFrom AS [ServeFrom.old],
                            r.f AS [ServeFrom.new],
                            s.ServeTo AS [ServeTo.old],
                            r.t AS [ServeTo.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
            END
        FROM @rows AS r
        LEFT JOIN dbo.tbTALOMealModeSetting AS s ON s.MealMode = r.m
        WHERE
            s.MealMode IS NULL
            OR s.MealMode COLLATE Latin1_General_100_BIN2 <> r.m
            OR s.DailyLimit <> r.lim
            OR (s.DailyLimit IS NULL AND r.lim IS NOT NULL)
            OR (s.DailyLimit IS NOT NULL AND r.lim IS NULL)
            OR s.LimitAction <> r.a
            OR s.ServeFrom <> r.f
            OR s.ServeTo <> r.t
        ORDER BY r.seq;

        -- Then the settings themselves. A listed mode keeps its place; the others follow
        -- in the order given.
        DELETE s
        FROM dbo.tbTALOMealModeSetting AS s
        WHERE NOT EXISTS (SELECT 1 FROM @rows AS r WHERE r.m = s.MealMode);

        UPDATE s
        SET
            MealMode = r.m,
            Position = CASE WHEN s.Listed = '1' THEN s.Position ELSE 100 + r.seq END,
            DailyLimit = r.lim,
            LimitAction = r.a,
            ServeFrom = r.f,
            ServeTo = r.t
        FROM dbo.tbTALOMealModeSetting AS s
        INNER JOIN @rows AS r ON r.m = s.MealMode;

        INSERT INTO dbo.tbTALOMealModeSetting (
            MealMode, Position, Listed, DailyLimit, LimitAction, ServeFrom, ServeTo
        )
        SELECT r.m, 100 + r.seq, '0', r.lim, r.a, r.f, r.t
        FROM @rows AS r
        WHERE NOT EXISTS (SELECT 1 FROM dbo.tbTALOMealModeSetting AS s WHERE s.MealMode = r.m);

        IF @locked IS NULL
            INSERT INTO dbo.tbTALOSiteSetting (
                SettingID, ScanMode, KeyboardEntry, BulkTagging, FirstDayOfWeek, SiteName,
                KeepServingOffline, FittedColumns, StatementTimeout
            )
            VALUES (
                1, @scan, @keyboard, @bulk, CAST(@firstday AS INT), @siteName,
                COALESCE(@offline, '0'), COALESCE(@fitted, '0'), COALESCE(@seconds, 10)
            );
        ELSE
            UPDATE dbo.tbTALOSiteSetting
            SET
                ScanMode = @scan,
                KeyboardEntry = @keyboard,
                BulkTagging = @bulk,
                KeepServingOffline = COALESCE(@offline, KeepServingOffline),
                FittedColumns = COALESCE(@fitted, FittedColumns),
                StatementTimeout = COALESCE(@seconds, StatementTimeout),
                FirstDayOfWeek = CAST(@firstday AS INT),
                SiteName = @siteName
            WHERE SettingID = 1;

        IF @outer = 0 COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        -- A doomed transaction can only be rolled back whole; otherwise only what this
        -- call did is undone, and @@TRANCOUNT is as on entry (no error 266).
        IF @outer = 0 OR XACT_STATE() = -1
        BEGIN
            IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        END;
        ELSE IF XACT_STATE() = 1
            ROLLBACK TRANSACTION talo_save_settings;
        THROW;
    END CATCH;
END;
GO
