-- Changes made many at a time (an import, a bulk tagging) share a batch key, so the
-- changes log can show each as one line that opens to its rows. The batch row holds what
-- the whole of it did: for an import the file's name and the employees added, changed
-- and deactivated, summed over every slice the import was sent in; for a bulk tagging the
-- meal types' names and the employees given a tag. Rows written before have no key.
ALTER TABLE Station.tbTALOAuditLog ADD COLUMN BatchKey TEXT NULL COLLATE NOCASE;
CREATE INDEX Station.ixAuditBatchKey ON tbTALOAuditLog(BatchKey) WHERE BatchKey IS NOT NULL;
CREATE TABLE Station.tbTALOAuditBatch (
    BatchKey TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    Kind TEXT NOT NULL CHECK (Kind IN ('IMPORT', 'BULKTAG')),
    Title TEXT NOT NULL DEFAULT '',
    Added INTEGER NOT NULL DEFAULT 0,
    Changed INTEGER NOT NULL DEFAULT 0,
    Deactivated INTEGER NOT NULL DEFAULT 0
);
