-- The four databases of the Talodesk server. Text compares without regard to case, as
-- the program expects ("cruz" finds "Cruz"); every text column repeats the collation so
-- the tables behave the same on a server whose own default differs.
-- Run first, as a login that may create databases. Existing databases are left as
-- they are, so running this again does no harm.
IF DB_ID(N'Station') IS NULL
    EXEC sp_executesql N'CREATE DATABASE Station COLLATE Latin1_General_100_CI_AS';
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

-- Readers do not wait for a counter that is saving; each sees the last committed rows.
-- Turning it on needs Station to itself: NO_WAIT gives up at once when a counter is
-- connected (never rolling back its open save), and the install goes on without it.
IF NOT EXISTS (
    SELECT 1 FROM sys.databases WHERE name = N'Station' AND is_read_committed_snapshot_on = 1
)
BEGIN
    BEGIN TRY
        EXEC sp_executesql N'ALTER DATABASE Station SET READ_COMMITTED_SNAPSHOT ON WITH NO_WAIT';
    END TRY
    BEGIN CATCH
        PRINT CONCAT(
            N'Station''s read-committed snapshot is still off (', ERROR_MESSAGE(), N'). Run ',
            N'ALTER DATABASE Station SET READ_COMMITTED_SNAPSHOT ON in a maintenance window.'
        );
    END CATCH;
END;
GO
