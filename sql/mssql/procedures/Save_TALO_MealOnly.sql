USE Station;
GO

-- Inserts a meal or updates the meal with that code. The cost is empty or a number of
-- zero or more (stored as text with two decimals); a meal type, when given, must exist.
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
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@code));
    DECLARE @costText NVARCHAR(4000) = LTRIM(RTRIM(@cost));
    DECLARE @storedCost NVARCHAR(20);
    DECLARE @storedType NVARCHAR(30);
    DECLARE @exists BIT = 0;
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    -- Up to twelve digits, an optional point and decimals (".5" and "12." count too).
    IF @costText = N''
        SET @storedCost = N'';
    ELSE IF
        @costText NOT LIKE N'%[^0-9.]%'
        AND @costText NOT LIKE N'%.%.%'
        AND @costText <> N'.'
        AND CHARINDEX(N'.', @costText + N'.') <= 13
        SET @storedCost = CONVERT(
            NVARCHAR(20),
            TRY_CONVERT(DECIMAL(14, 2), TRY_CONVERT(DECIMAL(38, 20), @costText))
        );

    BEGIN TRY
        BEGIN TRANSACTION;

        IF @key = N''
            THROW 50000, N'Meal code is required.', 1;
        IF dbo.HasInvisibleCharacters(@key) = 1
            THROW 50000, N'Meal code must not contain invisible characters.', 1;
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
        IF EXISTS (SELECT 1 FROM dbo.tbcoMeal WITH (UPDLOCK, HOLDLOCK) WHERE Code = @key)
            SET @exists = 1;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        VALUES (
            N'tbcoMeal',
            @key,
            CASE WHEN @exists = 1 THEN N'UPDATE' ELSE N'INSERT' END,
            CONCAT(
                N'Description=', @description, N'; Cost=', @storedCost,
                N'; MealType=', @type, N'; Status=', @status
            ),
            @user,
            @now
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

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
