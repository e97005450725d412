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

-- Administration: the staff import and the Users window change the personnel master and
-- the password register. Their procedures are granted by name to the administration
-- role only. They write across databases; without cross-database ownership chaining (or
-- module signing) its members also need INSERT and UPDATE on those tables.
USE Station;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

GRANT EXECUTE ON dbo.Save_TALO_StaffImport TO talodesk_admin;
GRANT EXECUTE ON dbo.Load_TALO_Users TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_User TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_UserPassword TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_UserAccess TO talodesk_admin;
GO

USE Payroll;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

GRANT SELECT, INSERT, UPDATE ON dbo.tbcmaster TO talodesk_admin;
GRANT SELECT, INSERT, UPDATE ON dbo.tbcDepartment TO talodesk_admin;
GO

USE Password;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

GRANT SELECT, INSERT, UPDATE ON dbo.tbPasswordMain TO talodesk_admin;
GRANT SELECT, INSERT, DELETE ON dbo.tbPasswordAppAccess TO talodesk_admin;
GO
