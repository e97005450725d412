-- What the login running it may do beyond its roles, one line "privileged: ..." each
-- (none for a login made as the README says). The smoke test runs it as the counter and
-- the administration login and refuses to start on any line: its refusal cases send
-- writes that such a login would carry out on the hospital's rows.
SET NOCOUNT ON;
SELECT CONCAT(N'privileged: server role ', r.name) AS FINDING
FROM (VALUES (N'sysadmin'), (N'serveradmin'), (N'securityadmin')) AS r(name)
WHERE IS_SRVROLEMEMBER(r.name) = 1;
DECLARE @database SYSNAME;
DECLARE @runner NVARCHAR(300);
DECLARE @check NVARCHAR(MAX) = N'
SELECT CONCAT(N''privileged: '', DB_NAME(), N'' role '', r.name) AS FINDING
FROM (VALUES (N''db_owner''), (N''db_datawriter''), (N''db_ddladmin'')) AS r(name)
WHERE IS_MEMBER(r.name) = 1;
SELECT CONCAT(N''privileged: '', p.perm, N'' on '', DB_NAME(), N''.'', s.name, N''.'', t.name) AS FINDING
FROM sys.tables AS t
JOIN sys.schemas AS s ON s.schema_id = t.schema_id
CROSS JOIN (VALUES (N''INSERT''), (N''UPDATE''), (N''DELETE'')) AS p(perm)
WHERE HAS_PERMS_BY_NAME(CONCAT(QUOTENAME(s.name), N''.'', QUOTENAME(t.name)), N''OBJECT'', p.perm) = 1;';
DECLARE databases CURSOR LOCAL FAST_FORWARD FOR
SELECT d.name FROM (VALUES (N'Station'), (N'Payroll'), (N'Password')) AS d(name)
WHERE HAS_DBACCESS(d.name) = 1;
OPEN databases;
FETCH NEXT FROM databases INTO @database;
WHILE @@FETCH_STATUS = 0
BEGIN
    SET @runner = CONCAT(QUOTENAME(@database), N'.sys.sp_executesql');
    EXEC @runner @check;
    FETCH NEXT FROM databases INTO @database;
END;
CLOSE databases;
DEALLOCATE databases;
