-- Station: meals, meal types, tags, distributed meals, rights and their audit trail.
-- Date-times are datetime2(0): the procedures take general date text (or ISO) and
-- convert it, so a wrong date is refused instead of being stored as text.
USE Station;
GO

-- The schema version of these databases: one row per step applied. The tables below
-- are version 1 (the first release); later steps are the scripts in migrations/,
-- each applied once, in order, by install.sh after 00_check.sql found the existing
-- databases as it expects them.
IF OBJECT_ID(N'dbo.tbTALOSchemaVersion', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOSchemaVersion (
        Version INT NOT NULL CONSTRAINT PK_tbTALOSchemaVersion PRIMARY KEY,
        Description NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL,
        AppliedAt DATETIME2(0) NOT NULL
    );
END;
GO

IF NOT EXISTS (SELECT 1 FROM dbo.tbTALOSchemaVersion)
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (1, N'tables of the first release', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
GO

-- Transaction numbers without jumps after a restart (SQL Server 2017 and later;
-- 2016 caches identity values and may skip up to 1000 after an unexpected restart).
IF CAST(SERVERPROPERTY(N'ProductMajorVersion') AS INT) >= 14
    EXEC sp_executesql N'ALTER DATABASE SCOPED CONFIGURATION SET IDENTITY_CACHE = OFF;';
GO

IF OBJECT_ID(N'dbo.tbTALOUserSetUp', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOUserSetUp (
        Code INT NOT NULL CONSTRAINT PK_tbTALOUserSetUp PRIMARY KEY,
        Description NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOUserSetUp_Description DEFAULT (N'')
    );
END;
GO

IF OBJECT_ID(N'dbo.tbTALOUserRights', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOUserRights (
        UserID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL,
        UserRights NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOUserRights_UserRights DEFAULT (N''),
        ModifiedBy NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOUserRights_ModifiedBy DEFAULT (N''),
        ModifiedAt DATETIME2(0) NULL
    );
END;
GO

-- Not unique: should a person have two rows, the first one decides. Only where the
-- table has no clustered index yet, whatever its name: a second one is error 1902.
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE type = 1 AND object_id = OBJECT_ID(N'dbo.tbTALOUserRights')
)
    CREATE CLUSTERED INDEX ixUserRightsUser ON dbo.tbTALOUserRights (UserID);
GO

IF OBJECT_ID(N'dbo.tbcoMealType', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbcoMealType (
        Code NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbcoMealType PRIMARY KEY,
        Description NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcoMealType_Description DEFAULT (N''),
        Status CHAR(1) NOT NULL CONSTRAINT DF_tbcoMealType_Status DEFAULT ('1'),
        CONSTRAINT CK_tbcoMealType_Status CHECK (Status IN ('0', '1'))
    );
END;
GO

-- Cost is text with two decimals ("12.50") or empty, exactly as the windows show it.
IF OBJECT_ID(N'dbo.tbcoMeal', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbcoMeal (
        Code NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbcoMeal PRIMARY KEY,
        Description NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcoMeal_Description DEFAULT (N''),
        Cost NVARCHAR(20) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcoMeal_Cost DEFAULT (N''),
        MealType NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcoMeal_MealType DEFAULT (N''),
        Status CHAR(1) NOT NULL CONSTRAINT DF_tbcoMeal_Status DEFAULT ('1'),
        CONSTRAINT CK_tbcoMeal_Status CHECK (Status IN ('0', '1'))
    );
END;
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixMealType' AND object_id = OBJECT_ID(N'dbo.tbcoMeal')
)
    CREATE INDEX ixMealType ON dbo.tbcoMeal (MealType);
GO

-- A tag is never stored twice.
IF OBJECT_ID(N'dbo.tbTALOEmployeeMeal', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOEmployeeMeal (
        EmpNum NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL,
        MealTypeCode NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT FK_tbTALOEmployeeMeal_MealType REFERENCES dbo.tbcoMealType (Code),
        TaggedBy NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOEmployeeMeal_TaggedBy DEFAULT (N''),
        TaggedAt DATETIME2(0) NULL,
        CONSTRAINT PK_tbTALOEmployeeMeal PRIMARY KEY (EmpNum, MealTypeCode)
    );
END;
GO

-- Never deleted: a revoke fills RevokedBy and RevokedAt.
IF OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOEmployeeDistributedMeals (
        TransNum INT IDENTITY (1, 1) NOT NULL
            CONSTRAINT PK_tbTALOEmployeeDistributedMeals PRIMARY KEY,
        EmpNum NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL,
        MealCode NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT FK_tbTALOEmployeeDistributedMeals_Meal REFERENCES dbo.tbcoMeal (Code),
        MealMode NVARCHAR(50) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOEmployeeDistributedMeals_MealMode DEFAULT (N''),
        MealDate DATETIME2(0) NOT NULL,
        Remarks NVARCHAR(500) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOEmployeeDistributedMeals_Remarks DEFAULT (N''),
        ClerkID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOEmployeeDistributedMeals_ClerkID DEFAULT (N''),
        Source NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOEmployeeDistributedMeals_Source DEFAULT (N''),
        RecordedAt DATETIME2(0) NOT NULL,
        RevokedBy NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NULL,
        RevokedAt DATETIME2(0) NULL
    );
END;
GO

-- The meals one employee received on one day.
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE
        name = N'ixDistributedEmpDate'
        AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
    CREATE INDEX ixDistributedEmpDate
    ON dbo.tbTALOEmployeeDistributedMeals (EmpNum, MealDate);
GO

-- One row per change of meals, meal types, tags and rights.
IF OBJECT_ID(N'dbo.tbTALOAuditLog', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOAuditLog (
        AuditID INT IDENTITY (1, 1) NOT NULL CONSTRAINT PK_tbTALOAuditLog PRIMARY KEY,
        TableName NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL,
        RecordKey NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Action NVARCHAR(20) COLLATE Latin1_General_100_CI_AS NOT NULL,
        Details NVARCHAR(MAX) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOAuditLog_Details DEFAULT (N''),
        UserID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOAuditLog_UserID DEFAULT (N''),
        ChangedAt DATETIME2(0) NOT NULL
    );
END;
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixAuditTableKey' AND object_id = OBJECT_ID(N'dbo.tbTALOAuditLog')
)
    CREATE INDEX ixAuditTableKey ON dbo.tbTALOAuditLog (TableName, RecordKey);
GO

-- App settings, shared by every counter of the site (schema version 4): the site's own
-- settings in one row, and per meal mode its daily limit (NULL = none), what happens
-- past it (W warn, B block) and its serving window ('HH:MM' both, or both empty). The
-- eight listed modes are seeded below and cannot be removed; a site may add others.
IF OBJECT_ID(N'dbo.tbTALOSiteSetting', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOSiteSetting (
        SettingID INT NOT NULL CONSTRAINT PK_tbTALOSiteSetting PRIMARY KEY,
        ScanMode CHAR(1) NOT NULL CONSTRAINT DF_tbTALOSiteSetting_ScanMode DEFAULT ('0'),
        FirstDayOfWeek INT NOT NULL CONSTRAINT DF_tbTALOSiteSetting_FirstDayOfWeek DEFAULT (1),
        SiteName NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOSiteSetting_SiteName DEFAULT (N''),
        CONSTRAINT CK_tbTALOSiteSetting_SettingID CHECK (SettingID = 1),
        CONSTRAINT CK_tbTALOSiteSetting_ScanMode CHECK (ScanMode IN ('0', '1')),
        CONSTRAINT CK_tbTALOSiteSetting_FirstDayOfWeek CHECK (FirstDayOfWeek BETWEEN 1 AND 7)
    );
END;
GO

IF OBJECT_ID(N'dbo.tbTALOMealModeSetting', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbTALOMealModeSetting (
        MealMode NVARCHAR(50) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbTALOMealModeSetting PRIMARY KEY,
        Position INT NOT NULL,
        Listed CHAR(1) NOT NULL CONSTRAINT DF_tbTALOMealModeSetting_Listed DEFAULT ('0'),
        DailyLimit INT NULL,
        LimitAction CHAR(1) NOT NULL CONSTRAINT DF_tbTALOMealModeSetting_LimitAction DEFAULT ('W'),
        ServeFrom NVARCHAR(5) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOMealModeSetting_ServeFrom DEFAULT (N''),
        ServeTo NVARCHAR(5) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbTALOMealModeSetting_ServeTo DEFAULT (N''),
        CONSTRAINT CK_tbTALOMealModeSetting_Listed CHECK (Listed IN ('0', '1')),
        CONSTRAINT CK_tbTALOMealModeSetting_DailyLimit CHECK (DailyLimit BETWEEN 0 AND 99),
        CONSTRAINT CK_tbTALOMealModeSetting_LimitAction CHECK (LimitAction IN ('W', 'B'))
    );
END;
GO

INSERT INTO dbo.tbTALOSiteSetting (SettingID)
SELECT 1
WHERE NOT EXISTS (SELECT 1 FROM dbo.tbTALOSiteSetting);
GO

INSERT INTO dbo.tbTALOMealModeSetting (MealMode, Position, Listed)
SELECT
    v.MealMode,
    v.Position,
    '1'
FROM (
    VALUES
    (N'Breakfast', 1),
    (N'Lunch', 2),
    (N'Dinner', 3),
    (N'AM Snack', 4),
    (N'PM Snack', 5),
    (N'MN Snack', 6),
    (N'Extra Meal', 7),
    (N'Extra Snack', 8)
) AS v (MealMode, Position)
WHERE NOT EXISTS (SELECT 1 FROM dbo.tbTALOMealModeSetting AS s WHERE s.MealMode = v.MealMode);
GO

-- The rights the program knows, in code order (the access window lists them so).
INSERT INTO dbo.tbTALOUserSetUp (Code, Description)
SELECT
    v.Code,
    v.Description
FROM (
    VALUES
    (1, N'Reports'),
    (2, N'Tag Employee Meal'),
    (3, N'Meals'),
    (4, N'Meal Type'),
    (5, N'User Access'),
    (6, N'Meal Entry'),
    (7, N'App Settings'),
    (8, N'Revoke Meals')
) AS v (Code, Description)
WHERE NOT EXISTS (SELECT 1 FROM dbo.tbTALOUserSetUp AS s WHERE s.Code = v.Code);
GO

-- 1 when a key holds a character that shows nothing or only a blank: controls, format
-- characters (byte-order mark, zero-width spaces, direction marks, soft hyphen), line and
-- paragraph separators, U+FFF9..U+FFFF, every blank but the plain space (no-break,
-- ideographic and typographic spaces), and Unicode's other default-ignorable characters
-- (combining grapheme joiner, Hangul fillers, Khmer inherent vowels, Mongolian
-- selectors and vowel separator, variation selectors, and plane 14's tags and
-- selectors, found by their high surrogates) and the braille blank. The save procedures
-- refuse such keys: two keys that look the same must not name different rows.
CREATE OR ALTER FUNCTION dbo.HasInvisibleCharacters (@text NVARCHAR(4000))
RETURNS BIT
AS
BEGIN
    RETURN CASE
        WHEN PATINDEX(
            N'%[' + NCHAR(0) + N'-' + NCHAR(31) + NCHAR(127) + N'-' + NCHAR(159) + NCHAR(173)
            + NCHAR(8203) + N'-' + NCHAR(8207) + NCHAR(8232) + N'-' + NCHAR(8238)
            + NCHAR(8288) + N'-' + NCHAR(8303) + NCHAR(65279) + NCHAR(65529) + N'-'
            + NCHAR(65535) + NCHAR(160) + NCHAR(5760) + NCHAR(8192) + N'-' + NCHAR(8202)
            + NCHAR(8239) + NCHAR(8287) + NCHAR(12288) + NCHAR(847) + NCHAR(1564)
            + NCHAR(4447) + N'-' + NCHAR(4448) + NCHAR(6068) + N'-' + NCHAR(6069)
            + NCHAR(6155) + N'-' + NCHAR(6159) + NCHAR(10240) + NCHAR(12644)
            + NCHAR(65024) + N'-' + NCHAR(65039) + NCHAR(65440) + NCHAR(56128) + N'-'
            + NCHAR(56131) + N']%',
            @text COLLATE Latin1_General_100_BIN2
        ) > 0 THEN 1
        ELSE 0
    END;
END;
GO

-- How an index on a table that may be large is built: online where the edition can
-- (engine edition 3: Enterprise, Developer, Evaluation; 5 and 8: Azure), and waiting at
-- low priority where the server can too (CREATE INDEX takes it from SQL Server 2022 on,
-- and on Azure): the build's last lock then queues behind the counters' saves instead of
-- ahead of them, and after five minutes the build gives up (the install stops; run it
-- again at a quieter time). Empty where a build can only lock the table (Standard: a
-- maintenance window, README).
CREATE OR ALTER FUNCTION dbo.TALO_OnlineIndexOption ()
RETURNS NVARCHAR(200)
AS
BEGIN
    RETURN CASE
        WHEN CAST(SERVERPROPERTY('EngineEdition') AS INT) IN (5, 8)
            OR CAST(SERVERPROPERTY('EngineEdition') AS INT) = 3
            AND CAST(SERVERPROPERTY('ProductMajorVersion') AS INT) >= 16
            THEN N'ONLINE = ON (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 5 MINUTES, ABORT_AFTER_WAIT = SELF))'
        WHEN CAST(SERVERPROPERTY('EngineEdition') AS INT) = 3 THEN N'ONLINE = ON'
        ELSE N''
    END;
END;
GO
