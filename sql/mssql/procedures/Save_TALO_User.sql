USE Station;
GO

-- Adds a person to the password register (active, without a password or any access) or
-- changes the names of a person already there (audited only when they differ).
CREATE OR ALTER PROCEDURE dbo.Save_TALO_User
    @staff NVARCHAR(4000),
    @lastname NVARCHAR(4000),
    @firstname NVARCHAR(4000),
    @middlename NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@staff), dbo.TALO_HasNul(@lastname), dbo.TALO_HasNul(@firstname),
        dbo.TALO_HasNul(@middlename), dbo.TALO_HasNul(@user)
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
    IF DATALENGTH(@lastname) > 200
        THROW 50000, N'Last name can be at most 100 characters long.', 1;
    IF DATALENGTH(@firstname) > 200
        THROW 50000, N'First name can be at most 100 characters long.', 1;
    IF DATALENGTH(@middlename) > 200
        THROW 50000, N'Middle name can be at most 100 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @last NVARCHAR(4000) = LTRIM(RTRIM(@lastname));
    DECLARE @first NVARCHAR(4000) = LTRIM(RTRIM(@firstname));
    DECLARE @middle NVARCHAR(4000) = LTRIM(RTRIM(@middlename));
    DECLARE @stored NVARCHAR(30);
    DECLARE @storedName NVARCHAR(4000);
    DECLARE @oldLast NVARCHAR(100);
    DECLARE @oldFirst NVARCHAR(100);
    DECLARE @oldMiddle NVARCHAR(100);
    DECLARE @changed BIT = 1;
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_user;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Staff ID must not contain invisible characters.', 1;
        -- Unicode's folding and confusable skeletons are beyond T-SQL: a width-insensitive
        -- collation that a width-sensitive one tells apart finds the full-width and
        -- half-width spellings of an existing key, as far as the server can.
        SET @storedName = NULL;
        SELECT TOP (1) @storedName = EmployeeID
        FROM Password.dbo.tbPasswordMain
        WHERE EmployeeID = @key COLLATE Latin1_General_100_CI_AS
            AND EmployeeID <> @key COLLATE Latin1_General_100_CI_AS_WS;
        IF @storedName IS NOT NULL
        BEGIN
            SET @storedName = CONCAT(
                N'Staff ID ', @key, N' looks the same as ', @storedName,
                N', who is already registered.'
            );
            THROW 50000, @storedName, 1;
        END;
        IF @last = N''
            THROW 50000, N'Last name is required.', 1;

        SELECT
            @stored = EmployeeID,
            @storedName = RTRIM(Lastname + N', ' + Firstname + N' ' + Middlename),
            @oldLast = Lastname,
            @oldFirst = Firstname,
            @oldMiddle = Middlename,
            @changed = CASE
                WHEN Lastname = @last COLLATE Latin1_General_100_BIN2
                    AND Firstname = @first COLLATE Latin1_General_100_BIN2
                    AND Middlename = @middle COLLATE Latin1_General_100_BIN2 THEN 0
                ELSE 1
            END
        FROM Password.dbo.tbPasswordMain WITH (UPDLOCK, HOLDLOCK)
        WHERE EmployeeID = @key;

        IF @changed = 1
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
            )
            VALUES (
                N'tbPasswordMain',
                COALESCE(@stored, @key),
                CASE WHEN @stored IS NULL THEN N'INSERT' ELSE N'UPDATE' END,
                -- A new name is recorded beside the old one.
                CASE
                    WHEN @stored IS NULL
                        THEN CONCAT(
                            N'Lastname=', @last, N'; Firstname=', @first, N'; Middlename=', @middle
                        )
                    ELSE CONCAT(
                        N'Name: ', @storedName, N' -> ',
                        RTRIM(CONCAT(@last, N', ', @first, N' ', @middle))
                    )
                END,
                @user,
                @now,
                ORIGINAL_LOGIN(),
                CASE
                    WHEN @stored IS NULL THEN
                        (
                            SELECT
                                @last AS [Lastname.new],
                                @first AS [Firstname.new],
                                @middle AS [Middlename.new]
                            FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                        )
                    ELSE
                        (
                            SELECT
                                @oldLast AS [Lastname.old],
                                @last AS [Lastname.new],
                                @oldFirst AS [Firstname.old],
                                @first AS [Firstname.new],
                                @oldMiddle AS [Middlename.old],
                                @middle AS [Middlename.new]
                            FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                        )
                END
            );

        IF @stored IS NULL
            INSERT INTO Password.dbo.tbPasswordMain (
                EmployeeID, Lastname, Firstname, Middlename, PasswordHash, Active
            )
            VALUES (@key, @last, @first, @middle, N'', '1');
        ELSE
            UPDATE Password.dbo.tbPasswordMain
            SET Lastname = @last, Firstname = @first, Middlename = @middle
            WHERE EmployeeID = @key;

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
            ROLLBACK TRANSACTION talo_save_user;
        THROW;
    END CATCH;
END;
GO
