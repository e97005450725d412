-- The procedures that write the personnel master (Payroll) and the password register
-- (Password) are signed with a certificate, and only the certificate's user in those
-- two databases may write their tables: no role of the program holds a table write,
-- so a member of talodesk_users or talodesk_settings can change those rows only as the
-- procedures do (with their checks and audit rows), never by hand.
-- CREATE OR ALTER drops a procedure's signature, so install.sh runs this script after
-- the procedures, every time. Each run makes a new certificate under a password
-- nobody keeps, signs the procedures, copies the public key to Payroll and Password
-- and removes the private key: nothing can be signed with it afterwards.
USE Station;
GO

SET XACT_ABORT ON;
SET NOCOUNT ON;
DECLARE @signed TABLE (Name SYSNAME NOT NULL PRIMARY KEY, Done BIT NOT NULL DEFAULT 0);
INSERT INTO @signed (Name) VALUES
(N'Save_TALO_StaffImport'),
(N'Save_TALO_User'),
(N'Save_TALO_UserAccess'),
(N'Save_TALO_UserPassword');
DECLARE @password NVARCHAR(128) = CONCAT(
    CONVERT(NVARCHAR(36), NEWID()), N'Tq7!', CONVERT(NVARCHAR(36), NEWID())
);
DECLARE @sql NVARCHAR(MAX);
DECLARE @name SYSNAME;

-- The last run's certificate: the signatures CREATE OR ALTER left, then its copies.
WHILE EXISTS (
    SELECT 1
    FROM sys.crypt_properties AS cp
    INNER JOIN sys.certificates AS c ON cp.thumbprint = c.thumbprint
    WHERE c.name = N'talodesk_signing'
)
BEGIN
    SELECT TOP (1) @name = OBJECT_NAME(cp.major_id)
    FROM sys.crypt_properties AS cp
    INNER JOIN sys.certificates AS c ON cp.thumbprint = c.thumbprint
    WHERE c.name = N'talodesk_signing';
    SET @sql = CONCAT(
        N'DROP SIGNATURE FROM dbo.', QUOTENAME(@name), N' BY CERTIFICATE talodesk_signing;'
    );
    EXEC sys.sp_executesql @sql;
END;
IF CERT_ID(N'talodesk_signing') IS NOT NULL
    EXEC sys.sp_executesql N'DROP CERTIFICATE talodesk_signing;';
SET @sql = CONCAT(
    N'CREATE CERTIFICATE talodesk_signing ENCRYPTION BY PASSWORD = ', QUOTENAME(@password, N''''),
    N' WITH SUBJECT = N''Talodesk procedures that write Payroll and Password'',',
    N' EXPIRY_DATE = ''99991231'';'
);
EXEC sys.sp_executesql @sql;
WHILE EXISTS (SELECT 1 FROM @signed WHERE Done = 0)
BEGIN
    SELECT TOP (1) @name = Name FROM @signed WHERE Done = 0 ORDER BY Name;
    SET @sql = CONCAT(
        N'ADD SIGNATURE TO dbo.', QUOTENAME(@name), N' BY CERTIFICATE talodesk_signing',
        N' WITH PASSWORD = ', QUOTENAME(@password, N''''), N';'
    );
    EXEC sys.sp_executesql @sql;
    UPDATE @signed SET Done = 1 WHERE Name = @name;
END;

-- The certificate's public key and its user, made alike in Payroll and Password by one
-- text run in each of them.
SET @sql = CONCAT(
    N'IF DATABASE_PRINCIPAL_ID(N''talodesk_signing'') IS NOT NULL DROP USER talodesk_signing;',
    N' IF CERT_ID(N''talodesk_signing'') IS NOT NULL DROP CERTIFICATE talodesk_signing;',
    N' CREATE CERTIFICATE talodesk_signing FROM BINARY = ',
    CONVERT(NVARCHAR(MAX), CERTENCODED(CERT_ID(N'talodesk_signing')), 1), N';',
    N' CREATE USER talodesk_signing FROM CERTIFICATE talodesk_signing;'
);
EXEC Payroll.sys.sp_executesql @sql;
EXEC Password.sys.sp_executesql @sql;
GO

-- The certificate's user holds exactly the writes the signed procedures make there.
USE Payroll;
GO

GRANT SELECT, INSERT, UPDATE ON dbo.tbcmaster TO talodesk_signing;
GRANT SELECT, INSERT, UPDATE ON dbo.tbcDepartment TO talodesk_signing;
GO

USE Password;
GO

GRANT SELECT, INSERT, UPDATE ON dbo.tbPasswordMain TO talodesk_signing;
GRANT SELECT, INSERT, DELETE ON dbo.tbPasswordAppAccess TO talodesk_signing;
GO

-- Nothing can be signed with the certificate from now on.
USE Station;
GO

EXEC sys.sp_executesql N'ALTER CERTIFICATE talodesk_signing REMOVE PRIVATE KEY;';
PRINT N'The procedures that write Payroll and Password are signed.';
GO
