USE Station;
GO

-- The password register: people whose staff ID equals the text or whose last name begins
-- with it (an empty text lists everyone), with whether each may use this program
-- (application code TALO), is active and has a password, and the names apart; by name.
CREATE OR ALTER PROCEDURE dbo.Load_TALO_Users
    @text NVARCHAR(4000)
AS
BEGIN
    SET NOCOUNT ON;

    -- NUL in any argument is refused first, as the embedded store refuses it.
    IF 1 IN (dbo.TALO_HasNul(@text))
        THROW 50000, N'Text arguments must not contain the NUL character.', 1;

    -- Longer values than the columns hold are refused before anything else.
    IF DATALENGTH(@text) > 400
        THROW 50000, N'Search text can be at most 200 characters long.', 1;

    SELECT
        p.EmployeeID AS [STAFF ID],
        CONCAT(p.Lastname, N', ', p.Firstname, N' ', p.Middlename) AS NAME,
        CASE
            WHEN EXISTS (
                SELECT 1 FROM Password.dbo.tbPasswordAppAccess AS a
                WHERE a.EmployeeID = p.EmployeeID AND a.AppCode = N'TALO'
            ) THEN N'Y'
            ELSE N'N'
        END AS ACCESS,
        CASE WHEN p.Active = '1' THEN N'Y' ELSE N'N' END AS ACTIVE,
        CASE WHEN p.PasswordHash <> N'' THEN N'Y' ELSE N'N' END AS PASSWORD,
        p.Lastname AS LASTNAME,
        p.Firstname AS FIRSTNAME,
        p.Middlename AS MIDDLENAME
    FROM Password.dbo.tbPasswordMain AS p
    WHERE @text = N''
        OR p.EmployeeID = @text
        OR LEFT(p.Lastname, LEN(@text)) = @text
    ORDER BY p.Lastname, p.Firstname, p.EmployeeID;
END;
GO
