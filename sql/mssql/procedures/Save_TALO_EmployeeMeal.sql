USE Station;
GO

-- Tags a meal type to an employee. A tag that exists already is kept as it is (and
-- not recorded again).
CREATE OR ALTER PROCEDURE dbo.Save_TALO_EmployeeMeal
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

        IF LTRIM(RTRIM(@employee)) = N''
            THROW 50000, N'Employee number is required.', 1;
        IF NOT EXISTS (SELECT 1 FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee)
        BEGIN
            SET @message = CONCAT(N'Unknown employee ', @employee, N'.');
            THROW 50000, @message, 1;
        END;
        IF EXISTS (
            SELECT 1 FROM Payroll.dbo.tbcmaster WHERE EmpNum = @employee AND Active <> '1'
        )
        BEGIN
            SET @message = CONCAT(N'Employee ', @employee, N' is inactive.');
            THROW 50000, @message, 1;
        END;
        IF LTRIM(RTRIM(@type)) = N''
            THROW 50000, N'Meal type code is required.', 1;
        IF NOT EXISTS (SELECT 1 FROM dbo.tbcoMealType WHERE Code = @type)
        BEGIN
            SET @message = CONCAT(N'Unknown meal type ', @type, N'.');
            THROW 50000, @message, 1;
        END;
        IF EXISTS (SELECT 1 FROM dbo.tbcoMealType WHERE Code = @type AND Status <> '1')
        BEGIN
            SET @message = CONCAT(N'Meal type ', @type, N' is inactive.');
            THROW 50000, @message, 1;
        END;

        IF NOT EXISTS (
            SELECT 1 FROM dbo.tbTALOEmployeeMeal WITH (UPDLOCK, HOLDLOCK)
            WHERE EmpNum = @employee AND MealTypeCode = @type
        )
        BEGIN
            INSERT INTO dbo.tbTALOAuditLog (
                TableName, RecordKey, Action, Details, UserID, ChangedAt
            )
            SELECT
                N'tbTALOEmployeeMeal',
                e.EmpNum + N'/' + mt.Code,
                N'TAG',
                N'',
                @user,
                @now
            FROM Payroll.dbo.tbcmaster AS e
            CROSS JOIN dbo.tbcoMealType AS mt
            WHERE e.EmpNum = @employee AND mt.Code = @type;

            INSERT INTO dbo.tbTALOEmployeeMeal (EmpNum, MealTypeCode, TaggedBy, TaggedAt)
            SELECT
                e.EmpNum,
                mt.Code,
                @user,
                @now
            FROM Payroll.dbo.tbcmaster AS e
            CROSS JOIN dbo.tbcoMealType AS mt
            WHERE e.EmpNum = @employee AND mt.Code = @type;
        END;

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
