USE Station;
GO

-- Replaces a person's rights string. The string is "|" followed by a number, repeated
-- (part k holds the code k when right k is granted, "0" when not); empty means none.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_User_Rights
    @staff NVARCHAR(4000),
    @rights NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@staff), dbo.TALO_HasNul(@rights), dbo.TALO_HasNul(@user))
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
    IF DATALENGTH(@rights) > 400
        THROW 50000, N'Rights string can be at most 200 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @previous NVARCHAR(200);
    -- Trimmed once and used so everywhere: a padded ID names the same person.
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);
    DECLARE @manager NVARCHAR(30);
    DECLARE @locked INT;
    DECLARE @managers TABLE (
        EmployeeID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL PRIMARY KEY
    );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_user_rights;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Staff ID must not contain invisible characters.', 1;
        -- "" or "|digits" repeated: starts with "|", ends with a digit, no "||", and
        -- nothing but digits and "|". DATALENGTH: trailing blanks count here. The digits
        -- are listed and compared in binary: a range such as [0-9] under a Windows
        -- collation also takes superscript and other digits.
        IF NOT (
            DATALENGTH(@rights) = 0
            OR (
                LEFT(@rights, 1) = N'|'
                AND RIGHT(@rights, 1) COLLATE Latin1_General_100_BIN2 LIKE N'[0123456789]'
                AND @rights COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^0123456789|]%'
                AND CHARINDEX(N'||', @rights) = 0
            )
        )
        BEGIN
            SET @message = CONCAT(N'''', @rights, N''' is not a rights string.');
            THROW 50000, @message, 1;
        END;

        -- The last manager (dbo.TALO_Managers: active, may sign in to TALO, has a
        -- password, right 5 in the fifth part of the first rights row) keeps right 5:
        -- otherwise nobody could manage sign-ins or rights.
        IF dbo.TALO_RightsPart(@rights, 5) <> N'5'
        BEGIN
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
            SELECT @manager = EmployeeID FROM @managers WHERE EmployeeID = @key;
            IF @manager IS NOT NULL
                AND NOT EXISTS (SELECT 1 FROM @managers WHERE EmployeeID <> @manager)
            BEGIN
                SET @message = CONCAT(
                    @manager, N' is the last person with right 5 who may sign in; ',
                    N'give right 5 to someone else first.'
                );
                THROW 50000, @message, 1;
            END;
        END;

        SELECT TOP (1) @previous = UserRights
        FROM dbo.tbTALOUserRights WITH (UPDLOCK, HOLDLOCK)
        WHERE UserID = @key
        ORDER BY ModifiedAt;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        VALUES (
            N'tbTALOUserRights',
            @key,
            N'RIGHTS',
            CONCAT(COALESCE(@previous, N'(none)'), N' -> ', @rights),
            @user,
            @now,
            ORIGINAL_LOGIN(),
            (
                SELECT
                    @previous AS [UserRights.old],
                    @rights AS [UserRights.new]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        );

        DELETE FROM dbo.tbTALOUserRights WHERE UserID = @key;

        INSERT INTO dbo.tbTALOUserRights (UserID, UserRights, ModifiedBy, ModifiedAt)
        VALUES (@key, @rights, @user, @now);

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
            ROLLBACK TRANSACTION talo_save_user_rights;
        THROW;
    END CATCH;
END;
GO
