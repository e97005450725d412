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

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@code), dbo.TALO_HasNul(@description), dbo.TALO_HasNul(@status),
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
    IF DATALENGTH(@code) > 60
        THROW 50000, N'Meal type code can be at most 30 characters long.', 1;
    IF DATALENGTH(@description) > 400
        THROW 50000, N'Description can be at most 200 characters long.', 1;
    IF DATALENGTH(@status) > 2
        THROW 50000, N'Status can be at most 1 character long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@code));
    DECLARE @exists BIT = 0;
    DECLARE @oldDescription NVARCHAR(200);
    DECLARE @oldStatus NVARCHAR(1);
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_meal_type;

        IF @key = N''
            THROW 50000, N'Meal type code is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Meal type code must not contain invisible characters.', 1;
        -- Unicode's folding and confusable skeletons are beyond T-SQL: a width-insensitive
        -- collation that a width-sensitive one tells apart finds the full-width and
        -- half-width spellings of an existing key, as far as the server can.
        DECLARE @same NVARCHAR(4000) = NULL;
        SELECT TOP (1) @same = Code
        FROM dbo.tbcoMealType
        WHERE Code = @key COLLATE Latin1_General_100_CI_AS
            AND Code <> @key COLLATE Latin1_General_100_CI_AS_WS;
        IF @same IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'Meal type code ', @key, N' is the same code as ', @same, N', which already exists.'
            );
            THROW 50000, @message, 1;
        END;
        -- DATALENGTH: "1 " is no status, although = ignores trailing blanks.
        IF @status NOT IN (N'1', N'0') OR DATALENGTH(@status) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Status must be 1 (active) or 0 (inactive), not ''', @status, N'''.'
            );
            THROW 50000, @message, 1;
        END;

        SELECT @exists = 1, @oldDescription = Description, @oldStatus = Status
        FROM dbo.tbcoMealType WITH (UPDLOCK, HOLDLOCK)
        WHERE Code = @key;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        VALUES (
            N'tbcoMealType',
            @key,
            CASE WHEN @exists = 1 THEN N'UPDATE' ELSE N'INSERT' END,
            -- An update names the type and lists what changed, from what to what.
            CASE
                WHEN @exists = 0 THEN CONCAT(N'Description=', @description, N'; Status=', @status)
                ELSE CONCAT(
                    CASE
                        WHEN @oldDescription COLLATE Latin1_General_100_BIN2 <> @description
                            THEN CONCAT(N'Description: ', @oldDescription, N' -> ', @description)
                        ELSE CONCAT(N'Description=', @oldDescription)
                    END,
                    CASE
                        WHEN @oldStatus <> @status
                            THEN CONCAT(N'; Status: ', @oldStatus, N' -> ', @status)
                        ELSE N''
                    END
                )
            END,
            @user,
            @now,
            ORIGINAL_LOGIN(),
            CASE
                WHEN @exists = 0 THEN
                    (
                        SELECT
                            @description AS [Description.new],
                            @status AS [Status.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
                ELSE
                    (
                        SELECT
                            @oldDescription AS [Description.old],
                            @description AS [Description.new],
                            @oldStatus AS [Status.old],
                            @status AS [Status.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
            END
        );

        IF @exists = 1
            UPDATE dbo.tbcoMealType
            SET Description = @description, Status = @status
            WHERE Code = @key;
        ELSE
            INSERT INTO dbo.tbcoMealType (Code, Description, Status)
            VALUES (@key, @description, @status);

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
            ROLLBACK TRANSACTION talo_save_meal_type;
        THROW;
    END CATCH;
END;
GO
