-- The changes the changes log's filters select, shared by Load_TALO_AuditLog and
-- Count_TALO_AuditLog so that the count is always of the rows the pages show: from
-- `from`, or from a page's start `afterdate` when that is later (the count has no
-- `afterdate`: unbound, it is NULL), to `to`, of one table and one user when given.
-- Read from the log's date-time index. Table and user compare as on SQL Server: case
-- and trailing blanks do not count, and a text of blanks does not filter.
-- Each change with its batch (b), when it was made as part of one.
FROM Station.tbTALOAuditLog AS a INDEXED BY ixAuditChangedAt
LEFT JOIN Station.tbTALOAuditBatch AS b ON b.BatchKey = a.BatchKey
WHERE a.ChangedAt >= max(COALESCE(talo_iso(:from), ''), COALESCE(talo_iso(:afterdate), ''))
  AND a.ChangedAt <= COALESCE(talo_iso(:to), '9999-12-31 23:59:59')
  AND (rtrim(:table) = '' OR a.TableName = :table COLLATE UNICODE_CI)
  AND (rtrim(:user) = '' OR a.UserID = :user)
