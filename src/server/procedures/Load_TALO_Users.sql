-- parameters: text
-- access: read
-- role: users
-- The password register: people whose staff ID equals the text or whose last name begins
-- with it (an empty text lists everyone), with whether each may use this program
-- (application code TALO), is active and has a password, and the names apart; by name.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Search text can be at most 200 characters long.') WHERE talo_length(:text) > 200;

-- Trailing blanks do not count, as in SQL Server's =: a text of blanks lists everyone
-- and "Cruz " finds the last names that begin with "Cruz".
SELECT p.EmployeeID AS [STAFF ID],
       p.Lastname || ', ' || p.Firstname || ' ' || p.Middlename AS NAME,
       CASE WHEN EXISTS (SELECT 1 FROM Password.tbPasswordAppAccess a
                         WHERE a.EmployeeID = p.EmployeeID AND a.AppCode = 'TALO')
            THEN 'Y' ELSE 'N' END AS ACCESS,
       CASE WHEN p.Active = '1' THEN 'Y' ELSE 'N' END AS ACTIVE,
       CASE WHEN p.PasswordHash <> '' THEN 'Y' ELSE 'N' END AS PASSWORD,
       p.Lastname AS LASTNAME, p.Firstname AS FIRSTNAME, p.Middlename AS MIDDLENAME
FROM Password.tbPasswordMain p
WHERE rtrim(:text) = '' OR p.EmployeeID = :text OR talo_starts_with(p.Lastname, rtrim(:text))
ORDER BY p.Lastname COLLATE UNICODE_CI, p.Firstname COLLATE UNICODE_CI, p.EmployeeID;
