-- Creates (or resets) the administrator of a new server: a person in the password
-- register with access to Talodesk ("TALO") and every right. Run with sqlcmd, which
-- fills in the variables (create_administrator.sh asks for them and makes the hash):
--   sqlcmd -S host -E -b -i create_administrator.sql -v StaffID="ADMIN"
--       Lastname="Santos" Firstname="Maria" PasswordHash="$argon2id$v=19$m=65536,..."
-- Values must have their single quotes doubled. PasswordHash is libsodium
-- crypto_pwhash_str text (argon2id); a password is never stored.
SET NOCOUNT ON;
SET XACT_ABORT ON;

-- Read whole first (a shorter variable would cut an over-long value silently), then
-- refused when longer than its column.
DECLARE @staffId NVARCHAR(4000) = LTRIM(RTRIM(N'$(StaffID)'));
DECLARE @lastname NVARCHAR(4000) = N'$(Lastname)';
DECLARE @firstname NVARCHAR(4000) = N'$(Firstname)';
DECLARE @passwordHash NVARCHAR(4000) = N'$(PasswordHash)';

IF @staffId = N''
    THROW 50000, N'Staff ID is required.', 1;
IF LEN(@staffId) > 30
    THROW 50000, N'Staff ID can be at most 30 characters long.', 1;
IF LEN(@lastname) > 100 OR LEN(@firstname) > 100
    THROW 50000, N'Names can be at most 100 characters long.', 1;
IF LEN(@passwordHash) > 255
    THROW 50000, N'PasswordHash can be at most 255 characters long.', 1;
IF @passwordHash NOT LIKE N'$argon2id$%'
    THROW 50000, N'PasswordHash must be argon2id hash text, not a password.', 1;

BEGIN TRANSACTION;

IF EXISTS (SELECT 1 FROM Password.dbo.tbPasswordMain WHERE EmployeeID = @staffId)
    UPDATE Password.dbo.tbPasswordMain
    SET
        Lastname = @lastname,
        Firstname = @firstname,
        PasswordHash = @passwordHash,
        Active = '1'
    WHERE EmployeeID = @staffId;
ELSE
    INSERT INTO Password.dbo.tbPasswordMain (
        EmployeeID, Lastname, Firstname, Middlename, PasswordHash, Active
    )
    VALUES (@staffId, @lastname, @firstname, N'', @passwordHash, '1');

IF NOT EXISTS (
    SELECT 1 FROM Password.dbo.tbPasswordAppAccess
    WHERE EmployeeID = @staffId AND AppCode = N'TALO'
)
    INSERT INTO Password.dbo.tbPasswordAppAccess (EmployeeID, AppCode)
    VALUES (@staffId, N'TALO');

-- Every right, recorded in the audit log like any other change of rights.
EXEC Station.dbo.Save_TALO_User_Rights @staffId, N'|1|2|3|4|5|6|7|8', N'(setup)';

COMMIT TRANSACTION;

PRINT N'Administrator ' + @staffId + N' may now sign in to Talodesk.';
GO
