-- Run first by install.sh, before anything is created or changed: finds out which
-- schema version the server holds and stops, with a clear message and nothing
-- changed, when the existing databases are not as this kit expects them (another
-- collation, a missing column, a newer version than this kit knows). A server without
-- the databases passes.
SET NOCOUNT ON;

-- The version the scripts of this kit bring the databases to (the last migration).
DECLARE @kitVersion INT = 32;
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
-- (NULL: not text, or the database's own), its type as sys.columns gives it (length in
-- characters, max for MAX; the scale of a time) and whether it takes NULL: a shorter
-- text column fails a save with 2628, a NULL where the procedures expect none gives
-- wrong names and sums. Tables not there yet are created later.
DECLARE @expected TABLE (
    DatabaseName SYSNAME NOT NULL,
    TableName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    CollationName SYSNAME NULL,
    TypeName NVARCHAR(40) NOT NULL,
    Nullable BIT NOT NULL,
    SinceVersion INT NOT NULL
);
INSERT INTO @expected (
    DatabaseName, TableName, ColumnName, CollationName, TypeName, Nullable, SinceVersion
)
VALUES
    (N'Patient_Data', N'tbHospitalInfo', N'HospitalName', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Patient_Data', N'tbHospitalInfo', N'Address', N'Latin1_General_100_CI_AS', N'nvarchar(400)', 0, 1),
    (N'Password', N'tbPasswordMain', N'EmployeeID', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Password', N'tbPasswordMain', N'Lastname', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Password', N'tbPasswordMain', N'Firstname', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Password', N'tbPasswordMain', N'Middlename', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Password', N'tbPasswordMain', N'PasswordHash', N'Latin1_General_100_BIN2', N'nvarchar(255)', 0, 1),
    (N'Password', N'tbPasswordMain', N'Active', NULL, N'char(1)', 0, 1),
    (N'Password', N'tbPasswordAppAccess', N'EmployeeID', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Password', N'tbPasswordAppAccess', N'AppCode', N'Latin1_General_100_CI_AS', N'nvarchar(20)', 0, 1),
    (N'Payroll', N'tbcDepartment', N'DeptCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Payroll', N'tbcDepartment', N'Description', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Payroll', N'tbcmaster', N'EmpNum', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Payroll', N'tbcmaster', N'Lastname', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Payroll', N'tbcmaster', N'Firstname', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Payroll', N'tbcmaster', N'Middlename', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Payroll', N'tbcmaster', N'DeptCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 1, 1),
    (N'Payroll', N'tbcmaster', N'Active', NULL, N'char(1)', 0, 1),
    (N'Station', N'tbTALOUserSetUp', N'Code', NULL, N'int', 0, 1),
    (N'Station', N'tbTALOUserSetUp', N'Description', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Station', N'tbTALOUserRights', N'UserID', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOUserRights', N'UserRights', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Station', N'tbTALOUserRights', N'ModifiedBy', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOUserRights', N'ModifiedAt', NULL, N'datetime2(0)', 1, 1),
    (N'Station', N'tbcoMealType', N'Code', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbcoMealType', N'Description', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Station', N'tbcoMealType', N'Status', NULL, N'char(1)', 0, 1),
    (N'Station', N'tbcoMeal', N'Code', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbcoMeal', N'Description', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Station', N'tbcoMeal', N'Cost', N'Latin1_General_100_CI_AS', N'nvarchar(20)', 0, 1),
    (N'Station', N'tbcoMeal', N'MealType', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbcoMeal', N'Status', NULL, N'char(1)', 0, 1),
    (N'Station', N'tbTALOEmployeeMeal', N'EmpNum', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeMeal', N'MealTypeCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeMeal', N'TaggedBy', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeMeal', N'TaggedAt', NULL, N'datetime2(0)', 1, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'TransNum', NULL, N'int', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'EmpNum', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealCode', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealMode', N'Latin1_General_100_CI_AS', N'nvarchar(50)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealDate', NULL, N'datetime2(0)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'Remarks', N'Latin1_General_100_CI_AS', N'nvarchar(500)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'ClerkID', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'Source', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RecordedAt', NULL, N'datetime2(0)', 0, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RevokedBy', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 1, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'RevokedAt', NULL, N'datetime2(0)', 1, 1),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'MealCost', N'Latin1_General_100_CI_AS', N'nvarchar(20)', 1, 3),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'LoginName', N'Latin1_General_100_CI_AS', N'nvarchar(128)', 0, 10),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'OrderKey', N'Latin1_General_100_CI_AS', N'nvarchar(36)', 1, 22),
    (N'Station', N'tbTALOEmployeeDistributedMeals', N'OrderLine', NULL, N'int', 1, 22),
    (N'Station', N'tbTALOAuditLog', N'AuditID', NULL, N'int', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'TableName', N'Latin1_General_100_CI_AS', N'nvarchar(100)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'RecordKey', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'Action', N'Latin1_General_100_CI_AS', N'nvarchar(20)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'Details', N'Latin1_General_100_CI_AS', N'nvarchar(max)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'UserID', N'Latin1_General_100_CI_AS', N'nvarchar(30)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'ChangedAt', NULL, N'datetime2(0)', 0, 1),
    (N'Station', N'tbTALOAuditLog', N'LoginName', N'Latin1_General_100_CI_AS', N'nvarchar(128)', 0, 2),
    (N'Station', N'tbTALOAuditLog', N'Fields', N'Latin1_General_100_CI_AS', N'nvarchar(max)', 0, 21),
    (N'Station', N'tbTALOAuditLog', N'BatchKey', N'Latin1_General_100_CI_AS', N'nvarchar(40)', 1, 28),
    (N'Station', N'tbTALOAuditBatch', N'BatchKey', N'Latin1_General_100_CI_AS', N'nvarchar(40)', 0, 28),
    (N'Station', N'tbTALOAuditBatch', N'Kind', N'Latin1_General_100_CI_AS', N'nvarchar(20)', 0, 28),
    (N'Station', N'tbTALOAuditBatch', N'Title', N'Latin1_General_100_CI_AS', N'nvarchar(max)', 0, 28),
    (N'Station', N'tbTALOAuditBatch', N'Added', NULL, N'int', 0, 28),
    (N'Station', N'tbTALOAuditBatch', N'Changed', NULL, N'int', 0, 28),
    (N'Station', N'tbTALOAuditBatch', N'Deactivated', NULL, N'int', 0, 28),
    (N'Station', N'tbTALOSiteSetting', N'SettingID', NULL, N'int', 0, 4),
    (N'Station', N'tbTALOSiteSetting', N'ScanMode', NULL, N'char(1)', 0, 4),
    (N'Station', N'tbTALOSiteSetting', N'FirstDayOfWeek', NULL, N'int', 0, 4),
    (N'Station', N'tbTALOSiteSetting', N'SiteName', N'Latin1_General_100_CI_AS', N'nvarchar(200)', 0, 4),
    (N'Station', N'tbTALOSiteSetting', N'KeyboardEntry', NULL, N'char(1)', 0, 6),
    (N'Station', N'tbTALOSiteSetting', N'BulkTagging', NULL, N'char(1)', 0, 15),
    (N'Station', N'tbTALOSiteSetting', N'ClosedThrough', NULL, N'date', 1, 20),
    (N'Station', N'tbTALOSiteSetting', N'KeepServingOffline', NULL, N'char(1)', 0, 22),
    (N'Station', N'tbTALOSiteSetting', N'FittedColumns', NULL, N'char(1)', 0, 23),
    (N'Station', N'tbTALOSiteSetting', N'StatementTimeout', NULL, N'int', 0, 29),
    (N'Station', N'tbTALOMealModeSetting', N'MealMode', N'Latin1_General_100_CI_AS', N'nvarchar(50)', 0, 4),
    (N'Station', N'tbTALOMealModeSetting', N'Position', NULL, N'int', 0, 4),
    (N'Station', N'tbTALOMealModeSetting', N'Listed', NULL, N'char(1)', 0, 4),
    (N'Station', N'tbTALOMealModeSetting', N'DailyLimit', NULL, N'int', 1, 4),
    (N'Station', N'tbTALOMealModeSetting', N'LimitAction', NULL, N'char(1)', 0, 4),
    (N'Station', N'tbTALOMealModeSetting', N'ServeFrom', N'Latin1_General_100_CI_AS', N'nvarchar(5)', 0, 4),
    (N'Station', N'tbTALOMealModeSetting', N'ServeTo', N'Latin1_General_100_CI_AS', N'nvarchar(5)', 0, 4)
;

DECLARE @found TABLE (
    DatabaseName SYSNAME NOT NULL,
    TableName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    CollationName SYSNAME NULL,
    TypeName NVARCHAR(40) NOT NULL,
    Nullable BIT NOT NULL
);
DECLARE @database SYSNAME;
DECLARE @run NVARCHAR(400);
DECLARE @clustered NVARCHAR(2048);
DECLARE databases CURSOR LOCAL FAST_FORWARD FOR
SELECT DISTINCT DatabaseName FROM @expected WHERE DB_ID(DatabaseName) IS NOT NULL;
OPEN databases;
FETCH NEXT FROM databases INTO @database;
WHILE @@FETCH_STATUS = 0
BEGIN
    -- <database>.sys.sp_executesql runs the query in that database.
    SET @run = QUOTENAME(@database) + N'.sys.sp_executesql';
    INSERT INTO @found (DatabaseName, TableName, ColumnName, CollationName, TypeName, Nullable)
    EXEC @run
        N'SELECT DB_NAME(), t.name, c.name, c.collation_name,
              CASE
                  WHEN ty.name IN (N''nvarchar'', N''nchar'') THEN CONCAT(ty.name, N''('',
                      CASE WHEN c.max_length = -1 THEN N''max''
                          ELSE CAST(c.max_length / 2 AS NVARCHAR(10)) END, N'')'')
                  WHEN ty.name IN (N''varchar'', N''char'', N''varbinary'', N''binary'')
                      THEN CONCAT(ty.name, N''('',
                          CASE WHEN c.max_length = -1 THEN N''max''
                              ELSE CAST(c.max_length AS NVARCHAR(10)) END, N'')'')
                  WHEN ty.name IN (N''datetime2'', N''time'', N''datetimeoffset'')
                      THEN CONCAT(ty.name, N''('', c.scale, N'')'')
                  WHEN ty.name IN (N''decimal'', N''numeric'')
                      THEN CONCAT(ty.name, N''('', c.precision, N'','', c.scale, N'')'')
                  ELSE ty.name
              END,
              c.is_nullable
          FROM sys.tables AS t
          INNER JOIN sys.columns AS c ON c.object_id = t.object_id
          INNER JOIN sys.types AS ty ON ty.user_type_id = c.system_type_id
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
            WHEN f.TypeName <> e.TypeName OR f.Nullable <> e.Nullable THEN CONCAT(
                N' is ', f.TypeName, CASE WHEN f.Nullable = 1 THEN N' NULL' ELSE N' NOT NULL' END,
                N', not ', e.TypeName, CASE WHEN e.Nullable = 1 THEN N' NULL' ELSE N' NOT NULL' END
            )
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
        OR f.TypeName <> e.TypeName
        OR f.Nullable <> e.Nullable
        OR (e.CollationName IS NOT NULL AND f.CollationName <> e.CollationName)
    )
ORDER BY e.DatabaseName, e.TableName, e.ColumnName;
IF @message IS NOT NULL
    THROW 50000, @message, 1;

-- 05_station.sql clusters the rights table on UserID unless it has a clustered index
-- already, under whatever name (a second one is error 1902). One on other columns is
-- kept as it is; the sign-in then reads more of the table to find a person.
SET @run = N'Station.sys.sp_executesql';
IF OBJECT_ID(N'Station.dbo.tbTALOUserRights', N'U') IS NOT NULL
    EXEC @run
        N'SELECT @note = CONCAT(N''tbTALOUserRights keeps its clustered index '', i.name,
              N'' on '', COL_NAME(k.object_id, k.column_id), N'', not UserID.'')
          FROM sys.indexes AS i
          INNER JOIN sys.index_columns AS k
              ON k.object_id = i.object_id AND k.index_id = i.index_id AND k.key_ordinal = 1
          WHERE i.object_id = OBJECT_ID(N''dbo.tbTALOUserRights'') AND i.type = 1
              AND COL_NAME(k.object_id, k.column_id) <> N''UserID''',
        N'@note NVARCHAR(2048) OUTPUT',
        @note = @clustered OUTPUT;
IF @clustered IS NOT NULL
    PRINT @clustered;

PRINT CONCAT(
    N'Schema version found: ', COALESCE(@installed, 0), N'; installing version ',
    @kitVersion, N'.'
);
GO
