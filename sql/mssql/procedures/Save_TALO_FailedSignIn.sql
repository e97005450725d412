USE Station;
GO

-- Records a refused sign-in in the changes log: the staff ID as typed (known or not;
-- which part was wrong is not recorded, as the person is not told), the workstation and
-- the server's time. The counter role may run it, since no one is signed in yet.
CREATE OR ALTER PROCEDURE dbo.Save_TALO_FailedSignIn
    @staff NVARCHAR(4000),
    @workstation NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@staff), dbo.TALO_HasNul(@workstation))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@staff) > 60
        THROW 50000, N'Staff ID can be at most 30 characters long.', 1;
    IF DATALENGTH(@workstation) > 200
        THROW 50000, N'Workstation can be at most 100 characters long.', 1;

    -- A caller whose driver turns autocommit off (implicit transactions, as ODBC drivers
    -- do) has a transaction that only opens with the first statement reading a table:
    -- opened here, the call joins it as it joins an explicit one, so an order's lines
    -- count together and a refusal leaves the order's transaction open and usable.
    DECLARE @opened INT;
    IF @@TRANCOUNT = 0 AND @@OPTIONS & 2 = 2
        SELECT @opened = COUNT(*) FROM dbo.tbTALOSchemaVersion;

    -- Alone, the call runs in its own transaction under XACT_ABORT ON. Inside the
    -- caller's transaction it works under a savepoint with XACT_ABORT OFF.
    DECLARE @outer INT = @@TRANCOUNT;
    IF @outer = 0 SET XACT_ABORT ON;
    ELSE SET XACT_ABORT OFF;

    BEGIN TRY
        IF @outer = 0 BEGIN TRANSACTION;
        ELSE SAVE TRANSACTION talo_save_failed_sign_in;

        INSERT INTO dbo.tbTALOAuditLog (
            TableName, RecordKey, Action, Details, UserID, ChangedAt, LoginName, Fields
        )
        VALUES (
            N'SignIn',
            @staff,
            N'FAILED',
            CONCAT(N'Workstation: ', @workstation),
            N'',
            CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120),
            ORIGINAL_LOGIN(),
            (
                SELECT
                    @workstation AS [Workstation.new]
                FOR JSON PATH, WITHOUT_ARRAY_WRAPPER, INCLUDE_NULL_VALUES
            )
        );

        IF @outer = 0 COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @outer = 0 OR XACT_STATE() = -1
        BEGIN
            IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        END;
        ELSE IF XACT_STATE() = 1
            ROLLBACK TRANSACTION talo_save_failed_sign_in;
        THROW;
    END CATCH;
END;
GO
