-- parameters: staff, hash, user
-- access: write
-- Sets a person's password. The program sends only the argon2id hash it made itself
-- (libsodium crypto_pwhash_str); anything else is refused, so a password typed in clear
-- can never be stored. The audit row does not hold the hash.
SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Unknown staff ID ' || :staff || '.')
WHERE NOT EXISTS (SELECT 1 FROM Password.tbPasswordMain WHERE EmployeeID = trim(:staff));

SELECT talo_raise('The password must arrive as an argon2id hash.')
WHERE substr(:hash, 1, 10) <> '$argon2id$' COLLATE BINARY OR length(:hash) > 255;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt)
SELECT 'tbPasswordMain', EmployeeID, 'PASSWORD', 'password set', :user, talo_now()
FROM Password.tbPasswordMain WHERE EmployeeID = trim(:staff);

UPDATE Password.tbPasswordMain SET PasswordHash = :hash WHERE EmployeeID = trim(:staff);
