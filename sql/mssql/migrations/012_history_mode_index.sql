-- Schema version 12: the history's date index carries MealMode, so the history and its
-- count over a period filtered by mode read the index alone, never the table (at ten
-- million meals a period of a month is a few hundred thousand look-ups otherwise).
-- Servers installed before have the index without it: it is rebuilt in place
-- (DROP_EXISTING keeps it usable until the new one is there), online where the
-- edition can (engine edition 3, 5 or 8); on Standard the rebuild locks the meals
-- table, so run it in a maintenance window (README). The rebuild runs before the
-- version's transaction, not in it: a long build holds no transaction of its own open
-- with the version row, and it is harmless to repeat.
USE Station;
GO

DECLARE @online NVARCHAR(200) = CASE
    WHEN dbo.TALO_OnlineIndexOption() = N'' THEN N''
    ELSE CONCAT(N', ', dbo.TALO_OnlineIndexOption())
END;
DECLARE @build NVARCHAR(MAX);
IF EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixDistributedDate' AND object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
)
    AND NOT EXISTS (
        SELECT 1
        FROM sys.indexes AS i
        INNER JOIN sys.index_columns AS c ON c.object_id = i.object_id AND c.index_id = i.index_id
        WHERE
            i.name = N'ixDistributedDate'
            AND i.object_id = OBJECT_ID(N'dbo.tbTALOEmployeeDistributedMeals')
            AND COL_NAME(c.object_id, c.column_id) = N'MealMode'
    )
BEGIN
    SET @build = N'CREATE INDEX ixDistributedDate ON dbo.tbTALOEmployeeDistributedMeals '
        + N'(MealDate, TransNum) INCLUDE (RevokedAt, MealMode) WITH (DROP_EXISTING = ON'
        + @online + N')';
    EXEC sys.sp_executesql @build;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 12
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (12, N'the history''s date index carries the meal mode', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
