USE Station;
GO

-- Removes a meal type tag from an employee.
CREATE OR ALTER PROCEDURE dbo.Remove_TALO_EmployeeTaggedMeals
    @employee NVARCHAR(4000),
    @type NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;

    DECLARE @message NVARCHAR(2048);
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeMeal WITH (UPDLOCK, HOLDLOCK)
            WHERE EmpNum = @employee AND MealTypeCode = @type
        )
        BEGIN
            SET @message = CONCAT(
                N'Meal type ', @type, N' is not tagged to employee ', @employee, N'.'
            );
            THROW 50000, @message, 1;
        END;

        INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
        SELECT
            N'tbTALOEmployeeMeal',
            EmpNum + N'/' + MealTypeCode,
            N'UNTAG',
            N'',
            @user,
            @now
        FROM dbo.tbTALOEmployeeMeal
        WHERE EmpNum = @employee AND MealTypeCode = @type;

        DELETE FROM dbo.tbTALOEmployeeMeal
        WHERE EmpNum = @employee AND MealTypeCode = @type;

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
