USE Station;
GO

-- Active employees found by exact number, by a last name that begins with the text, or
-- by "Last, First Middle" that begins with it. The text is a literal prefix: LIKE's
-- wildcards in it are escaped. Each branch can seek an index (number, last name).
CREATE OR ALTER PROCEDURE dbo.Load_Employee_for_Meal
    @date NVARCHAR(4000),
    @text NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@date), dbo.TALO_HasNul(@text))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@date) > 80
        THROW 50000, N'Date can be at most 40 characters long.', 1;
    IF DATALENGTH(@text) > 400
        THROW 50000, N'Search text can be at most 200 characters long.', 1;

    DECLARE @message NVARCHAR(2048);
    DECLARE @day DATE = CASE
        WHEN LTRIM(RTRIM(@date)) = N'' THEN NULL
        ELSE CAST(TRY_CONVERT(DATETIME2(7), @date) AS DATE)
    END;
    IF dbo.TALO_HasNonAsciiDigit(@date) = 1 SET @day = NULL;
    IF @day IS NULL
    BEGIN
        SET @message = CONCAT(N'''', @date, N''' is not a valid date.');
        THROW 50000, @message, 1;
    END;

    DECLARE @prefix NVARCHAR(4000) = REPLACE(
        REPLACE(REPLACE(@text, N'[', N'[[]'), N'%', N'[%]'), N'_', N'[_]'
    ) + N'%';
    DECLARE @comma INT = CHARINDEX(N',', @text);
    DECLARE @lastOfText NVARCHAR(4000) = CASE
        WHEN @comma > 0 THEN RTRIM(LEFT(@text, @comma - 1))
    END;

    -- The day's text is made once, not for each row.
    DECLARE @dayText NCHAR(10) = CONVERT(NCHAR(10), @day, 23);

    -- The opening search (no text) lists every active employee; a number or a name finds
    -- a few through the indexes. Each has its own statement, and the look-up is compiled
    -- for its own text: a plan made for one would scan, or seek, for the other.
    IF DATALENGTH(@text) = 0
    BEGIN
        SELECT
            e.EmpNum AS EMPNUM,
            e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename AS NAME,
            @dayText AS [DATE],
            COALESCE(d.Description, N'') AS DEPARTMENT
        FROM Payroll.dbo.tbcmaster AS e
        LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
        WHERE e.Active = '1'
        ORDER BY NAME, e.EmpNum;
        RETURN;
    END;

    SELECT
        e.EmpNum AS EMPNUM,
        e.Lastname + N', ' + e.Firstname + N' ' + e.Middlename AS NAME,
        @dayText AS [DATE],
        COALESCE(d.Description, N'') AS DEPARTMENT
    FROM (
        SELECT EmpNum FROM Payroll.dbo.tbcmaster WHERE EmpNum = @text
        UNION
        SELECT EmpNum FROM Payroll.dbo.tbcmaster WHERE Lastname LIKE @prefix
        UNION
        SELECT EmpNum FROM Payroll.dbo.tbcmaster
        WHERE
            -- a last name may hold commas itself ("Cruz, Jr.")
            Lastname >= @lastOfText
            AND Lastname <= @text
            AND Lastname + N', ' + Firstname + N' ' + Middlename LIKE @prefix
    ) AS found
    INNER JOIN Payroll.dbo.tbcmaster AS e ON e.EmpNum = found.EmpNum
    LEFT JOIN Payroll.dbo.tbcDepartment AS d ON d.DeptCode = e.DeptCode
    WHERE e.Active = '1'
    ORDER BY NAME, e.EmpNum
    OPTION (RECOMPILE);
END;
GO
