USE Station;
GO

-- Removes a meal type tag from an employee.
CREATE OR ALTER PROCEDURE dbo.Remove_TALO_EmployeeTaggedMeals
    @employee NVARCHAR(4000),
    @type NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@employee), dbo.TALO_HasNul(@type), dbo.TALO_HasNul(@user))
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
    IF DATALENGTH(@type) > 60
        THROW 50000, N'Meal type code can be at most 30 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_remove_tags;

        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeMeal WITH (UPDLOCK, HOLDLOCK)
            WHERE EmpNum = @employee AND MealTypeCode = @type
        )
        BEGIN
            SET @message = CONCAT(
                N'Meal type ', @type, N' is not tagged to employee ', @employee, N'.'
            );
            THROW 50000, @message, 1;
        END;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOEmployeeMeal',
            t.EmpNum + N'/' + t.MealTypeCode,
            N'UNTAG',
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
                    t.EmpNum AS [EmpNum.old],
                    t.MealTypeCode AS [MealTypeCode.old]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        FROM dbo.tbTALOEmployeeMeal AS t
        LEFT JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = t.EmpNum
        LEFT JOIN dbo.tbcoMealType AS mt ON mt.Code = t.MealTypeCode
        WHERE t.EmpNum = @employee AND t.MealTypeCode = @type;

        DELETE FROM dbo.tbTALOEmployeeMeal
        WHERE EmpNum = @employee AND MealTypeCode = @type;

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
            ROLLBACK TRANSACTION talo_remove_tags;
        THROW;
    END CATCH;
END;
GO
