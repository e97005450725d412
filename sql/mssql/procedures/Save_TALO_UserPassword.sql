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
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

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
        IF LEFT(@hash, 10) <> N'$argon2id$' COLLATE Latin1_General_100_BIN2
            OR LEN(@hash) > 255
            THROW 50000, N'The password must arrive as an argon2id hash.', 1;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        SELECT N'tbPasswordMain', EmployeeID, N'PASSWORD', N'password set', @user, @now
        FROM Password.dbo.tbPasswordMain
        WHERE EmployeeID = @key;

        UPDATE Password.dbo.tbPasswordMain SET PasswordHash = @hash WHERE EmployeeID = @key;

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
