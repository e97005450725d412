USE Station;
GO

-- Imports part of a personnel list. @rows is a JSON array with one array per employee:
-- [number, last name, first name, middle name, department code, department name, active].
-- A new number is added; an employee whose stored values differ is updated; an identical
-- one is left alone, so sending the same rows twice changes nothing the second time. A
-- department name creates the department or renames it. Every change writes one audit
-- row. Names compare exactly (a change of case is a change); codes ignore case.
-- @batch, when given, is the key the program chose for the whole import (every slice of
-- it): the audit rows carry it, and the batch row sums up what the import did, with the
-- name of the file it came from.
-- OPENJSON needs database compatibility level 130 (SQL Server 2016) or later.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_StaffImport
    @rows NVARCHAR(MAX),
    @user NVARCHAR(4000),
    @batch NVARCHAR(4000) = NULL,
    @file NVARCHAR(4000) = NULL
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@rows), dbo.TALO_HasNul(@user), dbo.TALO_HasNul(@batch),
        dbo.TALO_HasNul(@file)
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
    -- rows is not a column: its limit is generous, about three times what the program's
    -- 1,000 rows a call can take at the longest values the columns allow.
    IF DATALENGTH(@rows) > 4000000
        THROW 50000, N'Staff rows can be at most 2000000 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@batch) > 80
        THROW 50000, N'Batch key can be at most 40 characters long.', 1;
    IF DATALENGTH(@file) > 520
        THROW 50000, N'File name can be at most 260 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @value NVARCHAR(4000);
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    -- Collations spelled out: a table variable takes the current database's default,
    -- which on a site whose Payroll database came from elsewhere may differ.
    DECLARE @staff TABLE (
        Seq INT NOT NULL PRIMARY KEY,
        EmpNum NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Lastname NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Firstname NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Middlename NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        DeptCode NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        DeptName NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Active NVARCHAR(4000) COLLATE Latin1_General_100_CI_AS NOT NULL
    );
    DECLARE @departments TABLE (
        DeptCode NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL PRIMARY KEY,
        DeptName NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
    );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_staff_import;

        IF dbo.TALO_IsJsonArray(@rows) = 0
            THROW 50000, N'The staff rows must be a JSON array.', 1;
        IF dbo.TALO_JsonHasNul(@rows) = 1
            THROW 50000, N'Text arguments must not contain the NUL character.', 1;
        IF EXISTS (SELECT 1 FROM OPENJSON(@rows) AS j WHERE j.[type] <> 4)
            THROW 50000, N'Each staff row must be a JSON array: number, last name, first name, middle name, department code, department name, active.', 1;
        -- Every value is a text (type 1): a number, true or a nested array is not what
        -- the file said.
        SET @value = NULL;
        SELECT TOP (1) @value = CAST(j.[key] AS INT) + 1
        FROM OPENJSON(@rows) AS j
        CROSS APPLY OPENJSON(j.[value]) AS v
        WHERE v.[type] <> 1
        ORDER BY CAST(j.[key] AS INT);
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Staff row ', @value, N': every value must be a JSON text.');
            THROW 50000, @message, 1;
        END;

        INSERT INTO @staff (
            Seq, EmpNum, Lastname, Firstname, Middlename, DeptCode, DeptName, Active
        )
        SELECT
            CAST(j.[key] AS INT),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[0]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[1]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[2]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[3]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[4]'), N''))),
            LTRIM(RTRIM(COALESCE(JSON_VALUE(j.value, N'$[5]'), N''))),
            COALESCE(JSON_VALUE(j.value, N'$[6]'), N'')
        FROM OPENJSON(@rows) AS j;

        IF EXISTS (SELECT 1 FROM @staff WHERE EmpNum = N'')
            THROW 50000, N'Employee number is required.', 1;
        -- Keys that look like another one ("10002" with a zero-width space) are refused,
        -- as the meal codes are.
        IF EXISTS (SELECT 1 FROM @staff WHERE dbo.HasInvisibleCharacters(EmpNum) = 1)
            THROW 50000, N'Employee number must not contain invisible characters.', 1;
        IF EXISTS (SELECT 1 FROM @staff WHERE dbo.HasInvisibleCharacters(DeptCode) = 1)
            THROW 50000, N'Department code must not contain invisible characters.', 1;

        SET @value = NULL;
        SELECT TOP (1) @value = EmpNum
        FROM @staff
        WHERE LEN(EmpNum) > 30 OR LEN(Lastname) > 100 OR LEN(Firstname) > 100
            OR LEN(Middlename) > 100 OR LEN(DeptCode) > 30 OR LEN(DeptName) > 200
        ORDER BY Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Employee ', @value, N': a value is longer than its column allows.');
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = EmpNum FROM @staff WHERE Lastname = N'' ORDER BY Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Employee ', @value, N': the last name is required.');
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        -- DATALENGTH: "1 " is no flag, although = ignores trailing blanks.
        SELECT TOP (1) @value = Active
        FROM @staff
        WHERE Active NOT IN (N'1', N'0') OR DATALENGTH(Active) <> 2
        ORDER BY Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'Active must be 1 (active) or 0 (inactive), not ''', @value, N'''.'
            );
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = MIN(EmpNum COLLATE Latin1_General_100_BIN2)
        FROM @staff
        GROUP BY EmpNum COLLATE Latin1_General_100_CI_AS
        HAVING COUNT(*) > 1;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Employee number ', @value, N' appears twice.');
            THROW 50000, @message, 1;
        END;

        -- Unicode's folding and confusable skeletons are beyond T-SQL: a width-insensitive
        -- collation that a width-sensitive one tells apart finds the full-width and
        -- half-width spellings of an existing key, as far as the server can.
        DECLARE @same NVARCHAR(4000) = NULL;
        SET @value = NULL;
        SELECT TOP (1)
            @value = MAX(EmpNum COLLATE Latin1_General_100_BIN2),
            @same = MIN(EmpNum COLLATE Latin1_General_100_BIN2)
        FROM @staff
        GROUP BY EmpNum COLLATE Latin1_General_100_CI_AS_KS
        HAVING COUNT(*) > 1;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Employee number ', @value, N' is the same number as ', @same, N'.');
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = s.EmpNum, @same = e.EmpNum
        FROM @staff AS s
        INNER JOIN Payroll.dbo.tbcmaster AS e
            ON e.EmpNum = s.EmpNum COLLATE Latin1_General_100_CI_AS
            AND e.EmpNum <> s.EmpNum COLLATE Latin1_General_100_CI_AS_WS
        ORDER BY s.Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'Employee number ', @value, N' is the same number as ', @same,
                N', who is already on file.'
            );
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = MIN(DeptCode COLLATE Latin1_General_100_BIN2)
        FROM @staff
        WHERE DeptName <> N''
        GROUP BY DeptCode COLLATE Latin1_General_100_CI_AS
        HAVING COUNT(DISTINCT DeptName COLLATE Latin1_General_100_BIN2) > 1;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Department ', @value, N' is given two names.');
            THROW 50000, @message, 1;
        END;

        SET @value = NULL;
        SELECT TOP (1) @value = s.DeptCode
        FROM @staff AS s
        WHERE s.DeptCode <> N'' AND s.DeptName = N''
            AND NOT EXISTS (
                SELECT 1 FROM Payroll.dbo.tbcDepartment AS t WHERE t.DeptCode = s.DeptCode
            )
            AND NOT EXISTS (
                SELECT 1 FROM @staff AS named
                WHERE named.DeptCode = s.DeptCode COLLATE Latin1_General_100_CI_AS
                    AND named.DeptName <> N''
            )
        ORDER BY s.Seq;
        IF @value IS NOT NULL
        BEGIN
            SET @message = CONCAT(N'Unknown department ', @value, N'.');
            THROW 50000, @message, 1;
        END;

        -- Departments named in the rows: created or renamed.
        INSERT INTO @departments (DeptCode, DeptName)
        SELECT MIN(DeptCode), MAX(DeptName)
        FROM @staff
        WHERE DeptCode <> N'' AND DeptName <> N''
        GROUP BY DeptCode COLLATE Latin1_General_100_CI_AS;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields,
            BatchKey
        )
        SELECT
            N'tbcDepartment',
            d.DeptCode,
            CASE WHEN t.DeptCode IS NULL THEN N'INSERT' ELSE N'UPDATE' END,
            CASE
                WHEN t.DeptCode IS NULL THEN CONCAT(N'Description=', d.DeptName)
                ELSE CONCAT(N'Description: ', t.Description, N' -> ', d.DeptName)
            END,
            @user,
            @now,
            ORIGINAL_LOGIN(),
            CASE
                WHEN t.DeptCode IS NULL THEN
                    (
                        SELECT
                            d.DeptName AS [Description.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
                ELSE
                    (
                        SELECT
                            t.Description AS [Description.old],
                            d.DeptName AS [Description.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
            END,
            NULLIF(@batch, N'')
        FROM @departments AS d
        LEFT JOIN Payroll.dbo.tbcDepartment AS t WITH (UPDLOCK, HOLDLOCK)
            ON t.DeptCode = d.DeptCode
        WHERE t.DeptCode IS NULL
            OR t.Description <> d.DeptName COLLATE Latin1_General_100_BIN2;

        UPDATE t
        SET t.Description = d.DeptName
        FROM Payroll.dbo.tbcDepartment AS t
        INNER JOIN @departments AS d ON d.DeptCode = t.DeptCode
        WHERE t.Description <> d.DeptName COLLATE Latin1_General_100_BIN2;

        INSERT INTO Payroll.dbo.tbcDepartment (DeptCode, Description)
        SELECT d.DeptCode, d.DeptName
        FROM @departments AS d
        WHERE NOT EXISTS (
            SELECT 1 FROM Payroll.dbo.tbcDepartment AS t WHERE t.DeptCode = d.DeptCode
        );

        -- What this slice adds to the import's batch row: the employees it adds,
        -- deactivates (active before, inactive in the file) and otherwise changes. A
        -- slice that changes only departments still makes the row, so that every keyed
        -- audit row has its batch.
        IF COALESCE(@batch, N'') <> N''
        BEGIN
            DECLARE @added INT, @changed INT, @deactivated INT;
            SELECT
                @added = COALESCE(SUM(CASE WHEN e.EmpNum IS NULL THEN 1 ELSE 0 END), 0),
                @deactivated = COALESCE(SUM(
                    CASE WHEN e.Active = '1' AND s.Active = N'0' THEN 1 ELSE 0 END
                ), 0),
                @changed = COALESCE(SUM(
                    CASE
                        WHEN e.EmpNum IS NULL THEN 0
                        WHEN e.Active = '1' AND s.Active = N'0' THEN 0
                        ELSE 1
                    END
                ), 0)
            FROM @staff AS s
            LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = s.EmpNum
            WHERE e.EmpNum IS NULL
                OR e.Lastname <> s.Lastname COLLATE Latin1_General_100_BIN2
                OR e.Firstname <> s.Firstname COLLATE Latin1_General_100_BIN2
                OR e.Middlename <> s.Middlename COLLATE Latin1_General_100_BIN2
                OR COALESCE(e.DeptCode, N'') <> s.DeptCode
                OR e.Active <> s.Active;
            UPDATE dbo.tbTALOAuditBatch
            SET Added = Added + @added,
                Changed = Changed + @changed,
                Deactivated = Deactivated + @deactivated
            WHERE BatchKey = @batch;
            IF @@ROWCOUNT = 0
                AND (
                    @added + @changed + @deactivated > 0
                    OR EXISTS (SELECT 1 FROM dbo.tbTALOAuditLog WHERE BatchKey = @batch)
                )
                INSERT INTO dbo.tbTALOAuditBatch (
                    BatchKey, Kind, Title, Added, Changed, Deactivated
                )
                VALUES (@batch, N'IMPORT', COALESCE(@file, N''), @added, @changed, @deactivated);
        END;

        -- Employees: one audit row for each new or differing employee, then the rows.
        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields,
            BatchKey
        )
        SELECT
            N'tbcmaster',
            COALESCE(e.EmpNum, s.EmpNum),
            CASE WHEN e.EmpNum IS NULL THEN N'INSERT' ELSE N'UPDATE' END,
            CASE
                WHEN e.EmpNum IS NULL THEN CONCAT(
                    N'Lastname=', s.Lastname, N'; Firstname=', s.Firstname,
                    N'; Middlename=', s.Middlename, N'; DeptCode=', s.DeptCode,
                    N'; Active=', s.Active
                )
                -- The employee's name as it was, then what changed: the log names whom it
                -- changed as every other row does.
                ELSE CONCAT(
                    N'EmployeeName=',
                    RTRIM(CONCAT(e.Lastname, N', ', e.Firstname, N' ', e.Middlename)),
                    CASE WHEN e.Lastname <> s.Lastname COLLATE Latin1_General_100_BIN2
                        THEN CONCAT(N'; Lastname: ', e.Lastname, N' -> ', s.Lastname) END,
                    CASE WHEN e.Firstname <> s.Firstname COLLATE Latin1_General_100_BIN2
                        THEN CONCAT(N'; Firstname: ', e.Firstname, N' -> ', s.Firstname) END,
                    CASE WHEN e.Middlename <> s.Middlename COLLATE Latin1_General_100_BIN2
                        THEN CONCAT(N'; Middlename: ', e.Middlename, N' -> ', s.Middlename) END,
                    CASE WHEN COALESCE(e.DeptCode, N'') <> s.DeptCode
                        THEN CONCAT(N'; DeptCode: ', e.DeptCode, N' -> ', s.DeptCode) END,
                    CASE WHEN e.Active <> s.Active
                        THEN CONCAT(N'; Active: ', e.Active, N' -> ', s.Active) END
                )
            END,
            @user,
            @now,
            ORIGINAL_LOGIN(),
            CASE
                WHEN e.EmpNum IS NULL THEN
                    (
                        SELECT
                            s.Lastname AS [Lastname.new],
                            s.Firstname AS [Firstname.new],
                            s.Middlename AS [Middlename.new],
                            NULLIF(s.DeptCode, N'') AS [DeptCode.new],
                            s.Active AS [Active.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
                ELSE
                    (
                        SELECT
                            e.Lastname AS [Lastname.old],
                            s.Lastname AS [Lastname.new],
                            e.Firstname AS [Firstname.old],
                            s.Firstname AS [Firstname.new],
                            e.Middlename AS [Middlename.old],
                            s.Middlename AS [Middlename.new],
                            e.DeptCode AS [DeptCode.old],
                            NULLIF(s.DeptCode, N'') AS [DeptCode.new],
                            e.Active AS [Active.old],
                            s.Active AS [Active.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
            END,
            NULLIF(@batch, N'')
        FROM @staff AS s
        LEFT JOIN Payroll.dbo.tbcmaster AS e WITH (UPDLOCK, HOLDLOCK) ON e.EmpNum = s.EmpNum
        WHERE e.EmpNum IS NULL
            OR e.Lastname <> s.Lastname COLLATE Latin1_General_100_BIN2
            OR e.Firstname <> s.Firstname COLLATE Latin1_General_100_BIN2
            OR e.Middlename <> s.Middlename COLLATE Latin1_General_100_BIN2
            OR COALESCE(e.DeptCode, N'') <> s.DeptCode
            OR e.Active <> s.Active;

        UPDATE e
        SET e.Lastname = s.Lastname,
            e.Firstname = s.Firstname,
            e.Middlename = s.Middlename,
            e.DeptCode = NULLIF(s.DeptCode, N''),
            e.Active = s.Active
        FROM Payroll.dbo.tbcmaster AS e
        INNER JOIN @staff AS s ON s.EmpNum = e.EmpNum
        WHERE e.Lastname <> s.Lastname COLLATE Latin1_General_100_BIN2
            OR e.Firstname <> s.Firstname COLLATE Latin1_General_100_BIN2
            OR e.Middlename <> s.Middlename COLLATE Latin1_General_100_BIN2
            OR COALESCE(e.DeptCode, N'') <> s.DeptCode
            OR e.Active <> s.Active;

        INSERT INTO Payroll.dbo.tbcmaster (
            EmpNum, Lastname, Firstname, Middlename, DeptCode, Active
        )
        SELECT s.EmpNum, s.Lastname, s.Firstname, s.Middlename, NULLIF(s.DeptCode, N''), s.Active
        FROM @staff AS s
        WHERE NOT EXISTS (
            SELECT 1 FROM Payroll.dbo.tbcmaster AS e WHERE e.EmpNum = s.EmpNum
        );

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
            ROLLBACK TRANSACTION talo_save_staff_import;
        THROW;
    END CATCH;
END;
GO
