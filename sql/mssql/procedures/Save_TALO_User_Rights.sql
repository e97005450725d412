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
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @previous NVARCHAR(200);
    -- Trimmed once and used so everywhere: a padded ID names the same person.
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Staff ID must not contain invisible characters.', 1;
        -- "" or "|digits" repeated: starts with "|", ends with a digit, no "||", and
        -- nothing but digits and "|". DATALENGTH: trailing blanks count here.
        IF NOT (
            DATALENGTH(@rights) = 0
            OR (
                LEFT(@rights, 1) = N'|'
                AND RIGHT(@rights, 1) LIKE N'[0-9]'
                AND @rights NOT LIKE N'%[^0-9|]%'
                AND CHARINDEX(N'||', @rights) = 0
            )
        )
        BEGIN
            SET @message = CONCAT(N'''', @rights, N''' is not a rights string.');
            THROW 50000, @message, 1;
        END;

        SELECT TOP (1) @previous = UserRights
        FROM dbo.tbTALOUserRights WITH (UPDLOCK, HOLDLOCK)
        WHERE UserID = @key
        ORDER BY ModifiedAt;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        VALUES (
            N'tbTALOUserRights',
            @key,
            N'RIGHTS',
            CONCAT(COALESCE(@previous, N'(none)'), N' -> ', @rights),
            @user,
            @now
        );

        DELETE FROM dbo.tbTALOUserRights WHERE UserID = @key;

        INSERT INTO dbo.tbTALOUserRights (UserID, UserRights, ModifiedBy, ModifiedAt)
        VALUES (@key, @rights, @user, @now);

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
