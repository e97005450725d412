USE Station;
GO

-- The new employees of the last staff import that have no meal type tagged yet, in the
-- order the import added them, each with the import's file name and when it was applied:
-- bulk tagging offers them, after a restart too, until they are tagged. A later import
-- takes the place of the one before (with no rows when it added nobody). ACTIVE is the
-- employee's flag as stored now; an inactive one is listed, and left out of a tagging.
-- The last import is the one whose rows were written last; its time is its last row's.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_ImportNewcomers
AS
BEGIN
    SET NOCOUNT ON;

    DECLARE @batch NVARCHAR(40);
    DECLARE @file NVARCHAR(MAX);
    SELECT TOP (1)
        @batch = b.BatchKey,
        @file = b.Title
    FROM dbo.tbTALOAuditBatch AS b
    CROSS APPLY (
        SELECT MAX(a.AuditID) AS LastID
        FROM dbo.tbTALOAuditLog AS a
        WHERE a.BatchKey = b.BatchKey
    ) AS written
    WHERE b.Kind = N'IMPORT'
    ORDER BY written.LastID DESC;

    DECLARE @at DATETIME2(0) = (
        SELECT TOP (1) a.ChangedAt
        FROM dbo.tbTALOAuditLog AS a
        WHERE a.BatchKey = @batch
        ORDER BY a.AuditID DESC
    );

    SELECT
        e.EmpNum AS EMPNUM,
        COALESCE(e.DeptCode, N'') AS DEPTCODE,
        e.Active AS ACTIVE,
        @file AS FILENAME,
        @at AS IMPORTEDAT
    FROM dbo.tbTALOAuditLog AS a
    INNER JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = a.RecordKey
    WHERE
        a.BatchKey = @batch
        AND a.TableName = N'tbcmaster'
        AND a.Action = N'INSERT'
        AND NOT EXISTS (SELECT 1 FROM dbo.tbTALOEmployeeMeal AS t WHERE t.EmpNum = e.EmpNum)
    ORDER BY a.AuditID;
END;
GO
