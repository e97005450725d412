-- Who acted, as the server itself knows the caller, beside the user the program names
-- (UserID). SQL Server records ORIGINAL_LOGIN(); this store records the operating-
-- system user that opened it. Rows written before this step keep an empty value.
ALTER TABLE Station.tbTALOAuditLog ADD COLUMN LoginName TEXT NOT NULL DEFAULT '';
