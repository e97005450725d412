USE Station;
GO

-- Inserts a meal or updates the meal with that code. The cost is empty or a number of
-- zero or more with at most two significant decimals (stored as text with two); a meal
-- type, when given, must exist.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_MealOnly
    @code NVARCHAR(4000),
    @description NVARCHAR(4000),
    @cost NVARCHAR(4000),
    @type NVARCHAR(4000),
    @status NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (
        dbo.TALO_HasNul(@code), dbo.TALO_HasNul(@description), dbo.TALO_HasNul(@cost),
        dbo.TALO_HasNul(@type), dbo.TALO_HasNul(@status), dbo.TALO_HasNul(@user)
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
        THROW 50000, N'Meal code can be at most 30 characters long.', 1;
    IF DATALENGTH(@description) > 400
        THROW 50000, N'Description can be at most 200 characters long.', 1;
    IF DATALENGTH(@cost) > 40
        THROW 50000, N'Cost can be at most 20 characters long.', 1;
    IF DATALENGTH(@type) > 60
        THROW 50000, N'Meal type code can be at most 30 characters long.', 1;
    IF DATALENGTH(@status) > 2
        THROW 50000, N'Status can be at most 1 character long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@code));
    DECLARE @costText NVARCHAR(4000) = LTRIM(RTRIM(@cost));
    DECLARE @storedCost NVARCHAR(20);
    DECLARE @storedType NVARCHAR(30);
    DECLARE @exists BIT = 0;
    DECLARE @oldDescription NVARCHAR(200);
    DECLARE @oldCost NVARCHAR(20);
    DECLARE @oldType NVARCHAR(30);
    DECLARE @oldStatus NVARCHAR(1);
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    -- Up to twelve digits, an optional point and decimals (".5" and "12." count too),
    -- digits compared in binary (no superscripts). The decimals after the second must
    -- be zeros: a cost is refused rather than rounded.
    DECLARE @decimals NVARCHAR(4000) = CASE
        WHEN CHARINDEX(N'.', @costText) > 0
            THEN SUBSTRING(@costText, CHARINDEX(N'.', @costText) + 1, 4000)
        ELSE N''
    END;
    IF @costText = N''
        SET @storedCost = N'';
    ELSE IF
        @costText COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^0123456789.]%'
        AND @costText NOT LIKE N'%.%.%'
        AND @costText <> N'.'
        AND CHARINDEX(N'.', @costText + N'.') <= 13
        SET @storedCost = CONVERT(
            NVARCHAR(20),
            TRY_CONVERT(DECIMAL(14, 2), TRY_CONVERT(DECIMAL(38, 20), @costText))
        );

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_meal;

        IF @key = N''
            THROW 50000, N'Meal code is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Meal code must not contain invisible characters.', 1;
        -- Unicode's folding and confusable skeletons are beyond T-SQL: a width-insensitive
        -- collation that a width-sensitive one tells apart finds the full-width and
        -- half-width spellings of an existing key, as far as the server can.
        DECLARE @same NVARCHAR(4000) = NULL;
        SELECT TOP (1) @same = Code
        FROM dbo.tbcoMeal
        WHERE Code = @key COLLATE Latin1_General_100_CI_AS
            AND Code <> @key COLLATE Latin1_General_100_CI_AS_WS;
        IF @same IS NOT NULL
        BEGIN
            SET @message = CONCAT(
                N'Meal code ', @key, N' is the same code as ', @same, N', which already exists.'
            );
            THROW 50000, @message, 1;
        END;
        IF @status NOT IN (N'1', N'0') OR DATALENGTH(@status) <> 2
        BEGIN
            SET @message = CONCAT(
                N'Status must be 1 (active) or 0 (inactive), not ''', @status, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF @storedCost IS NULL
        BEGIN
            SET @message = CONCAT(
                N'Cost must be empty or a number of zero or more, not ''', @cost, N'''.'
            );
            THROW 50000, @message, 1;
        END;
        IF SUBSTRING(@decimals, 3, 4000) COLLATE Latin1_General_100_BIN2 LIKE N'%[^0]%'
        BEGIN
            SET @message = CONCAT(N'Cost can have at most two decimals, not ''', @cost, N'''.');
            THROW 50000, @message, 1;
        END;
        IF
            LTRIM(RTRIM(@type)) <> N''
            AND NOT EXISTS (SELECT 1 FROM dbo.tbcoMealType WHERE Code = @type)
        BEGIN
            SET @message = CONCAT(N'Unknown meal type ', @type, N'.');
            THROW 50000, @message, 1;
        END;

        -- The meal type as the master spells it; none when no type was given.
        SET @storedType = COALESCE(
            (SELECT Code FROM dbo.tbcoMealType WHERE Code = @type), N''
        );
        SELECT
            @exists = 1,
            @oldDescription = Description,
            @oldCost = Cost,
            @oldType = MealType,
            @oldStatus = Status
        FROM dbo.tbcoMeal WITH (UPDLOCK, HOLDLOCK)
        WHERE Code = @key;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        VALUES (
            N'tbcoMeal',
            @key,
            CASE WHEN @exists = 1 THEN N'UPDATE' ELSE N'INSERT' END,
            -- An update names the meal and lists what changed, from what to what.
            CASE
                WHEN @exists = 0
                    THEN CONCAT(
                        N'Description=', @description, N'; Cost=', @storedCost,
                        N'; MealType=', @type, N'; Status=', @status
                    )
                ELSE CONCAT(
                    CASE
                        WHEN @oldDescription COLLATE Latin1_General_100_BIN2 <> @description
                            THEN CONCAT(N'Description: ', @oldDescription, N' -> ', @description)
                        ELSE CONCAT(N'Description=', @oldDescription)
                    END,
                    CASE
                        WHEN @oldCost <> @storedCost
                            THEN CONCAT(N'; Cost: ', @oldCost, N' -> ', @storedCost)
                        ELSE N''
                    END,
                    CASE
                        WHEN @oldType COLLATE Latin1_General_100_BIN2 <> @storedType
                            THEN CONCAT(N'; MealType: ', @oldType, N' -> ', @storedType)
                        ELSE N''
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
                            @storedCost AS [Cost.new],
                            @storedType AS [MealType.new],
                            @status AS [Status.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
                ELSE
                    (
                        SELECT
                            @oldDescription AS [Description.old],
                            @description AS [Description.new],
                            @oldCost AS [Cost.old],
                            @storedCost AS [Cost.new],
                            @oldType AS [MealType.old],
                            @storedType AS [MealType.new],
                            @oldStatus AS [Status.old],
                            @status AS [Status.new]
                        FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
                    )
            END
        );

        IF @exists = 1
            UPDATE dbo.tbcoMeal
            SET
                Description = @description,
                Cost = @storedCost,
                MealType = @storedType,
                Status = @status
            WHERE Code = @key;
        ELSE
            INSERT INTO dbo.tbcoMeal (Code, Description, Cost, MealType, Status)
            VALUES (@key, @description, @storedCost, @storedType, @status);

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
            ROLLBACK TRANSACTION talo_save_meal;
        THROW;
    END CATCH;
END;
GO
