USE Station;
GO

-- Revokes one distributed meal of the employee. The row is kept; the revoke is
-- recorded on it (who and when) and in the audit log. A meal dated on or before the day
-- the meals are closed through (App Settings) is not revoked.
CREATE OR ALTER PROCEDURE dbo.Revoke_TALO_EmployeeDistributedMeals
    @employee NVARCHAR(4000),
    @transnum NVARCHAR(4000),
    @clerk NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@transnum), dbo.TALO_HasNul(@clerk))
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
    IF DATALENGTH(@transnum) > 40
        THROW 50000, N'Transaction number can be at most 20 characters long.', 1;
    IF DATALENGTH(@clerk) > 60
        THROW 50000, N'Clerk ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @digits NVARCHAR(4000) = LTRIM(RTRIM(@transnum));
    -- Too many digits for a number finds no meal rather than failing on the conversion.
    DECLARE @number INT = TRY_CONVERT(INT, @digits);
    DECLARE @closed DATE;
    DECLARE @mealDay DATE;
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_revoke_meals;

        IF @digits = N'' OR @digits COLLATE Latin1_General_100_BIN2 LIKE N'%[^0123456789]%'
        BEGIN
            SET @message = CONCAT(N'''', @transnum, N''' is not a transaction number.');
            THROW 50000, @message, 1;
        END;
        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals WITH (UPDLOCK, HOLDLOCK)
            WHERE TransNum = @number AND EmpNum = @employee
        )
        BEGIN
            SET @message = CONCAT(
                N'Meal ', @transnum, N' was not given to employee ', @employee, N'.'
            );
            THROW 50000, @message, 1;
        END;
        IF EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals
            WHERE TransNum = @number AND RevokedAt IS NOT NULL
        )
        BEGIN
            SET @message = CONCAT(N'Meal ', @transnum, N' is already revoked.');
            THROW 50000, @message, 1;
        END;
        -- The meals through the closed day were sent to payroll: none of them is taken
        -- back. The shared lock, held to the end, keeps the day from closing under this.
        SELECT @closed = ClosedThrough
        FROM dbo.tbTALOSiteSetting WITH (HOLDLOCK)
        WHERE SettingID = 1;
        SELECT @mealDay = CAST(MealDate AS DATE)
        FROM dbo.tbTALOEmployeeDistributedMeals
        WHERE TransNum = @number;
        IF @closed IS NOT NULL AND @mealDay <= @closed
        BEGIN
            SET @message = CONCAT(
                N'Meal ', @transnum, N' of ', CONVERT(NCHAR(10), @mealDay, 23),
                N' cannot be revoked: the meals through ', CONVERT(NCHAR(10), @closed, 23),
                N' are closed for payroll.'
            );
            THROW 50000, @message, 1;
        END;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOEmployeeDistributedMeals',
            CAST(dm.TransNum AS NVARCHAR(20)),
            N'REVOKE',
            CONCAT(
                N'EmpNum=', dm.EmpNum,
                N'; EmployeeName=',
                RTRIM(CONCAT(e.Lastname, N', ', e.Firstname, N' ', e.Middlename)),
                N'; MealCode=', dm.MealCode, N'; MealName=', m.Description,
                N'; MealDate=', CONVERT(NVARCHAR(19), dm.MealDate, 120)
            ),
            @clerk,
            @now,
            ORIGINAL_LOGIN(),
            (
                SELECT
                    dm.EmpNum AS [EmpNum.old],
                    dm.MealCode AS [MealCode.old],
                    CONVERT(NVARCHAR(19), dm.MealDate, 120) AS [MealDate.old]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        FROM dbo.tbTALOEmployeeDistributedMeals AS dm
        LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = dm.EmpNum
        LEFT JOIN dbo.tbcoMeal AS m ON m.Code = dm.MealCode
        WHERE dm.TransNum = @number;

        UPDATE dbo.tbTALOEmployeeDistributedMeals
        SET RevokedBy = @clerk, RevokedAt = @now
        WHERE TransNum = @number;

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
            ROLLBACK TRANSACTION talo_revoke_meals;
        THROW;
    END CATCH;
END;
GO
