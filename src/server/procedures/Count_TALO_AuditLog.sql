-- parameters: from, to, table, user
-- access: read
-- role: users
-- How many changes the changes log shows for these filters (the rows Load_TALO_AuditLog
-- pages through), counted in the store.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:from) > 40;
SELECT talo_raise('Date can be at most 40 characters long.') WHERE talo_length(:to) > 40;
SELECT talo_raise('Table name can be at most 100 characters long.') WHERE talo_length(:table) > 100;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('''' || :from || ''' is not a valid date and time.')
WHERE trim(:from) <> '' AND talo_iso(:from) IS NULL;

SELECT talo_raise('''' || :to || ''' is not a valid date and time.')
WHERE trim(:to) <> '' AND talo_iso(:to) IS NULL;

SELECT count(*) AS CHANGES
-- shared: AuditLogRows
;
