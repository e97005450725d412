USE Station;
GO

-- Revokes one distributed meal of the employee. The row is kept; the revoke is
-- recorded on it (who and when) and in the audit log.
CREATE OR ALTER PROCEDURE dbo.Revoke_TALO_EmployeeDistributedMeals
    @employee NVARCHAR(4000),
    @transnum NVARCHAR(4000),
    @clerk NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @digits NVARCHAR(4000) = LTRIM(RTRIM(@transnum));
    -- Too many digits for a number finds no meal rather than failing on the conversion.
    DECLARE @number INT = TRY_CONVERT(INT, @digits);
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

        IF @digits = N'' OR @digits LIKE N'%[^0-9]%'
        BEGIN
            SET @message = CONCAT(N'''', @transnum, N''' is not a transaction number.');
            THROW 50000, @message, 1;
        END;
        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals WITH (UPDLOCK, HOLDLOCK)
            WHERE TransNum = @number AND EmpNum = @employee
        )
        BEGIN
            SET @message = CONCAT(
                N'Meal ', @transnum, N' was not given to employee ', @employee, N'.'
            );
            THROW 50000, @message, 1;
        END;
        IF EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeDistributedMeals
            WHERE TransNum = @number AND RevokedAt IS NOT NULL
        )
        BEGIN
            SET @message = CONCAT(N'Meal ', @transnum, N' is already revoked.');
            THROW 50000, @message, 1;
        END;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        SELECT
            N'tbTALOEmployeeDistributedMeals',
            CAST(TransNum AS NVARCHAR(20)),
            N'REVOKE',
            CONCAT(
                N'EmpNum=', EmpNum, N'; MealCode=', MealCode,
                N'; MealDate=', CONVERT(NVARCHAR(19), MealDate, 120)
            ),
            @clerk,
            @now
        FROM dbo.tbTALOEmployeeDistributedMeals
        WHERE TransNum = @number;

        UPDATE dbo.tbTALOEmployeeDistributedMeals
        SET RevokedBy = @clerk, RevokedAt = @now
        WHERE TransNum = @number;

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
