-- Schema version 7: the rules the guards of the save procedures share, written once
-- here as functions (their embedded-store twins are the store's functions and its
-- talo_managers view): who counts as a manager, the part of a rights string, the one
-- password encoding the program makes, and a JSON value holding NUL. No table changes.
USE Station;
GO

-- Part @n (from 1) of a rights string "|p1|p2|...", N'' when there is none: right k is
-- the k-th part only, wherever else its digit appears ("|5" first or a ninth part).
CREATE OR ALTER FUNCTION dbo.TALO_RightsPart (@rights NVARCHAR(4000), @n INT)
RETURNS NVARCHAR(4000)
AS
BEGIN
    DECLARE @rest NVARCHAR(4000) = @rights;
    DECLARE @i INT = 1;
    DECLARE @bar INT;
    IF @rest IS NULL OR LEFT(@rest, 1) <> N'|' OR @n < 1
        RETURN N'';
    SET @rest = SUBSTRING(@rest, 2, 4000);
    WHILE @i < @n
    BEGIN
        SET @bar = CHARINDEX(N'|', @rest);
        IF @bar = 0
            RETURN N'';
        SET @rest = SUBSTRING(@rest, @bar + 1, 4000);
        SET @i += 1;
    END;
    SET @bar = CHARINDEX(N'|', @rest);
    RETURN CASE WHEN @bar = 0 THEN @rest ELSE LEFT(@rest, @bar - 1) END;
END;
GO

-- 1 for the argon2id encoding the program makes (libsodium crypto_pwhash_str at its
-- interactive limits): version 19, 64 MiB, two passes, one lane, a 16-byte salt and a
-- 32-byte hash in unpadded base64. Anything else may be a password typed in clear.
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
            THEN 1
        ELSE 0
    END;
END;
GO

-- The managers, written once for the rights and access procedures: active, may sign in
-- to TALO, have a password, and the fifth part of their first rights row is 5.
CREATE OR ALTER FUNCTION dbo.TALO_Managers ()
RETURNS TABLE
AS
RETURN
SELECT p.EmployeeID
FROM Password.dbo.tbPasswordMain AS p
WHERE p.Active = '1'
    AND dbo.TALO_IsArgon2id(LTRIM(RTRIM(p.PasswordHash))) = 1
    AND EXISTS (
        SELECT 1 FROM Password.dbo.tbPasswordAppAccess AS a
        WHERE a.EmployeeID = p.EmployeeID AND a.AppCode = N'TALO'
    )
    AND dbo.TALO_RightsPart((
        SELECT TOP (1) r.UserRights FROM dbo.tbTALOUserRights AS r
        WHERE r.UserID = p.EmployeeID ORDER BY r.ModifiedAt
    ), 5) = N'5';
GO

-- 1 when a value of a JSON array (or of the arrays in it) holds NUL (\u0000 in the
-- text): the embedded store would cut such a value there, so both sides refuse it.
CREATE OR ALTER FUNCTION dbo.TALO_JsonHasNul (@json NVARCHAR(MAX))
RETURNS BIT
AS
BEGIN
    RETURN CASE WHEN EXISTS (
        SELECT 1
        FROM OPENJSON(@json) AS a
        OUTER APPLY OPENJSON(CASE WHEN a.[type] IN (4, 5) THEN a.[value] END) AS b
        WHERE CHARINDEX(
            NCHAR(0) COLLATE Latin1_General_100_BIN2,
            CASE WHEN a.[type] IN (4, 5) THEN b.[value] ELSE a.[value] END
        ) > 0
    ) THEN 1 ELSE 0 END;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 7
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (7, N'guards: managers, rights parts, password encoding, NUL in JSON', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
