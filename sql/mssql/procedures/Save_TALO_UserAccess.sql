USE Station;
GO

-- Grants ('1') or withdraws ('0') a person's use of this program (application code TALO)
-- and sets the person active ('1') or inactive ('0'). Nobody withdraws his own access,
-- and the last active person who may sign in and holds right 5 (user management) keeps
-- it: otherwise nobody could manage sign-ins any more.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_UserAccess
    @staff NVARCHAR(4000),
    @access NVARCHAR(4000),
    @active NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@staff), dbo.TALO_HasNul(@access), dbo.TALO_HasNul(@active),
        dbo.TALO_HasNul(@user)
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
    IF DATALENGTH(@staff) > 60
        THROW 50000, N'Staff ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@access) > 2
        THROW 50000, N'Access can be at most 1 character long.', 1;
    IF DATALENGTH(@active) > 2
        THROW 50000, N'Active can be at most 1 character long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @stored NVARCHAR(30);
    DECLARE @wasActive CHAR(1);
    DECLARE @hadAccess BIT = 0;
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    DECLARE @locked INT;
    DECLARE @managers TABLE (
        EmployeeID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL PRIMARY KEY
    );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_user_access;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;

        SELECT @stored = EmployeeID, @wasActive = Active
        FROM Password.dbo.tbPasswordMain WITH (UPDLOCK, HOLDLOCK)
        WHERE EmployeeID = @key;
        IF @stored IS NULL
        BEGIN
            SET @message = CONCAT(N'Unknown staff ID ', @staff, N'.');
            THROW 50000, @message, 1;
        END;
        IF @access NOT IN (N'1', N'0') OR DATALENGTH(@access) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Access must be 1 (granted) or 0 (withdrawn), not ''', @access, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF @active NOT IN (N'1', N'0') OR DATALENGTH(@active) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Active must be 1 (active) or 0 (inactive), not ''', @active, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF @key = LTRIM(RTRIM(@user)) AND (@access = N'0' OR @active = N'0')
            THROW 50000, N'You cannot withdraw your own access.', 1;

        -- Managers (dbo.TALO_Managers: active, may sign in to TALO, have a password,
        -- right 5 in the fifth part of the first rights row), their register rows locked.
        -- One guard at a time: two administrators each taking right 5 (or access) from one
        -- of the last two managers would otherwise both pass, each reading the managers
        -- before the other's change is committed (read-committed snapshot shows neither).
        -- The lock is the transaction's, so the next guard reads the managers only after
        -- this change is committed or undone; its read is a new statement that sees it.
        EXEC @locked = sp_getapplock
            @Resource = N'talo_managers',
            @LockMode = N'Exclusive',
            @LockOwner = N'Transaction',
            @LockTimeout = 10000;
        IF @locked < 0
            RAISERROR (N'Another administrator is changing rights or access; try again.', 16, 1);
        INSERT INTO @managers (EmployeeID)
        SELECT m.EmployeeID
        FROM dbo.TALO_Managers() AS m
        INNER JOIN Password.dbo.tbPasswordMain AS p WITH (UPDLOCK, HOLDLOCK)
            ON p.EmployeeID = m.EmployeeID;
        IF (@access = N'0' OR @active = N'0')
            AND EXISTS (SELECT 1 FROM @managers WHERE EmployeeID = @stored)
            AND NOT EXISTS (SELECT 1 FROM @managers WHERE EmployeeID <> @stored)
        BEGIN
            SET @message = CONCAT(
                @stored, N' is the last person with right 5 who may sign in; ',
                N'give right 5 to someone else first.'
            );
            THROW 50000, @message, 1;
        END;

        IF EXISTS (
            SELECT 1 FROM Password.dbo.tbPasswordAppAccess
            WHERE EmployeeID = @stored AND AppCode = N'TALO'
        )
            SET @hadAccess = 1;

        IF @hadAccess <> CASE WHEN @access = N'1' THEN 1 ELSE 0 END
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
            )
            VALUES (
                N'tbPasswordAppAccess',
                @stored,
                N'ACCESS',
                CASE WHEN @access = N'1' THEN N'TALO granted' ELSE N'TALO withdrawn' END,
                @user,
                @now,
                ORIGINAL_LOGIN(),
                (
                    SELECT
                        CASE WHEN @access = N'1' THEN N'0' ELSE N'1' END AS [TALO.old],
                        CASE WHEN @access = N'1' THEN N'1' ELSE N'0' END AS [TALO.new]
                    FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                )
            );
        IF @wasActive <> @active
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
            )
            VALUES (
                N'tbPasswordMain', @stored, N'UPDATE',
                CONCAT(N'Active: ', @wasActive, N' -> ', @active), @user, @now, ORIGINAL_LOGIN(),
                (
                    SELECT
                        @wasActive AS [Active.old],
                        @active AS [Active.new]
                    FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                )
            );

        IF @access = N'1' AND @hadAccess = 0
            INSERT INTO Password.dbo.tbPasswordAppAccess (EmployeeID, AppCode)
            VALUES (@stored, N'TALO');
        IF @access = N'0'
            DELETE FROM Password.dbo.tbPasswordAppAccess
            WHERE EmployeeID = @stored AND AppCode = N'TALO';

        UPDATE Password.dbo.tbPasswordMain SET Active = @active WHERE EmployeeID = @stored;

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
            ROLLBACK TRANSACTION talo_save_user_access;
        THROW;
    END CATCH;
END;
GO
