USE Station;
GO

-- Adds a person to the password register (active, without a password or any access) or
-- changes the names of a person already there (audited only when they differ).
CREATE OR ALTER PROCEDURE dbo.Save_TALO_User
    @staff NVARCHAR(4000),
    @lastname NVARCHAR(4000),
    @firstname NVARCHAR(4000),
    @middlename NVARCHAR(4000),
    @user NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;

    DECLARE @key NVARCHAR(4000) = LTRIM(RTRIM(@staff));
    DECLARE @last NVARCHAR(4000) = LTRIM(RTRIM(@lastname));
    DECLARE @first NVARCHAR(4000) = LTRIM(RTRIM(@firstname));
    DECLARE @middle NVARCHAR(4000) = LTRIM(RTRIM(@middlename));
    DECLARE @stored NVARCHAR(30);
    DECLARE @changed BIT = 1;
    DECLARE @now DATETIME2(0) = CAST(GETDATE() AS DATETIME2(0));

    BEGIN TRY
        BEGIN TRANSACTION;

        IF @key = N''
            THROW 50000, N'Staff ID is required.', 1;
        IF @last = N''
            THROW 50000, N'Last name is required.', 1;
        IF LEN(@key) > 30 OR LEN(@last) > 100 OR LEN(@first) > 100 OR LEN(@middle) > 100
            THROW 50000, N'A value is longer than its column allows.', 1;

        SELECT
            @stored = EmployeeID,
            @changed = CASE
                WHEN Lastname = @last COLLATE Latin1_General_100_BIN2
                    AND Firstname = @first COLLATE Latin1_General_100_BIN2
                    AND Middlename = @middle COLLATE Latin1_General_100_BIN2 THEN 0
                ELSE 1
            END
        FROM Password.dbo.tbPasswordMain WITH (UPDLOCK, HOLDLOCK)
        WHERE EmployeeID = @key;

        IF @changed = 1
            INSERT INTO dbo.tbTALOAuditLog (TableName, RecordKey, Action, Details, UserID, ChangedAt)
            VALUES (
                N'tbPasswordMain',
                COALESCE(@stored, @key),
                CASE WHEN @stored IS NULL THEN N'INSERT' ELSE N'UPDATE' END,
                CONCAT(N'Lastname=', @last, N'; Firstname=', @first, N'; Middlename=', @middle),
                @user,
                @now
            );

        IF @stored IS NULL
            INSERT INTO Password.dbo.tbPasswordMain (
                EmployeeID, Lastname, Firstname, Middlename, PasswordHash, Active
            )
            VALUES (@key, @last, @first, @middle, N'', '1');
        ELSE
            UPDATE Password.dbo.tbPasswordMain
            SET Lastname = @last, Firstname = @first, Middlename = @middle
            WHERE EmployeeID = @key;

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
        THROW;
    END CATCH;
END;
GO
