-- Schema version 11: two checks every procedure makes on its text arguments before it
-- reads them, written once here. No table changes.
--  - NUL in a text: the embedded store refuses it before any procedure runs (its text
--    functions stop at NUL, so the value would be checked and stored as its first part
--    only); the procedures refuse it first, with the same words, and do not leave it to
--    a driver that may cut the text there or pass it on.
--  - A digit of another script in a date: the embedded store reads dates in ASCII
--    digits only (a full-width year was once read as year -1), so both sides refuse
--    such a date as not a date.
USE Station;
GO

-- 1 when the text holds NUL. The binary collation is needed: under a linguistic one
-- NUL weighs nothing and CHARINDEX does not find it.
CREATE OR ALTER FUNCTION dbo.TALO_HasNul (@text NVARCHAR(MAX))
RETURNS BIT
AS
BEGIN
    RETURN CASE
        WHEN CHARINDEX(NCHAR(0) COLLATE Latin1_General_100_BIN2, @text) > 0 THEN 1
        ELSE 0
    END;
END;
GO

-- 1 when the text holds a decimal digit other than 0-9: each run of ten of Unicode's
-- decimal digits in the basic plane by its first code point (1632 is U+0660, 65296 the
-- full-width U+FF10), and any surrogate (55296-57343, U+D800-U+DFFF: the characters
-- beyond that plane, which no date text holds). Code points compared under
-- the binary collation, never by a linguistic weight.
CREATE OR ALTER FUNCTION dbo.TALO_HasNonAsciiDigit (@text NVARCHAR(MAX))
RETURNS BIT
AS
BEGIN
    IF @text COLLATE Latin1_General_100_BIN2
        LIKE N'%[' + NCHAR(55296) + N'-' + NCHAR(57343) + N']%'
        RETURN 1;
    RETURN CASE WHEN EXISTS (
        SELECT 1
        FROM (
            VALUES
                (1632), (1776), (1984), (2406), (2534), (2662), (2790),
                (2918), (3046), (3174), (3302), (3430), (3558), (3664),
                (3792), (3872), (4160), (4240), (6112), (6160), (6470),
                (6608), (6784), (6800), (6992), (7088), (7232), (7248),
                (42528), (43216), (43264), (43472), (43504), (43600), (44016),
                (65296)
        ) AS r (FirstDigit)
        WHERE @text COLLATE Latin1_General_100_BIN2
            LIKE N'%[' + NCHAR(r.FirstDigit) + N'-' + NCHAR(r.FirstDigit + 9) + N']%'
    ) THEN 1 ELSE 0 END;
END;
GO

IF (SELECT MAX(Version) FROM dbo.tbTALOSchemaVersion) < 11
BEGIN
    SET XACT_ABORT ON;
    BEGIN TRANSACTION;
    INSERT INTO dbo.tbTALOSchemaVersion (Version, Description, AppliedAt)
    VALUES (11, N'guards: NUL in a text, digits of another script in a date', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
    COMMIT TRANSACTION;
END;
GO
