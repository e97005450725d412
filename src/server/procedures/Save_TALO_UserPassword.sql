-- parameters: staff, hash, user
-- access: write
-- role: users
-- Sets a person's password. The program sends only the argon2id hash it made itself
-- (libsodium crypto_pwhash_str); anything else is refused, so a password typed in clear
-- can never be stored. The audit row does not hold the hash.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Staff ID can be at most 30 characters long.') WHERE talo_length(:staff) > 30;
SELECT talo_raise('Password hash can be at most 255 characters long.') WHERE talo_length(:hash) > 255;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('Staff ID is required.')
WHERE trim(:staff) = '';

SELECT talo_raise('Unknown staff ID ' || :staff || '.')
WHERE NOT EXISTS (SELECT 1 FROM Password.tbPasswordMain WHERE EmployeeID = trim(:staff));

-- Only the encoding the program makes: version, cost parameters, salt and hash lengths.
SELECT talo_raise('The password must arrive as an argon2id hash.')
WHERE NOT talo_argon2id(:hash);

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbPasswordMain', EmployeeID, 'PASSWORD',
       CASE WHEN PasswordHash = '' THEN 'password set' ELSE 'password reset' END,
       :user, talo_now(), talo_login(), json_object('PasswordHash', json_object())
FROM Password.tbPasswordMain WHERE EmployeeID = trim(:staff);

UPDATE Password.tbPasswordMain SET PasswordHash = :hash WHERE EmployeeID = trim(:staff);
