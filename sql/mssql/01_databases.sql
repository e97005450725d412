-- The four databases of the Talodesk server. Text compares without regard to case, as
-- the program expects ("cruz" finds "Cruz"); every text column repeats the collation so
-- the tables behave the same on a server whose own default differs.
-- Run first, as a login that may create databases. Existing databases are left as
-- they are, so running this again does no harm.
IF DB_ID(N'Station') IS NULL
    EXEC sp_executesql N'CREATE DATABASE Station COLLATE Latin1_General_100_CI_AS';
GO

-- A new database takes the model database's compatibility level, which some shops keep
-- below 130; the procedures read JSON with OPENJSON, which needs 130. 00_check.sql has
-- stopped on an existing Station below it, so only a Station made just now is raised, to
-- the server's own level, and the install stops if it still is below.
IF (SELECT compatibility_level FROM sys.databases WHERE name = N'Station') < 130
BEGIN
    DECLARE @raise NVARCHAR(200) = CONCAT(
        N'ALTER DATABASE Station SET COMPATIBILITY_LEVEL = ',
        CONVERT(INT, SERVERPROPERTY('ProductMajorVersion')) * 10, N';'
    );
    EXEC sp_executesql @raise;
END;
IF (SELECT compatibility_level FROM sys.databases WHERE name = N'Station') < 130
    THROW 50000, N'Database Station was made below compatibility level 130 and could not be raised; Talodesk needs 130 (SQL Server 2016) or later.', 1;
GO

IF DB_ID(N'Patient_Data') IS NULL
    EXEC sp_executesql N'CREATE DATABASE Patient_Data COLLATE Latin1_General_100_CI_AS';
GO

IF DB_ID(N'Password') IS NULL
    EXEC sp_executesql N'CREATE DATABASE Password COLLATE Latin1_General_100_CI_AS';
GO

IF DB_ID(N'Payroll') IS NULL
    EXEC sp_executesql N'CREATE DATABASE Payroll COLLATE Latin1_General_100_CI_AS';
GO

-- Readers do not wait for a writer; each sees the last committed rows. Every database the
-- program reads gets it: without it on Payroll a staff import, which holds its locks on
-- the personnel master until all its rows are in, stops every counter's employee list.
-- Turning it on needs the database to itself: NO_WAIT gives up at once when a session
-- is connected (never rolling back a counter's open save), and the install goes on
-- without it, saying what to run.
DECLARE @database SYSNAME;
DECLARE @sql NVARCHAR(400);
DECLARE snapshot_databases CURSOR LOCAL FAST_FORWARD FOR
SELECT d.name
FROM (VALUES (N'Station'), (N'Payroll'), (N'Password'), (N'Patient_Data')) AS d(name)
JOIN sys.databases AS s ON s.name = d.name
WHERE s.is_read_committed_snapshot_on = 0;
OPEN snapshot_databases;
FETCH NEXT FROM snapshot_databases INTO @database;
WHILE @@FETCH_STATUS = 0
BEGIN
    SET @sql = CONCAT(N'ALTER DATABASE ', QUOTENAME(@database),
        N' SET READ_COMMITTED_SNAPSHOT ON WITH NO_WAIT;');
    BEGIN TRY
        EXEC sp_executesql @sql;
    END TRY
    BEGIN CATCH
        PRINT CONCAT(
            @database, N'''s read-committed snapshot is still off (', ERROR_MESSAGE(), N'). Run ',
            N'ALTER DATABASE ', QUOTENAME(@database),
            N' SET READ_COMMITTED_SNAPSHOT ON in a maintenance window.'
        );
    END CATCH;
    FETCH NEXT FROM snapshot_databases INTO @database;
END;
CLOSE snapshot_databases;
DEALLOCATE snapshot_databases;
GO
