USE Station;
GO

-- Records one meal handed to an employee. The employee and the meal must be known and
-- active, and the meal's type must be active and tagged to the employee. A meal sent with
-- the key of its order and its line number (a counter sending an order again because it
-- never heard the answer) is saved once: when that line is stored already, the call
-- neither refuses nor writes and answers as a save does.
-- A supervisor settling an order the server refused when a counter's journal sent it
-- names himself and a remark: the meal is then saved past what a supervisor may
-- overrule (the employee or the meal deactivated meanwhile, a meal type untagged, a mode
-- no longer the site's, a limit, a day older than the journal's week) and the audit log
-- says so. What nobody overrules stays: an employee or meal unknown, a closed day, a
-- date later than tomorrow.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_EmployeeDistributedMeals
    @employee NVARCHAR(4000),
    @meal NVARCHAR(4000),
    @mode NVARCHAR(4000),
    @date NVARCHAR(4000),
    @remarks NVARCHAR(4000),
    @clerk NVARCHAR(4000),
    @source NVARCHAR(4000),
    @orderKey NVARCHAR(4000) = NULL,
    @orderLine NVARCHAR(4000) = NULL,
    @supervisor NVARCHAR(4000) = NULL,
    @reason NVARCHAR(4000) = NULL
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@meal), dbo.TALO_HasNul(@mode),
        dbo.TALO_HasNul(@date), dbo.TALO_HasNul(@remarks), dbo.TALO_HasNul(@clerk),
        dbo.TALO_HasNul(@source), dbo.TALO_HasNul(@orderKey), dbo.TALO_HasNul(@orderLine),
        dbo.TALO_HasNul(@supervisor), dbo.TALO_HasNul(@reason)
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
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@meal) > 60
        THROW 50000, N'Meal code can be at most 30 characters long.', 1;
    IF DATALENGTH(@mode) > 100
        THROW 50000, N'Meal mode can be at most 50 characters long.', 1;
    IF DATALENGTH(@date) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@remarks) > 1000
        THROW 50000, N'Remarks can be at most 500 characters long.', 1;
    IF DATALENGTH(@clerk) > 60
        THROW 50000, N'Clerk ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@source) > 200
        THROW 50000, N'Source can be at most 100 characters long.', 1;
    IF DATALENGTH(@orderKey) > 72
        THROW 50000, N'Order key can be at most 36 characters long.', 1;
    IF DATALENGTH(@orderLine) > 6
        THROW 50000, N'Order line can be at most 3 characters long.', 1;
    IF DATALENGTH(@supervisor) > 60
        THROW 50000, N'Supervisor ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@reason) > 1000
        THROW 50000, N'Reason can be at most 500 characters long.', 1;
    IF @orderKey IS NOT NULL AND (
        @orderLine IS NULL
        OR (@orderLine NOT LIKE N'[1-9]' AND @orderLine NOT LIKE N'[1-9][0-9]'
            AND @orderLine NOT LIKE N'[1-9][0-9][0-9]')
    )
        THROW 50000, N'Order line must be a whole number from 1 to 999.', 1;
    IF @supervisor IS NOT NULL AND @orderKey IS NULL
        THROW 50000, N'A meal saved past a refusal must carry the key of its order.', 1;
    IF @supervisor IS NOT NULL AND LTRIM(RTRIM(ISNULL(@reason, N''))) = N''
        THROW 50000, N'A remark saying why is required to save a refused meal anyway.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @limitMode NVARCHAR(50);
    DECLARE @limit INT;
    DECLARE @received INT;
    DECLARE @locked INT;
    DECLARE @lockName NVARCHAR(255);
    DECLARE @dayStart DATETIME2(0);
    DECLARE @before INT;
    DECLARE @ordered INT;
    DECLARE @stored NVARCHAR(30);
    DECLARE @name NVARCHAR(400);
    DECLARE @tran NVARCHAR(40);
    DECLARE @orderRows NVARCHAR(4000);
    DECLARE @closed DATE;
    DECLARE @transNum INT;
    DECLARE @mealDate DATETIME2(0) = CASE
        WHEN LTRIM(RTRIM(@date)) = N'' THEN NULL
        ELSE TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), @date), 120), 120)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@date) = 1 SET @mealDate = NULL;

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_meals;

        -- The order's line is stored already: the first save arrived. The key's range
        -- stays locked to the end, so two counters sending one order queue up here.
        IF @orderKey IS NOT NULL AND EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals WITH (UPDLOCK, HOLDLOCK)
            WHERE OrderKey = @orderKey AND OrderLine = CONVERT(INT, @orderLine)
        )
        BEGIN
            IF @outer = 0 COMMIT TRANSACTION;
            RETURN;
        END;

        IF @supervisor IS NOT NULL AND NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOUserRights
            WHERE UserID = @supervisor AND dbo.TALO_RightsPart(UserRights, 8) = N'8'
        )
        BEGIN
            SET @message = CONCAT(
                N'User ', @supervisor, N' does not hold the right to revoke meals, which ',
                N'saving a refused meal anyway needs.'
            );
            THROW 50000, @message, 1;
        END;
        IF LTRIM(RTRIM(@employee)) = N''
            THROW 50000, N'Employee number is required.', 1;
        IF @supervisor IS NOT NULL
            AND NOT EXISTS (SELECT 1 FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee)
        BEGIN
            SET @message = CONCAT(
                N'Employee ', @employee, N' is not on the payroll: nobody can save a meal ',
                N'for him, the order can only be discarded.'
            );
            THROW 50000, @message, 1;
        END;
        IF NOT EXISTS (SELECT 1 FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee)
        BEGIN
            SET @message = CONCAT(N'Unknown employee ', @employee, N'.');
            THROW 50000, @message, 1;
        END;
        IF @supervisor IS NULL AND EXISTS (
            SELECT 1 FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee AND Active <> '1'
        )
        BEGIN
            SET @message = CONCAT(N'Employee ', @employee, N' is inactive.');
            THROW 50000, @message, 1;
        END;
        IF LTRIM(RTRIM(@meal)) = N''
            THROW 50000, N'Meal code is required.', 1;
        IF @supervisor IS NOT NULL AND NOT EXISTS (SELECT 1 FROM dbo.tbcoMeal WHERE Code = @meal)
        BEGIN
            SET @message = CONCAT(
                N'Meal ', @meal, N' is not on the meal list: nobody can save it, the ',
                N'order can only be discarded.'
            );
            THROW 50000, @message, 1;
        END;
        IF NOT EXISTS (SELECT 1 FROM dbo.tbcoMeal WHERE Code = @meal)
        BEGIN
            SET @message = CONCAT(N'Unknown meal ', @meal, N'.');
            THROW 50000, @message, 1;
        END;
        IF @supervisor IS NULL
            AND EXISTS (SELECT 1 FROM dbo.tbcoMeal WHERE Code = @meal AND Status <> '1')
        BEGIN
            SET @message = CONCAT(N'Meal ', @meal, N' is inactive.');
            THROW 50000, @message, 1;
        END;
        IF @supervisor IS NULL AND NOT EXISTS (
            SELECT 1 FROM dbo.tbcoMeal AS m
            INNER JOIN dbo.tbcoMealType AS mt ON mt.Code = m.MealType AND mt.Status = '1'
            WHERE m.Code = @meal
        )
        BEGIN
            SET @message = CONCAT(N'The meal type of meal ', @meal, N' is inactive.');
            THROW 50000, @message, 1;
        END;
        IF @supervisor IS NULL AND NOT EXISTS (
            SELECT 1 FROM dbo.tbcoMeal AS m
            INNER JOIN dbo.tbTALOEmployeeMeal AS t
                ON t.MealTypeCode = m.MealType AND t.EmpNum = @employee
            WHERE m.Code = @meal
        )
        BEGIN
            SET @message = CONCAT(
                N'Meal ', @meal, N' is not allowed for employee ', @employee,
                N': its meal type is not tagged to the employee.'
            );
            THROW 50000, @message, 1;
        END;
        IF LTRIM(RTRIM(@mode)) = N''
            THROW 50000, N'Meal mode is required.', 1;
        -- A mode with a no-break, zero-width or other hidden character shows as the mode
        -- it imitates but would be counted apart from it.
        IF dbo.HasInvisibleCharacters(@mode) = 1
            THROW 50000, N'Meal mode must not contain invisible characters.', 1;
        IF @mealDate IS NULL
        BEGIN
            SET @message = CONCAT(N'''', @date, N''' is not a valid date and time.');
            THROW 50000, @message, 1;
        END;
        -- A meal is recorded when it is handed out: a day other than yesterday, today or
        -- tomorrow by the server's clock is a typing or clock fault. One exception: where
        -- the site keeps serving while the server cannot be reached, a counter's journal
        -- sends its orders later, keyed, with the time each was served; such a keyed meal
        -- may be up to a week old, never later than tomorrow. Unkeyed saves, and every
        -- save at a site that does not keep serving, keep the one-day rule.
        IF ABS(DATEDIFF(DAY, CAST(GETDATE() AS DATE), CAST(@mealDate AS DATE))) > 1
            AND NOT (
                @orderKey IS NOT NULL
                AND DATEDIFF(DAY, CAST(@mealDate AS DATE), CAST(GETDATE() AS DATE)) BETWEEN 2 AND 7
                AND EXISTS (
                    SELECT 1 FROM dbo.tbTALOSiteSetting
                    WHERE SettingID = 1 AND KeepServingOffline = '1'
                )
            )
            AND NOT (@supervisor IS NOT NULL AND CAST(@mealDate AS DATE) < CAST(GETDATE() AS DATE))
        BEGIN
            SET @message = CONCAT(
                N'The meal date ''', @date, N''' is more than a day from the server''s clock.'
            );
            THROW 50000, @message, 1;
        END;
        -- The meals through the closed day were sent to payroll: none is added to them.
        -- The shared lock, held to the end, keeps the day from closing under this save.
        SELECT @closed = ClosedThrough
        FROM dbo.tbTALOSiteSetting WITH (HOLDLOCK)
        WHERE SettingID = 1;
        IF @closed IS NOT NULL AND CAST(@mealDate AS DATE) <= @closed
        BEGIN
            SET @message = CONCAT(
                N'The meals through ', CONVERT(NCHAR(10), @closed, 23),
                N' are closed for payroll: no meal dated ', @date, N' can be recorded.'
            );
            THROW 50000, @message, 1;
        END;
        -- Once the site limits any mode, a typed mode must be one of the site's modes
        -- (the collation ignores case and width; blanks around are trimmed).
        IF @supervisor IS NULL
            AND EXISTS (SELECT 1 FROM dbo.tbTALOMealModeSetting WHERE DailyLimit IS NOT NULL)
            AND NOT EXISTS (
                SELECT 1 FROM dbo.tbTALOMealModeSetting WHERE MealMode = LTRIM(RTRIM(@mode))
            )
        BEGIN
            SET @message = CONCAT(N'Meal mode ', @mode, N' is not one of the site''s meal modes.');
            THROW 50000, @message, 1;
        END;

        -- A meal mode the site limits with a block: the employee's meals of that mode on
        -- the day of the meal, not revoked, counting the lines already saved in the
        -- caller's transaction, must stay under the limit. Two counters serving the same
        -- employee at once: the application lock, held to the end of the transaction,
        -- makes the second one wait and then count the first one's meal. A mode typed
        -- with blanks around it counts as the mode it names. The lock is named after the
        -- employee number as stored: the collation finds the same employee for "１２３"
        -- and "123", which must not take two locks.
        SELECT
            @limitMode = s.MealMode,
            @limit = s.DailyLimit
        FROM dbo.tbTALOMealModeSetting AS s
        WHERE s.MealMode = LTRIM(RTRIM(@mode)) AND s.LimitAction = 'B' AND s.DailyLimit IS NOT NULL;
        IF @limitMode IS NOT NULL AND @supervisor IS NULL
        BEGIN
            SELECT @stored = EmpNum,
                   @name = LTRIM(RTRIM(CONCAT(Lastname, N', ', Firstname, N' ', Middlename)))
            FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee;
            SET @lockName = CONCAT(N'talo_meal_limit:', UPPER(@stored));
            EXEC @locked = sp_getapplock
                @Resource = @lockName,
                @LockMode = N'Exclusive',
                @LockOwner = N'Transaction',
                @LockTimeout = 10000;
            IF @locked < 0
                RAISERROR (
                    N'Another counter is recording meals for employee %s; try again.', 16, 1,
                    @employee
                );
            -- The meals this session saved in the open transaction (kept in the session
            -- context by transaction) are the order's; the others were received before.
            -- The day ends at its last second: 9999-12-31 has no next day to compare with.
            SET @dayStart = CAST(CAST(@mealDate AS DATE) AS DATETIME2(0));
            SET @tran = CONVERT(NVARCHAR(40), CURRENT_TRANSACTION_ID());
            SET @orderRows = CASE
                WHEN CONVERT(NVARCHAR(40), SESSION_CONTEXT(N'talo_order_tran')) = @tran
                    THEN CONVERT(NVARCHAR(4000), SESSION_CONTEXT(N'talo_order_rows'))
                ELSE N','
            END;
            SELECT
                @received = COUNT(*),
                @ordered = COUNT(CASE WHEN CHARINDEX(CONCAT(N',', TransNum, N','), @orderRows) > 0 THEN 1 END)
            FROM dbo.tbTALOEmployeeDistributedMeals
            WHERE
                EmpNum = @stored
                AND LTRIM(RTRIM(MealMode)) = @limitMode
                AND MealDate >= @dayStart
                AND MealDate <= DATEADD(SECOND, 86399, @dayStart)
                AND RevokedAt IS NULL;
            SET @before = @received - @ordered;
            IF @received >= @limit
            BEGIN
                SET @message = CONCAT(
                    @name, N' (', @stored, N') has received ', @before, N' ', @limitMode,
                    N' today and this order holds ', @ordered + 1, N'; the site allows ', @limit,
                    N' a day.'
                );
                THROW 50000, @message, 1;
            END;
        END;

        INSERT INTO dbo.tbTALOEmployeeDistributedMeals (
            EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, MealCost,
            OrderKey, OrderLine
        )
        SELECT
            e.EmpNum,
            m.Code,
            @mode,
            @mealDate,
            @remarks,
            @clerk,
            @source,
            CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120),
            m.Cost,
            @orderKey,
            CASE WHEN @orderKey IS NULL THEN NULL ELSE CONVERT(INT, @orderLine) END
        FROM Payroll.dbo.tbcmaster AS e
        CROSS JOIN dbo.tbcoMeal AS m
        WHERE e.EmpNum = @employee AND m.Code = @meal;
        SET @transNum = CONVERT(INT, SCOPE_IDENTITY());

        -- Saved past a refusal: the audit log names the supervisor and his remark.
        IF @supervisor IS NOT NULL
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
            )
            SELECT
                N'tbTALOEmployeeDistributedMeals',
                CAST(dm.TransNum AS NVARCHAR(20)),
                N'OVERRIDE',
                CONCAT(
                    N'EmpNum=', dm.EmpNum, N'; EmployeeName=',
                    RTRIM(CONCAT(e.Lastname, N', ', e.Firstname, N' ', e.Middlename)),
                    N'; MealCode=', dm.MealCode, N'; MealName=', m.Description,
                    N'; MealDate=', CONVERT(NVARCHAR(19), dm.MealDate, 120),
                    N'; ClerkID=', dm.ClerkID, N'; OrderKey=', dm.OrderKey, N'; Reason=', @reason
                ),
                @supervisor,
                CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120),
                ORIGINAL_LOGIN(),
                (
                    SELECT
                        dm.EmpNum AS [EmpNum.new],
                        dm.MealCode AS [MealCode.new],
                        CONVERT(NVARCHAR(19), dm.MealDate, 120) AS [MealDate.new]
                    FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                )
            FROM dbo.tbTALOEmployeeDistributedMeals AS dm
            LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = dm.EmpNum
            LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
            WHERE dm.TransNum = @transNum;

        IF @outer > 0
        BEGIN
            SET @tran = CONVERT(NVARCHAR(40), CURRENT_TRANSACTION_ID());
            SET @orderRows = CASE
                WHEN CONVERT(NVARCHAR(40), SESSION_CONTEXT(N'talo_order_tran')) = @tran
                    THEN CONVERT(NVARCHAR(4000), SESSION_CONTEXT(N'talo_order_rows'))
                ELSE N','
            END;
            SET @orderRows = CONCAT(@orderRows, SCOPE_IDENTITY(), N',');
            EXEC sp_set_session_context N'talo_order_tran', @tran;
            EXEC sp_set_session_context N'talo_order_rows', @orderRows;
        END;

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
            ROLLBACK TRANSACTION talo_save_meals;
        THROW;
    END CATCH;
END;
GO
