USE Station;
GO

-- Records that a supervisor discarded an order a counter served while the server could
-- not be reached and the server refused when the counter's journal sent it: the order's
-- key, employee, served time, clerk and meals, the refusal and the supervisor's reason go
-- to the audit log; no meal is stored. The counter forgets the order only after this
-- answers, so the call may come twice for one order: the second writes nothing.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_DiscardedOrder
    @orderKey NVARCHAR(4000),
    @employee NVARCHAR(4000),
    @date NVARCHAR(4000),
    @clerk NVARCHAR(4000),
    @meals NVARCHAR(4000),
    @refusal NVARCHAR(4000),
    @reason NVARCHAR(4000),
    @supervisor NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@orderKey), dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@date),
        dbo.TALO_HasNul(@clerk), dbo.TALO_HasNul(@meals), dbo.TALO_HasNul(@refusal),
        dbo.TALO_HasNul(@reason), dbo.TALO_HasNul(@supervisor)
    )
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- A caller whose driver turns autocommit off (implicit transactions, as ODBC drivers
    -- do) has a transaction that only opens with the first statement reading a table:
    -- opened here, the call joins it as it joins an explicit one.
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
    IF DATALENGTH(@orderKey) > 72
        THROW 50000, N'Order key can be at most 36 characters long.', 1;
    IF DATALENGTH(@employee) > 60
        THROW 50000, N'Employee number can be at most 30 characters long.', 1;
    IF DATALENGTH(@date) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@clerk) > 60
        THROW 50000, N'Clerk ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@meals) > 4000
        THROW 50000, N'Meals can be at most 2000 characters long.', 1;
    IF DATALENGTH(@refusal) > 2000
        THROW 50000, N'Refusal can be at most 1000 characters long.', 1;
    IF DATALENGTH(@reason) > 1000
        THROW 50000, N'Reason can be at most 500 characters long.', 1;
    IF DATALENGTH(@supervisor) > 60
        THROW 50000, N'Supervisor ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @served DATETIME2(0) = CASE
        WHEN LTRIM(RTRIM(@date)) = N'' THEN NULL
        ELSE TRY_CONVERT(DATETIME2(0), CONVERT(NCHAR(19), TRY_CONVERT(DATETIME2(7), @date), 120), 120)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@date) = 1 SET @served = NULL;

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_discard_order;

        IF LTRIM(RTRIM(@orderKey)) = N''
            THROW 50000, N'Order key is required.', 1;
        IF LTRIM(RTRIM(@reason)) = N''
            THROW 50000, N'A reason is required to discard a refused order.', 1;
        IF @served IS NULL
        BEGIN
            SET @message = CONCAT(N'''', @date, N''' is not a valid date and time.');
            THROW 50000, @message, 1;
        END;
        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOUserRights
            WHERE UserID = @supervisor AND dbo.TALO_RightsPart(UserRights, 8) = N'8'
        )
        BEGIN
            SET @message = CONCAT(
                N'User ', @supervisor, N' does not hold the right to revoke meals, which ',
                N'discarding a refused order needs.'
            );
            THROW 50000, @message, 1;
        END;
        IF EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals WITH (UPDLOCK, HOLDLOCK)
            WHERE OrderKey = @orderKey
        )
        BEGIN
            SET @message = CONCAT(
                N'The order ', @orderKey, N' is stored: there is nothing to discard.'
            );
            THROW 50000, @message, 1;
        END;

        -- Sent twice (the answer of the first never arrived): one audit row. The key's
        -- range stays locked to the end, so two sends queue up here.
        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOAuditLog WITH (UPDLOCK, HOLDLOCK)
            WHERE TableName = N'tbTALOEmployeeDistributedMeals' AND RecordKey = @orderKey
                AND Action = N'DISCARD'
        )
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
            )
            SELECT
                N'tbTALOEmployeeDistributedMeals',
                @orderKey,
                N'DISCARD',
                CONCAT(
                    N'EmpNum=', @employee, N'; EmployeeName=',
                    (
                        SELECT RTRIM(CONCAT(e.Lastname, N', ', e.Firstname, N' ', e.Middlename))
                        FROM Payroll.dbo.tbcmaster AS e WHERE e.EmpNum = @employee
                    ),
                    N'; MealDate=', CONVERT(NVARCHAR(19), @served, 120), N'; ClerkID=', @clerk,
                    N'; Meals=', @meals, N'; Refusal=', @refusal, N'; Reason=', @reason
                ),
                @supervisor,
                CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120),
                ORIGINAL_LOGIN(),
                (
                    SELECT
                        @employee AS [EmpNum.old],
                        CONVERT(NVARCHAR(19), @served, 120) AS [MealDate.old]
                    FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
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
            ROLLBACK TRANSACTION talo_discard_order;
        THROW;
    END CATCH;
END;
GO
