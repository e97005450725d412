USE Station;
GO

-- Sets the day through which the meals are closed (sent to payroll): a meal dated on or
-- before it can then be neither recorded nor revoked. @through is a date ("2026-11-30"; a
-- time in it is ignored), or '' to close nothing. A change writes one audit row.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_ClosedThrough
    @through NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@through), dbo.TALO_HasNul(@user))
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
    IF DATALENGTH(@through) > 80
        THROW 50000, N'Closed through can be at most 40 characters long.', 1;
    IF DATALENGTH(@user) > 60
        THROW 50000, N'User ID can be at most 30 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @day DATE = CASE
        WHEN LTRIM(RTRIM(@through)) = N'' THEN NULL
        ELSE CAST(TRY_CONVERT(DATETIME2(7), @through) AS DATE)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@through) = 1 SET @day = NULL;
    DECLARE @now DATETIME2(0) = CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120);

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_closed_through;

        IF LTRIM(RTRIM(@through)) <> N'' AND @day IS NULL
        BEGIN
            SET @message = CONCAT(N'''', @through, N''' is not a valid date.');
            THROW 50000, @message, 1;
        END;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        SELECT
            N'tbTALOSiteSetting',
            N'Site',
            N'UPDATE',
            CONCAT(
                N'ClosedThrough: ', CONVERT(NCHAR(10), s.ClosedThrough, 23), N' -> ',
                CONVERT(NCHAR(10), @day, 23)
            ),
            @user,
            @now,
            ORIGINAL_LOGIN(),
            (
                SELECT
                    CONVERT(NCHAR(10), s.ClosedThrough, 23) AS [ClosedThrough.old],
                    CONVERT(NCHAR(10), @day, 23) AS [ClosedThrough.new]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        FROM dbo.tbTALOSiteSetting AS s WITH (UPDLOCK, HOLDLOCK)
        WHERE
            s.SettingID = 1
            AND COALESCE(s.ClosedThrough, '0001-01-01') <> COALESCE(@day, '0001-01-01');

        UPDATE dbo.tbTALOSiteSetting
        SET ClosedThrough = @day
        WHERE SettingID = 1;

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
            ROLLBACK TRANSACTION talo_closed_through;
        THROW;
    END CATCH;
END;
GO
