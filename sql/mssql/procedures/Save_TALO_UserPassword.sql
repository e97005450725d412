USE Station;
GO

-- Sets a person's password. The program sends only the argon2id hash it made itself
-- (libsodium crypto_pwhash_str); anything else is refused, so a password typed in clear
-- can never be stored. The audit row does not hold the hash.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_UserPassword
    @staff NVARCHAR(4000),
    @hash NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@staff), dbo.TALO_HasNul(@hash), dbo.TALO_HasNul(@user))
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
    IF DATALENGTH(@hash) > 510
        THROW 50000, N'Password hash can be at most 255 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_password;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;
        IF NOT EXISTS (
            SELECT 1 FROM Password.dbo.tbPasswordMain WITH (UPDLOCK, HOLDLOCK)
            WHERE EmployeeID = @key
        )
        BEGIN
            SET @message = CONCAT(N'Unknown staff ID ', @staff, N'.');
            THROW 50000, @message, 1;
        END;
        -- Only the encoding the program makes: version, cost parameters, salt and hash.
        IF dbo.TALO_IsArgon2id(@hash) = 0
            THROW 50000, N'The password must arrive as an argon2id hash.', 1;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbPasswordMain',
            EmployeeID,
            N'PASSWORD',
            CASE WHEN PasswordHash = N'' THEN N'password set' ELSE N'password reset' END,
            @user,
            @now,
            ORIGINAL_LOGIN(),
            N'{"PasswordHash":{}}'
        FROM Password.dbo.tbPasswordMain
        WHERE EmployeeID = @key;

        UPDATE Password.dbo.tbPasswordMain SET PasswordHash = @hash WHERE EmployeeID = @key;

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
            ROLLBACK TRANSACTION talo_save_password;
        THROW;
    END CATCH;
END;
GO
