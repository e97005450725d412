-- The database role of the program's users. The program reads a few tables with plain
-- SELECTs and changes data only through the Station procedures, so its users need no
-- INSERT, UPDATE or DELETE on any table. Add each Windows group or SQL login as a user
-- of the four databases and a member of talodesk_user, for example:
--   USE Station; CREATE USER [HOSPITAL\MealCounter] FOR LOGIN [HOSPITAL\MealCounter];
--   ALTER ROLE talodesk_user ADD MEMBER [HOSPITAL\MealCounter];
-- (and the same in Patient_Data, Password and Payroll).
USE Station;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NULL
    CREATE ROLE talodesk_user;
GO

GRANT EXECUTE ON SCHEMA::dbo TO talodesk_user;
GRANT SELECT ON dbo.tbTALOUserRights TO talodesk_user;
GRANT SELECT ON dbo.tbTALOUserSetUp TO talodesk_user;
GRANT SELECT ON dbo.tbcoMeal TO talodesk_user;
GRANT SELECT ON dbo.tbcoMealType TO talodesk_user;
-- The history window (File > Distributed Meals) and its changes log.
GRANT EXECUTE ON dbo.Load_TALO_DistributedMealHistory TO talodesk_user;
GRANT EXECUTE ON dbo.Count_TALO_DistributedMealHistory TO talodesk_user;
GRANT EXECUTE ON dbo.Load_TALO_AuditLog TO talodesk_user;
-- The meal distribution report (Reports > Meal Distribution Report).
GRANT EXECUTE ON dbo.Report_TALO_MealDistribution TO talodesk_user;
GO

USE Patient_Data;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NULL
    CREATE ROLE talodesk_user;
GO

GRANT SELECT ON dbo.tbHospitalInfo TO talodesk_user;
GO

-- The sign-in reads the password register to check the hash on the workstation.
USE Password;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NULL
    CREATE ROLE talodesk_user;
GO

GRANT SELECT ON dbo.tbPasswordMain TO talodesk_user;
GRANT SELECT ON dbo.tbPasswordAppAccess TO talodesk_user;
GO

-- The Station procedures read the personnel master across databases; without
-- cross-database ownership chaining the caller needs SELECT here as well.
USE Payroll;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NULL
    CREATE ROLE talodesk_user;
GO

GRANT SELECT ON dbo.tbcmaster TO talodesk_user;
GRANT SELECT ON dbo.tbcDepartment TO talodesk_user;
GO
