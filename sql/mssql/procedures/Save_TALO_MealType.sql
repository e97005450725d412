USE Station;
GO

-- Inserts a meal type or updates the meal type with that code.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_MealType
    @code NVARCHAR(4000),
    @description NVARCHAR(4000),
    @status NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@code));
    DECLARE @exists BIT = 0;
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

        IF @key = N''
            THROW 50000, N'Meal type code is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Meal type code must not contain invisible characters.', 1;
        -- DATALENGTH: "1 " is no status, although = ignores trailing blanks.
        IF @status NOT IN (N'1', N'0') OR DATALENGTH(@status) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Status must be 1 (active) or 0 (inactive), not ''', @status, N'''.'
            );
            THROW 50000, @message, 1;
        END;

        IF EXISTS (SELECT 1 FROM dbo.tbcoMealType WITH (UPDLOCK, HOLDLOCK) WHERE Code = @key)
            SET @exists = 1;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        VALUES (
            N'tbcoMealType',
            @key,
            CASE WHEN @exists = 1 THEN N'UPDATE' ELSE N'INSERT' END,
            CONCAT(N'Description=', @description, N'; Status=', @status),
            @user,
            @now
        );

        IF @exists = 1
            UPDATE dbo.tbcoMealType
            SET Description = @description, Status = @status
            WHERE Code = @key;
        ELSE
            INSERT INTO dbo.tbcoMealType (Code, Description, Status)
            VALUES (@key, @description, @status);

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
