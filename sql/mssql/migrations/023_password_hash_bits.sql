-- Schema version 23: a password hash counts only when libsodium can read it. Base64 whose
-- unused low bits are set has the right shape, yet nobody can sign in with it; counted as a
-- password, its owner passed for a manager and let the real last manager give up right 5.
-- 16 salt bytes in 22 characters leave 4 unused bits, so the salt's last character is one
-- of A Q g w; 32 hash bytes in 43 characters leave 2, so the hash's last is one of 16.
USE Station;
GO

CREATE OR ALTER FUNCTION dbo.TALO_IsArgon2id (@hash NVARCHAR(4000))
RETURNS BIT
AS
BEGIN
    RETURN CASE
        WHEN DATALENGTH(@hash) = 194
            AND LEFT(@hash, 31) COLLATE Latin1_General_100_BIN2 = N'$argon2id$v=19$m=65536,t=2,p=1$'
            AND SUBSTRING(@hash, 54, 1) = N'$'
            AND SUBSTRING(@hash, 32, 22) COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^A-Za-z0-9+/]%'
            AND SUBSTRING(@hash, 55, 43) COLLATE Latin1_General_100_BIN2 NOT LIKE N'%[^A-Za-z0-9+/]%'
            AND CHARINDEX(SUBSTRING(@hash, 53, 1) COLLATE Latin1_General_100_BIN2, N'AQgw') > 0
            AND CHARINDEX(SUBSTRING(@hash, 97, 1) COLLATE Latin1_General_100_BIN2, N'AEIMQUYcgkosw048') > 0
            THEN 1
        ELSE 0
    END;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 23
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (23, N'password hashes libsodium can read', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
GO
