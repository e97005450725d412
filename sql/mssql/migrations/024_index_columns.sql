-- Schema version 24: the history's and the report's indexes are found by their columns,
-- not their names. A server installed by an early kit has ixDistributedClerkDate and
-- ixDistributedMealDate without RevokedAt (05_station_history_indexes.sql then passed
-- them by name): counting a filter's meals read the table for every row. Each index
-- whose key or carried columns differ from the rows below is rebuilt in place
-- (DROP_EXISTING keeps it usable until the new one is there), as
-- dbo.TALO_OnlineIndexOption says: online, waiting at low priority, where the server
-- can. Harmless to repeat.
USE Station;
GO

DECLARE @online NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N', ', dbo.TALO_OnlineIndexOption())
END;
-- Each index as the kit builds it: its columns (Position: the key's order, 0 carried)
-- and the text after its name.
DECLARE @columns TABLE (
    IndexName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    Included BIT NOT NULL,
    Position INT NOT NULL
);
INSERT INTO @columns (IndexName, ColumnName, Included, Position)
VALUES
    (N'ixDistributedDate', N'MealDate', 0, 1),
    (N'ixDistributedDate', N'TransNum', 0, 2),
    (N'ixDistributedDate', N'RevokedAt', 1, 0),
    (N'ixDistributedDate', N'MealMode', 1, 0),
    (N'ixDistributedClerkDate', N'ClerkID', 0, 1),
    (N'ixDistributedClerkDate', N'MealDate', 0, 2),
    (N'ixDistributedClerkDate', N'TransNum', 0, 3),
    (N'ixDistributedClerkDate', N'RevokedAt', 1, 0),
    (N'ixDistributedMealDate', N'MealCode', 0, 1),
    (N'ixDistributedMealDate', N'MealDate', 0, 2),
    (N'ixDistributedMealDate', N'TransNum', 0, 3),
    (N'ixDistributedMealDate', N'RevokedAt', 1, 0),
    (N'ixDistributedReport', N'MealDate', 0, 1),
    (N'ixDistributedReport', N'MealCode', 1, 0),
    (N'ixDistributedReport', N'EmpNum', 1, 0),
    (N'ixDistributedReport', N'MealCost', 1, 0),
    (N'ixDistributedReport', N'MealMode', 1, 0),
    (N'ixDistributedReport', N'ClerkID', 1, 0),
    (N'ixDistributedReport', N'RevokedAt', 1, 0);
DECLARE @definitions TABLE (IndexName SYSNAME NOT NULL PRIMARY KEY, Definition NVARCHAR(400) NOT NULL);
INSERT INTO @definitions (IndexName, Definition)
VALUES
    (N'ixDistributedDate', N'(MealDate, TransNum) INCLUDE (RevokedAt, MealMode)'),
    (N'ixDistributedClerkDate', N'(ClerkID, MealDate, TransNum) INCLUDE (RevokedAt)'),
    (N'ixDistributedMealDate', N'(MealCode, MealDate, TransNum) INCLUDE (RevokedAt)'),
    (
        N'ixDistributedReport',
        N'(MealDate) INCLUDE (MealCode, EmpNum, MealCost, MealMode, ClerkID, RevokedAt) WHERE RevokedAt IS NULL'
    );
DECLARE @found TABLE (
    IndexName SYSNAME NOT NULL,
    ColumnName SYSNAME NOT NULL,
    Included BIT NOT NULL,
    Position INT NOT NULL
);
INSERT INTO @found (IndexName, ColumnName, Included, Position)
SELECT
    i.name,
    COL_NAME(c.object_id, c.column_id),
    c.is_included_column,
    CASE WHEN c.is_included_column = 1 THEN 0 ELSE c.key_ordinal END
FROM sys.indexes AS i
INNER JOIN sys.index_columns AS c ON c.object_id = i.object_id AND c.index_id = i.index_id
WHERE
    i.object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
    AND i.name IN (SELECT IndexName FROM @definitions);

DECLARE @name SYSNAME;
DECLARE @build NVARCHAR(MAX);
DECLARE rebuilt CURSOR LOCAL FAST_FORWARD FOR
SELECT d.IndexName
FROM @definitions AS d
WHERE
    EXISTS (SELECT 1 FROM @found AS f WHERE f.IndexName = d.IndexName)
    AND (
        EXISTS (
            SELECT ColumnName, Included, Position FROM @columns WHERE IndexName = d.IndexName
            EXCEPT
            SELECT ColumnName, Included, Position FROM @found WHERE IndexName = d.IndexName
        )
        OR EXISTS (
            SELECT ColumnName, Included, Position FROM @found WHERE IndexName = d.IndexName
            EXCEPT
            SELECT ColumnName, Included, Position FROM @columns WHERE IndexName = d.IndexName
        )
    );
OPEN rebuilt;
FETCH NEXT FROM rebuilt INTO @name;
WHILE @@FETCH_STATUS = 0
BEGIN
    SELECT @build = CONCAT(
        N'CREATE INDEX ', QUOTENAME(IndexName), N' ON dbo.tbTALOEmployeeDistributedMeals ',
        Definition, N' WITH (DROP_EXISTING = ON', @online, N')'
    )
    FROM @definitions
    WHERE IndexName = @name;
    PRINT CONCAT(N'Rebuilding ', @name, N' with the columns the kit gives it.');
    EXEC sys.sp_executesql @build;
    FETCH NEXT FROM rebuilt INTO @name;
END;
CLOSE rebuilt;
DEALLOCATE rebuilt;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 24
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (24, N'history and report indexes compared by their columns', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
