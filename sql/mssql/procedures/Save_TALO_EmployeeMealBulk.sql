USE Station;
GO

-- Tags several meal types to a set of employees in one call. @scope picks the employees:
-- ALL every active employee, DEPARTMENT the active employees of @department, LIST the
-- active employees of the JSON array @employees (each must exist; the inactive ones are
-- left out, and EMPLOYEES tells how many were not). @types is a
-- JSON array of meal type codes (each must exist and be active). With @apply '0' nothing
-- is changed (the preview); with '1' every missing tag is added, one audit row per tag as
-- the single tag save writes it; a tag that exists is kept as it is. The result, one row
-- per meal type by CODE: EMPLOYEES chosen, TAGGED the tags added (or that would be),
-- ALREADY the chosen employees who had the tag. @batch, when given, is the key the program
-- chose for this tagging: its audit rows carry it, and its batch row names the meal types
-- tagged and counts the employees given a tag.
-- OPENJSON needs database compatibility level 130 (SQL Server 2016) or later.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_EmployeeMealBulk
    @scope NVARCHAR(4000),
    @department NVARCHAR(4000),
    @employees NVARCHAR(MAX),
    @types NVARCHAR(MAX),
    @apply NVARCHAR(4000),
    @user NVARCHAR(4000),
    @batch NVARCHAR(4000) = NULL
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@scope), dbo.TALO_HasNul(@department), dbo.TALO_HasNul(@employees),
        dbo.TALO_HasNul(@types), dbo.TALO_HasNul(@apply), dbo.TALO_HasNul(@user),
        dbo.TALO_HasNul(@batch)
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
    -- employees and types are not columns: generous for 200,000 numbers and 500 codes.
    IF DATALENGTH(@scope) > 40
        THROW 50000, N'Scope can be at most 20 characters long.', 1;
    IF DATALENGTH(@department) > 60
        THROW 50000, N'Department code can be at most 30 characters long.', 1;
    IF DATALENGTH(@employees) > 14000000
        THROW 50000, N'Employees can be at most 7000000 characters long.', 1;
    IF DATALENGTH(@types) > 40000
        THROW 50000, N'Meal types can be at most 20000 characters long.', 1;
    IF DATALENGTH(@apply) > 2
        THROW 50000, N'Apply can be at most 1 character long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@batch) > 80
        THROW 50000, N'Batch key can be at most 40 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @value NVARCHAR(4000);
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    DECLARE @mode NVARCHAR(20) = UPPER(@scope);
    -- Collations spelled out: a table variable takes the current database's default,
    -- which on a site whose Payroll database came from elsewhere may differ.
    DECLARE @chosenTypes TABLE (
        Seq INT NOT NULL PRIMARY KEY,
        Code NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NULL
    );
    DECLARE @chosenEmployees TABLE (
        Seq INT NOT NULL PRIMARY KEY,
        EmpNum NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NULL
    );
    DECLARE @pairs TABLE (
        EmpNum NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Code NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Had BIT NOT NULL,
        PRIMARY KEY (EmpNum, Code)
    );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_meal_bulk;

        IF @mode NOT IN (N'ALL', N'DEPARTMENT', N'LIST') OR @scope IS NULL
        BEGIN
            SET @message = CONCAT(
                N'Unknown selection ''', @scope, N'''; use ALL, DEPARTMENT or LIST.'
            );
            THROW 50000, @message, 1;
        END;
        -- DATALENGTH: "1 " is no flag, although = ignores trailing blanks.
        IF @apply IS NULL OR @apply NOT IN (N'1', N'0') OR DATALENGTH(@apply) <> 2
        BEGIN
            SET @message = CONCAT(N'Apply must be 1 (tag) or 0 (preview), not ''', @apply, N'''.');
            THROW 50000, @message, 1;
        END;

        IF dbo.TALO_IsJsonArray(@types) = 0
            THROW 50000, N'The meal types must be a JSON array.', 1;
        IF dbo.TALO_JsonHasNul(@types) = 1
            THROW 50000, N'Text arguments must not contain the NUL character.', 1;
        -- Codes are texts: true or 12 would read as 'true' or '12' here and otherwise in
        -- the embedded store.
        IF EXISTS (SELECT 1 FROM OPENJSON(@types) AS j WHERE j.[type] NOT IN (0, 1))
            THROW 50000, N'Each meal type must be a JSON text.', 1;
        INSERT INTO @chosenTypes (Seq, Code)
        SELECT CAST(j.[key] AS INT), j.value
        FROM OPENJSON(@types) AS j;
        IF NOT EXISTS (SELECT 1 FROM @chosenTypes)
            THROW 50000, N'Choose at least one meal type.', 1;
        IF EXISTS (SELECT 1 FROM @chosenTypes WHERE LTRIM(RTRIM(COALESCE(Code, N''))) = N'')
            THROW 50000, N'Meal type code is required.', 1;

        SET @value = NULL;
        SELECT TOP (1) @value = c.Code
        FROM @chosenTypes AS c
        WHERE NOT EXISTS (SELECT 1 FROM dbo.tbcoMealType AS mt WHERE mt.Code = c.Code)
        ORDER BY c.Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Unknown meal type ', @value, N'.');
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = mt.Code
        FROM @chosenTypes AS c
        INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = c.Code
        WHERE mt.Status <> '1'
        ORDER BY c.Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Meal type ', @value, N' is inactive.');
            THROW 50000, @message, 1;
        END;

        IF @mode = N'DEPARTMENT' AND LTRIM(RTRIM(COALESCE(@department, N''))) = N''
            THROW 50000, N'Department code is required.', 1;
        IF @mode = N'DEPARTMENT' AND NOT EXISTS (
            SELECT 1 FROM Payroll.dbo.tbcDepartment WHERE DeptCode = @department
        )
        BEGIN
            SET @message = CONCAT(N'Unknown department ', @department, N'.');
            THROW 50000, @message, 1;
        END;

        IF @mode = N'LIST'
        BEGIN
            IF dbo.TALO_IsJsonArray(@employees) = 0
                THROW 50000, N'The employees must be a JSON array.', 1;
            IF dbo.TALO_JsonHasNul(@employees) = 1
                THROW 50000, N'Text arguments must not contain the NUL character.', 1;
            IF EXISTS (SELECT 1 FROM OPENJSON(@employees) AS j WHERE j.[type] NOT IN (0, 1))
                THROW 50000, N'Each employee must be a JSON text.', 1;
            INSERT INTO @chosenEmployees (Seq, EmpNum)
            SELECT CAST(j.[key] AS INT), j.value
            FROM OPENJSON(@employees) AS j;
        END;
        IF EXISTS (
            SELECT 1 FROM @chosenEmployees WHERE LTRIM(RTRIM(COALESCE(EmpNum, N''))) = N''
        )
            THROW 50000, N'Employee number is required.', 1;

        SET @value = NULL;
        SELECT TOP (1) @value = c.EmpNum
        FROM @chosenEmployees AS c
        WHERE NOT EXISTS (SELECT 1 FROM Payroll.dbo.tbcmaster AS e WHERE e.EmpNum = c.EmpNum)
        ORDER BY c.Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Unknown employee ', @value, N'.');
            THROW 50000, @message, 1;
        END;

        -- An inactive employee of the list is left out, not refused: an import's new
        -- employees may hold some the file marks inactive. EMPLOYEES counts the others.

        -- Every (employee, meal type) pair chosen, and whether the tag is there already;
        -- the locks keep a concurrent tag save from adding one in between.
        INSERT INTO @pairs (EmpNum, Code, Had)
        SELECT
            e.EmpNum,
            mt.Code,
            CASE WHEN x.EmpNum IS NULL THEN 0 ELSE 1 END
        FROM Payroll.dbo.tbcmaster AS e
        CROSS JOIN dbo.tbcoMealType AS mt
        LEFT JOIN dbo.tbTALOEmployeeMeal AS x WITH (UPDLOCK, HOLDLOCK)
            ON x.EmpNum = e.EmpNum AND x.MealTypeCode = mt.Code
        WHERE mt.Code IN (SELECT c.Code FROM @chosenTypes AS c)
            AND e.Active = '1'
            AND (
                @mode = N'ALL'
                OR (@mode = N'DEPARTMENT' AND e.DeptCode = @department)
                OR (@mode = N'LIST' AND e.EmpNum IN (SELECT c.EmpNum FROM @chosenEmployees AS c))
            );

        IF @apply = N'1'
        BEGIN
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields,
                BatchKey
            )
            SELECT
                N'tbTALOEmployeeMeal',
                p.EmpNum + N'/' + p.Code,
                N'TAG',
                CONCAT(
                    N'EmployeeName=',
                    RTRIM(CONCAT(e.Lastname, N', ', e.Firstname, N' ', e.Middlename)),
                    N'; TypeName=', mt.Description
                ),
                @user,
                @now,
                ORIGINAL_LOGIN(),
                (
                    SELECT
                        e.EmpNum AS [EmpNum.new],
                        mt.Code AS [MealTypeCode.new]
                    FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                ),
                NULLIF(@batch, N'')
            FROM @pairs AS p
            INNER JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = p.EmpNum
            INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = p.Code
            WHERE p.Had = 0
            ORDER BY p.EmpNum, p.Code;

            -- The meal types that gained a tag, by code, and how many employees were
            -- given one.
            IF COALESCE(@batch, N'') <> N'' AND EXISTS (SELECT 1 FROM @pairs WHERE Had = 0)
            BEGIN
                DECLARE @title NVARCHAR(MAX) = N'';
                DECLARE @code NVARCHAR(30) = (SELECT MIN(Code) FROM @pairs WHERE Had = 0);
                WHILE @code IS NOT NULL
                BEGIN
                    SET @title = CONCAT(
                        @title, CASE WHEN @title <> N'' THEN N', ' END,
                        (SELECT mt.Description FROM dbo.tbcoMealType AS mt WHERE mt.Code = @code)
                    );
                    SET @code = (SELECT MIN(Code) FROM @pairs WHERE Had = 0 AND Code > @code);
                END;
                DECLARE @tagged INT = (
                    SELECT COUNT(DISTINCT EmpNum) FROM @pairs WHERE Had = 0
                );
                UPDATE dbo.tbTALOAuditBatch SET Added = Added + @tagged WHERE BatchKey = @batch;
                IF @@ROWCOUNT = 0
                    INSERT INTO dbo.tbTALOAuditBatch (BatchKey, Kind, Title, Added)
                    VALUES (@batch, N'BULKTAG', @title, @tagged);
            END;

            INSERT INTO dbo.tbTALOEmployeeMeal (EmpNum, MealTypeCode, TaggedBy, TaggedAt)
            SELECT
                p.EmpNum,
                p.Code,
                @user,
                @now
            FROM @pairs AS p
            WHERE p.Had = 0;
        END;

        SELECT
            mt.Code AS CODE,
            mt.Description AS DESCRIPTION,
            (SELECT COUNT(*) FROM @pairs AS p WHERE p.Code = mt.Code) AS EMPLOYEES,
            (SELECT COUNT(*) FROM @pairs AS p WHERE p.Code = mt.Code AND p.Had = 0) AS TAGGED,
            (SELECT COUNT(*) FROM @pairs AS p WHERE p.Code = mt.Code AND p.Had = 1) AS ALREADY
        FROM dbo.tbcoMealType AS mt
        WHERE mt.Code IN (SELECT c.Code FROM @chosenTypes AS c)
        ORDER BY mt.Code;

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
            ROLLBACK TRANSACTION talo_save_meal_bulk;
        THROW;
    END CATCH;
END;
GO
