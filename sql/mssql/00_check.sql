-- Run first by install.sh, before anything is created or changed: finds out which
-- schema version the server holds and stops, with a clear message and nothing
-- changed, when the existing databases are not as this kit expects them (another
-- collation, a missing column, a newer version than this kit knows). A server without
-- the databases passes.
SET NOCOUNT ON;

-- The version the scripts of this kit bring the databases to (the last migration).
DECLARE @kitVersion INT = 15;
DECLARE @collation SYSNAME = N'Latin1_General_100_CI_AS';
DECLARE @message NVARCHAR(2048);
DECLARE @installed INT;

SELECT TOP (1)
    @message = CONCAT(
        N'Database ', name, N' uses the collation ', collation_name, N'; Talodesk needs ',
        @collation, N'. Nothing was changed.'
    )
FROM sys.databases
WHERE
    name IN (N'Station', N'Patient_Data', N'Password', N'Payroll')
    AND collation_name <> @collation
ORDER BY name;
IF @message IS NOT NULL
    THROW 50000, @message, 1;

-- The procedures read JSON with OPENJSON, which needs compatibility level 130.
SELECT TOP (1)
    @message = CONCAT(
        N'Database ', name, N' has compatibility level ', compatibility_level,
        N'; Talodesk needs 130 (SQL Server 2016) or later. Nothing was changed.'
    )
FROM sys.databases
WHERE name = N'Station' AND compatibility_level < 130;
IF @message IS NOT NULL
    THROW 50000, @message, 1;

-- No version table but the tables are there: the first release, version 1.
IF OBJECT_ID(N'Station.dbo.tbTALOSchemaVersion', N'U') IS NOT NULL
    EXEC sp_executesql
        N'SELECT @v = MAX(Version) FROM Station.dbo.tbTALOSchemaVersion',
        N'@v INT OUTPUT',
        @v = @installed OUTPUT;
ELSE IF OBJECT_ID(N'Station.dbo.tbTALOAuditLog', N'U') IS NOT NULL
    SET @installed = 1;
IF @installed > @kitVersion
BEGIN
    SET @message = CONCAT(
        N'The Station database has schema version ', @installed, N'; this kit knows ',
        @kitVersion, N'. Install the kit of that program version. Nothing was changed.'
    );
    THROW 50000, @message, 1;
END;

-- Every column the kit has created up to the installed version, with its collation
-- (NULL: not text, or the database's own). Tables not there yet are created later.
DECLARE @expected TABLE (
    DatabaseName SYSNAME NOT NULL,
    TableName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    CollationName SYSNAME NULL,
    SinceVersion INT NOT NULL
);
INSERT INTO @expected (DatabaseName, TableName, ColumnName, CollationName, SinceVersion)
VALUES
    (N'Patient_Data', N'tbHospitalInfo', N'HospitalName', N'Latin1_General_100_CI_AS', 1),
    (N'Patient_Data', N'tbHospitalInfo', N'Address', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordMain', N'EmployeeID', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordMain', N'Lastname', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordMain', N'Firstname', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordMain', N'Middlename', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordMain', N'PasswordHash', N'Latin1_General_100_BIN2', 1),
    (N'Password', N'tbPasswordMain', N'Active', NULL, 1),
    (N'Password', N'tbPasswordAppAccess', N'EmployeeID', N'Latin1_General_100_CI_AS', 1),
    (N'Password', N'tbPasswordAppAccess', N'AppCode', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcDepartment', N'DeptCode', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcDepartment', N'Description', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'EmpNum', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'Lastname', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'Firstname', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'Middlename', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'DeptCode', N'Latin1_General_100_CI_AS', 1),
    (N'Payroll', N'tbcmaster', N'Active', NULL, 1),
    (N'Station', N'tbTALOUserSetUp', N'Code', NULL, 1),
    (N'Station', N'tbTALOUserSetUp', N'Description', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOUserRights', N'UserID', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOUserRights', N'UserRights', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOUserRights', N'ModifiedBy', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOUserRights', N'ModifiedAt', NULL, 1),
    (N'Station', N'tbcoMealType', N'Code', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMealType', N'Description', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMealType', N'Status', NULL, 1),
    (N'Station', N'tbcoMeal', N'Code', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMeal', N'Description', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMeal', N'Cost', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMeal', N'MealType', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbcoMeal', N'Status', NULL, 1),
    (N'Station', N'tbTALOEmployeeMeal', N'EmpNum', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeMeal', N'MealTypeCode', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeMeal', N'TaggedBy', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeMeal', N'TaggedAt', NULL, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'TransNum', NULL, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'EmpNum', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealCode', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealMode', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealDate', NULL, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'Remarks', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'ClerkID', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'Source', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RecordedAt', NULL, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RevokedBy', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RevokedAt', NULL, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealCost', N'Latin1_General_100_CI_AS', 3),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'LoginName', N'Latin1_General_100_CI_AS', 10),
    (N'Station', N'tbTALOAuditLog', N'AuditID', NULL, 1),
    (N'Station', N'tbTALOAuditLog', N'TableName', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOAuditLog', N'RecordKey', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOAuditLog', N'Action', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOAuditLog', N'Details', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOAuditLog', N'UserID', N'Latin1_General_100_CI_AS', 1),
    (N'Station', N'tbTALOAuditLog', N'ChangedAt', NULL, 1),
    (N'Station', N'tbTALOAuditLog', N'LoginName', N'Latin1_General_100_CI_AS', 2),
    (N'Station', N'tbTALOSiteSetting', N'SettingID', NULL, 4),
    (N'Station', N'tbTALOSiteSetting', N'ScanMode', NULL, 4),
    (N'Station', N'tbTALOSiteSetting', N'FirstDayOfWeek', NULL, 4),
    (N'Station', N'tbTALOSiteSetting', N'SiteName', N'Latin1_General_100_CI_AS', 4),
    (N'Station', N'tbTALOSiteSetting', N'KeyboardEntry', NULL, 6),
    (N'Station', N'tbTALOSiteSetting', N'BulkTagging', NULL, 15),
    (N'Station', N'tbTALOMealModeSetting', N'MealMode', N'Latin1_General_100_CI_AS', 4),
    (N'Station', N'tbTALOMealModeSetting', N'Position', NULL, 4),
    (N'Station', N'tbTALOMealModeSetting', N'Listed', NULL, 4),
    (N'Station', N'tbTALOMealModeSetting', N'DailyLimit', NULL, 4),
    (N'Station', N'tbTALOMealModeSetting', N'LimitAction', NULL, 4),
    (N'Station', N'tbTALOMealModeSetting', N'ServeFrom', N'Latin1_General_100_CI_AS', 4),
    (N'Station', N'tbTALOMealModeSetting', N'ServeTo', N'Latin1_General_100_CI_AS', 4)
;

DECLARE @found TABLE (
    DatabaseName SYSNAME NOT NULL,
    TableName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    CollationName SYSNAME NULL
);
DECLARE @database SYSNAME;
DECLARE @run NVARCHAR(400);
DECLARE databases CURSOR LOCAL FAST_FORWARD FOR
SELECT DISTINCT DatabaseName FROM @expected WHERE DB_ID(DatabaseName) IS NOT NULL;
OPEN databases;
FETCH NEXT FROM databases INTO @database;
WHILE @@FETCH_STATUS = 0
BEGIN
    -- <database>.sys.sp_executesql runs the query in that database.
    SET @run = QUOTENAME(@database) + N'.sys.sp_executesql';
    INSERT INTO @found (DatabaseName, TableName, ColumnName, CollationName)
    EXEC @run
        N'SELECT DB_NAME(), t.name, c.name, c.collation_name
          FROM sys.tables AS t INNER JOIN sys.columns AS c ON c.object_id = t.object_id
          WHERE t.schema_id = SCHEMA_ID(N''dbo'')';
    FETCH NEXT FROM databases INTO @database;
END;
CLOSE databases;
DEALLOCATE databases;

SELECT TOP (1)
    @message = CONCAT(
        N'Column ', e.DatabaseName, N'.dbo.', e.TableName, N'.', e.ColumnName,
        CASE
            WHEN f.ColumnName IS NULL THEN N' is missing'
            ELSE CONCAT(N' uses the collation ', f.CollationName, N', not ', e.CollationName)
        END,
        N'; the databases are not as schema version ', COALESCE(@installed, 1),
        N' left them. Nothing was changed.'
    )
FROM @expected AS e
LEFT JOIN @found AS f
    ON
        f.DatabaseName = e.DatabaseName
        AND f.TableName = e.TableName
        AND f.ColumnName = e.ColumnName
WHERE
    e.SinceVersion <= COALESCE(@installed, 1)
    AND EXISTS (
        SELECT 1 FROM @found AS t
        WHERE t.DatabaseName = e.DatabaseName AND t.TableName = e.TableName
    )
    AND (
        f.ColumnName IS NULL
        OR (e.CollationName IS NOT NULL AND f.CollationName <> e.CollationName)
    )
ORDER BY e.DatabaseName, e.TableName, e.ColumnName;
IF @message IS NOT NULL
    THROW 50000, @message, 1;

PRINT CONCAT(
    N'Schema version found: ', COALESCE(@installed, 0), N'; installing version ',
    @kitVersion, N'.'
);
GO
