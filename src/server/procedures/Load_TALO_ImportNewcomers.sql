-- parameters:
-- access: read
-- role: masters, settings
-- The new employees of the last staff import that have no meal type tagged yet, in the
-- order the import added them, each with the import's file name and when it was applied:
-- bulk tagging offers them, after a restart too, until they are tagged. A later import
-- takes the place of the one before (with no rows when it added nobody). ACTIVE is the
-- employee's flag as stored now; an inactive one is listed, and left out of a tagging.
-- The last import is the one whose rows were written last; its time is its last row's.

SELECT e.EmpNum AS EMPNUM,
       coalesce(e.DeptCode, '') AS DEPTCODE,
       e.Active AS ACTIVE,
       last.title AS FILENAME,
       talo_general_date(last.at) AS IMPORTEDAT
FROM (SELECT b.BatchKey AS k, b.Title AS title,
             (SELECT x.ChangedAt FROM Station.tbTALOAuditLog x
              WHERE x.BatchKey = b.BatchKey ORDER BY x.AuditID DESC LIMIT 1) AS at
      FROM Station.tbTALOAuditBatch b
      WHERE b.Kind = 'IMPORT'
      ORDER BY (SELECT max(x.AuditID) FROM Station.tbTALOAuditLog x
                WHERE x.BatchKey = b.BatchKey) DESC
      LIMIT 1) last
JOIN Station.tbTALOAuditLog a
  ON a.BatchKey = last.k AND a.TableName = 'tbcmaster' AND a.Action = 'INSERT'
JOIN Payroll.tbcmaster e ON e.EmpNum = a.RecordKey
WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOEmployeeMeal t WHERE t.EmpNum = e.EmpNum)
ORDER BY a.AuditID;
