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
-- decimal digits in the basic plane by its first code point, and any surrogate (the
-- characters beyond that plane, which no date text holds). Code points compared under
-- the binary collation, never by a linguistic weight.
CREATE OR ALTER FUNCTION dbo.TALO_HasNonAsciiDigit (@text NVARCHAR(MAX))
RETURNS BIT
AS
BEGIN
    IF @text COLLATE Latin1_General_100_BIN2
        LIKE N'%[' + NCHAR(0xD800) + N'-' + NCHAR(0xDFFF) + N']%'
        RETURN 1;
    RETURN CASE WHEN EXISTS (
        SELECT 1
        FROM (
            VALUES
                (0x0660), (0x06F0), (0x07C0), (0x0966), (0x09E6), (0x0A66), (0x0AE6),
                (0x0B66), (0x0BE6), (0x0C66), (0x0CE6), (0x0D66), (0x0DE6), (0x0E50),
                (0x0ED0), (0x0F20), (0x1040), (0x1090), (0x17E0), (0x1810), (0x1946),
                (0x19D0), (0x1A80), (0x1A90), (0x1B50), (0x1BB0), (0x1C40), (0x1C50),
                (0xA620), (0xA8D0), (0xA900), (0xA9D0), (0xA9F0), (0xAA50), (0xABF0),
                (0xFF10)
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
