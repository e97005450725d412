-- The procedures that write the personnel master (Payroll) and the password register
-- (Password) are signed, each with a certificate of its own, and only that
-- certificate's user in the database the procedure writes may write its tables, and
-- only the writes that procedure makes: no role of the program holds a table write, and
-- one procedure's signature carries no other's rights (the password procedure's none on
-- the personnel master). A member of talodesk_users or talodesk_settings can change
-- those rows only as the procedures do (with their checks and audit rows), never by hand.
-- CREATE OR ALTER drops a procedure's signature, so install.sh runs this script after
-- the procedures, every time. Each run makes new certificates under a password nobody
-- keeps, signs the procedures, copies each public key to the database its procedure
-- writes and removes the private keys: nothing can be signed with them afterwards.
-- Sites whose HR system owns the personnel master and the password register install
-- with install.sh --hr-owns-staff (sqlcmd variable TaloHrOwnsStaff=1): the staff import
-- and the user procedures are then left unsigned and their EXECUTE is revoked, so
-- Talodesk writes neither table.
USE Station;
GO

SET XACT_ABORT ON;
SET NOCOUNT ON;
-- Each signed procedure and each database it writes.
DECLARE @signed TABLE (
    Name SYSNAME NOT NULL,
    DatabaseName SYSNAME NOT NULL,
    Done BIT NOT NULL DEFAULT 0,
    PRIMARY KEY (Name, DatabaseName)
);
INSERT INTO @signed (Name, DatabaseName) VALUES
(N'Save_TALO_StaffImport', N'Payroll'),
(N'Save_TALO_User', N'Password'),
(N'Save_TALO_UserAccess', N'Password'),
(N'Save_TALO_UserPassword', N'Password');
DECLARE @hrOwnsStaff BIT = CASE WHEN N'$(TaloHrOwnsStaff)' = N'1' THEN 1 ELSE 0 END;
DECLARE @password NVARCHAR(128) = CONCAT(
    CONVERT(NVARCHAR(36), NEWID()), N'Tq7!', CONVERT(NVARCHAR(36), NEWID())
);
DECLARE @sql NVARCHAR(MAX);
DECLARE @name SYSNAME;
DECLARE @database SYSNAME;
DECLARE @certificate SYSNAME;
DECLARE @run NVARCHAR(300);

-- The last run's certificates (talodesk_signing, one for all, from earlier kits): the
-- signatures CREATE OR ALTER left, then the certificates.
WHILE EXISTS (
    SELECT 1
    FROM sys.crypt_properties AS cp
    INNER JOIN sys.certificates AS c ON cp.thumbprint = c.thumbprint
    WHERE c.name = N'talodesk_signing' OR c.name LIKE N'talodesk[_]sign[_]%'
)
BEGIN
    SELECT TOP (1) @name = OBJECT_NAME(cp.major_id), @certificate = c.name
    FROM sys.crypt_properties AS cp
    INNER JOIN sys.certificates AS c ON cp.thumbprint = c.thumbprint
    WHERE c.name = N'talodesk_signing' OR c.name LIKE N'talodesk[_]sign[_]%';
    SET @sql = CONCAT(
        N'DROP SIGNATURE FROM dbo.', QUOTENAME(@name), N' BY CERTIFICATE ',
        QUOTENAME(@certificate), N';'
    );
    EXEC sys.sp_executesql @sql;
END;
WHILE EXISTS (
    SELECT 1 FROM sys.certificates
    WHERE name = N'talodesk_signing' OR name LIKE N'talodesk[_]sign[_]%'
)
BEGIN
    SELECT TOP (1) @certificate = name FROM sys.certificates
    WHERE name = N'talodesk_signing' OR name LIKE N'talodesk[_]sign[_]%';
    SET @sql = CONCAT(N'DROP CERTIFICATE ', QUOTENAME(@certificate), N';');
    EXEC sys.sp_executesql @sql;
END;

-- Their copies and users in Payroll and Password, by one text run in each.
SET @sql = N'
DECLARE @drop NVARCHAR(400);
WHILE EXISTS (
    SELECT 1 FROM sys.database_principals
    WHERE name = N''talodesk_signing'' OR name LIKE N''talodesk[_]sign[_]%''
)
BEGIN
    SELECT TOP (1) @drop = CONCAT(N''DROP USER '', QUOTENAME(name), N'';'')
    FROM sys.database_principals
    WHERE name = N''talodesk_signing'' OR name LIKE N''talodesk[_]sign[_]%'';
    EXEC sys.sp_executesql @drop;
END;
WHILE EXISTS (
    SELECT 1 FROM sys.certificates
    WHERE name = N''talodesk_signing'' OR name LIKE N''talodesk[_]sign[_]%''
)
BEGIN
    SELECT TOP (1) @drop = CONCAT(N''DROP CERTIFICATE '', QUOTENAME(name), N'';'')
    FROM sys.certificates
    WHERE name = N''talodesk_signing'' OR name LIKE N''talodesk[_]sign[_]%'';
    EXEC sys.sp_executesql @drop;
END;';
EXEC Payroll.sys.sp_executesql @sql;
EXEC Password.sys.sp_executesql @sql;

IF @hrOwnsStaff = 1
BEGIN
    -- HR's tables: nothing signed, and nobody runs the procedures that would write them.
    REVOKE EXECUTE ON dbo.Save_TALO_StaffImport FROM talodesk_settings;
    REVOKE EXECUTE ON dbo.Save_TALO_User FROM talodesk_users;
    REVOKE EXECUTE ON dbo.Save_TALO_UserAccess FROM talodesk_users;
    REVOKE EXECUTE ON dbo.Save_TALO_UserPassword FROM talodesk_users;
    PRINT N'HR owns the staff tables: the staff import and the user procedures are unsigned and not granted.';
END;
ELSE
BEGIN
    -- Each procedure's own certificate, and its public key and user in each database it
    -- writes (one text for every procedure and database).
    WHILE EXISTS (SELECT 1 FROM @signed WHERE Done = 0)
    BEGIN
        SELECT TOP (1) @name = Name, @database = DatabaseName
        FROM @signed WHERE Done = 0 ORDER BY Name, DatabaseName;
        SET @certificate = CONCAT(N'talodesk_sign_', @name);
        IF CERT_ID(@certificate) IS NULL
        BEGIN
            SET @sql = CONCAT(
                N'CREATE CERTIFICATE ', QUOTENAME(@certificate),
                N' ENCRYPTION BY PASSWORD = ', QUOTENAME(@password, N''''),
                N' WITH SUBJECT = N''Talodesk: the writes of ', @name, N''',',
                N' EXPIRY_DATE = ''99991231'';'
            );
            EXEC sys.sp_executesql @sql;
            SET @sql = CONCAT(
                N'ADD SIGNATURE TO dbo.', QUOTENAME(@name), N' BY CERTIFICATE ',
                QUOTENAME(@certificate), N' WITH PASSWORD = ', QUOTENAME(@password, N''''), N';'
            );
            EXEC sys.sp_executesql @sql;
        END;
        SET @sql = CONCAT(
            N'CREATE CERTIFICATE ', QUOTENAME(@certificate), N' FROM BINARY = ',
            CONVERT(NVARCHAR(MAX), CERTENCODED(CERT_ID(@certificate)), 1), N';',
            N' CREATE USER ', QUOTENAME(@certificate), N' FROM CERTIFICATE ',
            QUOTENAME(@certificate), N';'
        );
        SET @run = CONCAT(QUOTENAME(@database), N'.sys.sp_executesql');
        EXEC @run @sql;
        UPDATE @signed SET Done = 1 WHERE Name = @name AND DatabaseName = @database;
    END;
END;
GO

-- Each certificate's user holds exactly the writes its procedure makes there (and reads
-- the rows it writes).
USE Payroll;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_sign_Save_TALO_StaffImport') IS NOT NULL
BEGIN
    GRANT SELECT, INSERT, UPDATE ON dbo.tbcmaster TO talodesk_sign_Save_TALO_StaffImport;
    GRANT SELECT, INSERT, UPDATE ON dbo.tbcDepartment TO talodesk_sign_Save_TALO_StaffImport;
END;
GO

USE Password;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_sign_Save_TALO_User') IS NOT NULL
    GRANT SELECT, INSERT, UPDATE ON dbo.tbPasswordMain TO talodesk_sign_Save_TALO_User;
IF DATABASE_PRINCIPAL_ID(N'talodesk_sign_Save_TALO_UserAccess') IS NOT NULL
BEGIN
    GRANT SELECT, UPDATE ON dbo.tbPasswordMain TO talodesk_sign_Save_TALO_UserAccess;
    GRANT SELECT, INSERT, DELETE ON dbo.tbPasswordAppAccess TO talodesk_sign_Save_TALO_UserAccess;
END;
IF DATABASE_PRINCIPAL_ID(N'talodesk_sign_Save_TALO_UserPassword') IS NOT NULL
    GRANT SELECT, UPDATE ON dbo.tbPasswordMain TO talodesk_sign_Save_TALO_UserPassword;
GO

-- Nothing can be signed with the certificates from now on.
USE Station;
GO

DECLARE @certificate SYSNAME;
DECLARE @sql NVARCHAR(400);
DECLARE keys CURSOR LOCAL FAST_FORWARD FOR
SELECT name FROM sys.certificates
WHERE name LIKE N'talodesk[_]sign[_]%' AND pvt_key_encryption_type <> 'NA';
OPEN keys;
FETCH NEXT FROM keys INTO @certificate;
WHILE @@FETCH_STATUS = 0
BEGIN
    SET @sql = CONCAT(N'ALTER CERTIFICATE ', QUOTENAME(@certificate), N' REMOVE PRIVATE KEY;');
    EXEC sys.sp_executesql @sql;
    FETCH NEXT FROM keys INTO @certificate;
END;
CLOSE keys;
DEALLOCATE keys;
PRINT N'The procedures that write Payroll and Password are signed, each with its own certificate.';
GO
