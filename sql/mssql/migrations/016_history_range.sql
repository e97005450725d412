-- Schema version 16: the history's date range, for Load_TALO_DistributedMealHistory's
-- pages and Count_TALO_DistributedMealHistory's count alike (the embedded store's twins
-- are its functions talo_history_from and talo_history_to). No table changes.
USE Station;
GO

-- From @fromAt to @toAt (both included). An empty (NULL) @fromAt reads the 31 days ending
-- at @toAt: its day and the 30 before it, ending on the server's today at 23:59:59 when
-- @toAt is NULL too, so no call reads (or counts) every meal ever recorded. A @fromAt
-- with a NULL @toAt has no end.
CREATE OR ALTER FUNCTION dbo.TALO_HistoryRange (
    @fromAt DATETIME2(0),
    @toAt DATETIME2(0)
)
RETURNS TABLE
AS
RETURN
SELECT
    CASE
        WHEN @fromAt IS NOT NULL THEN @fromAt
        -- never before the first day a date can have
        WHEN d.LastDay < '0001-01-31' THEN CAST('0001-01-01' AS DATETIME2(0))
        ELSE CAST(DATEADD(DAY, -30, d.LastDay) AS DATETIME2(0))
    END AS FromAt,
    CASE
        WHEN @toAt IS NOT NULL THEN @toAt
        WHEN @fromAt IS NOT NULL THEN CAST('9999-12-31 23:59:59' AS DATETIME2(0))
        ELSE DATEADD(SECOND, 86399, CAST(d.LastDay AS DATETIME2(0)))
    END AS ToAt
FROM (SELECT CAST(COALESCE(@toAt, GETDATE()) AS DATE) AS LastDay) AS d;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 16
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (16, N'the history''s date range', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
