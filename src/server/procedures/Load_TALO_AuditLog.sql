-- parameters: from, to, table, user, afterdate, afterid, pagesize
-- access: read
-- role: users
-- One page of the changes log in (date-time, change number) order: the changes from
-- `from` to `to` (both included, either may be empty), of one table and one user when
-- given. A page starts after the change (`afterdate`, `afterid`) that ended the page
-- before (both empty for the first page) and holds at most `pagesize` changes. A change
-- made as part of an import or a bulk tagging carries the batch's key and what the whole
-- batch did; any other change has them empty.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:from) > 40;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:to) > 40;
SELECT talo_raise('Table name can be at most 100 characters long.') WHERE talo_length(:table) > 100;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:afterdate) > 40;
SELECT talo_raise('Change number can be at most 20 characters long.') WHERE talo_length(:afterid) > 20;
SELECT talo_raise('Page size can be at most 20 characters long.') WHERE talo_length(:pagesize) > 20;

SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE trim(:from) <> '' AND talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE trim(:to) <> '' AND talo_iso(:to) IS NULL;

SELECT talo_raise('''' || :afterdate || ''' is not a valid date and time.')
WHERE trim(:afterdate) <> '' AND talo_iso(:afterdate) IS NULL;

SELECT talo_raise('''' || :afterid || ''' is not a change number.')
WHERE trim(:afterdate) <> ''
  AND NOT (length(trim(:afterid)) BETWEEN 1 AND 18 AND trim(:afterid) NOT GLOB '*[^0-9]*');

SELECT talo_raise('The page size must be a whole number from 1 to 1000, not ''' || :pagesize || '''.')
WHERE NOT (length(trim(:pagesize)) BETWEEN 1 AND 4 AND trim(:pagesize) NOT GLOB '*[^0-9]*'
           AND CAST(trim(:pagesize) AS INTEGER) BETWEEN 1 AND 1000);

SELECT talo_general_date(a.ChangedAt) AS CHANGEDAT,
       a.UserID AS USERID,
       a.TableName AS TABLENAME,
       a.Action AS ACTION,
       a.RecordKey AS RECORDKEY,
       a.Details AS DETAILS,
       a.AuditID AS AUDITID,
       a.LoginName AS LOGINNAME,
       coalesce(a.BatchKey, '') AS BATCHKEY,
       coalesce(b.Kind, '') AS BATCHKIND,
       coalesce(b.Title, '') AS BATCHTITLE,
       coalesce(b.Added, 0) AS BATCHADDED,
       coalesce(b.Changed, 0) AS BATCHCHANGED,
       coalesce(b.Deactivated, 0) AS BATCHDEACTIVATED
-- shared: AuditLogRows
  AND (trim(:afterdate) = '' OR a.ChangedAt > talo_iso(:afterdate)
       OR a.AuditID > CAST(trim(:afterid) AS INTEGER))
ORDER BY a.ChangedAt, a.AuditID
LIMIT CAST(trim(:pagesize) AS INTEGER);
