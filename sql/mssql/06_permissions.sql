-- The database roles of the program's users. The program reads a few tables with plain
-- SELECTs and changes data only through the Station procedures, so its users need no
-- INSERT, UPDATE or DELETE on any table, and each may run only the procedures of his
-- work (EXECUTE per procedure, never on the whole schema):
--   talodesk_counter  the meal counter: employee search, allowed meals, meals
--                     received, order save, revoke;
--   talodesk_admin    masters, tags, rights, reports, the changes log, the staff
--                     import and the Users window (and a member of talodesk_counter).
-- The program still checks each user's rights; these roles make the server refuse
-- the same calls from any other query tool (error 229). Add each Windows group or SQL
-- login as a user of the four databases and a member of one role, for example:
--   USE Station; CREATE USER [HOSPITAL\MealCounter] FOR LOGIN [HOSPITAL\MealCounter];
--   ALTER ROLE talodesk_counter ADD MEMBER [HOSPITAL\MealCounter];
-- (and the same in Patient_Data, Password and Payroll).
USE Station;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Administrators work at the counter too. (Through sp_executesql: the parser the kit
-- check uses does not know ALTER ROLE … ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
GO

-- The first kit granted EXECUTE on every procedure to one role, talodesk_user: that
-- grant is taken back. Move its members to one of the roles above.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    REVOKE EXECUTE ON SCHEMA::dbo FROM talodesk_user;
    PRINT N'talodesk_user no longer runs procedures: add its members to talodesk_counter '
        + N'or talodesk_admin.';
END;
GO

-- The meal counter.
GRANT EXECUTE ON dbo.Load_Employee_for_Meal TO talodesk_counter;
GRANT EXECUTE ON dbo.Load_TALO_EmployeeAllowedMeals TO talodesk_counter;
-- A refused sign-in is recorded before anyone is signed in, by any workstation.
GRANT EXECUTE ON dbo.Save_TALO_FailedSignIn TO talodesk_counter;
GRANT EXECUTE ON dbo.Load_TALO_EmployeeDistributedMeals TO talodesk_counter;
GRANT EXECUTE ON dbo.Save_TALO_EmployeeDistributedMeals TO talodesk_counter;
GRANT EXECUTE ON dbo.Revoke_TALO_EmployeeDistributedMeals TO talodesk_counter;
GRANT SELECT ON dbo.tbTALOUserRights TO talodesk_counter;
-- Administration: masters, tags, rights.
GRANT EXECUTE ON dbo.Save_TALO_MealOnly TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_MealType TO talodesk_admin;
GRANT EXECUTE ON dbo.Load_TALO_EmployeeTaggedMeals TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_EmployeeMeal TO talodesk_admin;
GRANT EXECUTE ON dbo.Remove_TALO_EmployeeTaggedMeals TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_User_Rights TO talodesk_admin;
GRANT SELECT ON dbo.tbTALOUserSetUp TO talodesk_admin;
GRANT SELECT ON dbo.tbcoMeal TO talodesk_admin;
GRANT SELECT ON dbo.tbcoMealType TO talodesk_admin;
-- The history window (File > Distributed Meals): any user of the program may look; the
-- changes log is for the user managers.
GRANT EXECUTE ON dbo.Load_TALO_DistributedMealHistory TO talodesk_counter;
GRANT EXECUTE ON dbo.Count_TALO_DistributedMealHistory TO talodesk_counter;
GRANT EXECUTE ON dbo.Load_TALO_AuditLog TO talodesk_admin;
-- The meal distribution report (Reports > Meal Distribution Report, right 1).
GRANT EXECUTE ON dbo.Report_TALO_MealDistribution TO talodesk_admin;
-- The staff import and the Users window change the personnel master and the password
-- register through these procedures. They write across databases: without
-- cross-database ownership chaining (or module signing) the administration role also
-- needs INSERT and UPDATE on those tables (below, in Payroll and Password).
GRANT EXECUTE ON dbo.Save_TALO_StaffImport TO talodesk_admin;
GRANT EXECUTE ON dbo.Load_TALO_Users TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_User TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_UserPassword TO talodesk_admin;
GRANT EXECUTE ON dbo.Save_TALO_UserAccess TO talodesk_admin;
-- App settings: every counter reads them and checks an order's daily limits; only the
-- administration changes them (Settings > App Settings, right 7).
GRANT EXECUTE ON dbo.Load_TALO_AppSettings TO talodesk_counter;
GRANT EXECUTE ON dbo.Check_TALO_MealLimits TO talodesk_counter;
GRANT EXECUTE ON dbo.Save_TALO_AppSettings TO talodesk_admin;
GO

USE Patient_Data;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Administrators work at the counter too. (Through sp_executesql: the parser the kit
-- check uses does not know ALTER ROLE … ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
GRANT SELECT ON dbo.tbHospitalInfo TO talodesk_counter;
GO

-- The sign-in reads the password register to check the hash on the workstation.
USE Password;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Administrators work at the counter too. (Through sp_executesql: the parser the kit
-- check uses does not know ALTER ROLE … ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
GRANT SELECT ON dbo.tbPasswordMain TO talodesk_counter;
GRANT SELECT ON dbo.tbPasswordAppAccess TO talodesk_counter;
GRANT SELECT, INSERT, UPDATE ON dbo.tbPasswordMain TO talodesk_admin;
GRANT SELECT, INSERT, DELETE ON dbo.tbPasswordAppAccess TO talodesk_admin;
GO

-- The Station procedures read the personnel master across databases; without
-- cross-database ownership chaining the caller needs SELECT here as well.
USE Payroll;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Administrators work at the counter too. (Through sp_executesql: the parser the kit
-- check uses does not know ALTER ROLE … ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
GRANT SELECT ON dbo.tbcmaster TO talodesk_counter;
GRANT SELECT ON dbo.tbcDepartment TO talodesk_counter;
GRANT SELECT, INSERT, UPDATE ON dbo.tbcmaster TO talodesk_admin;
GRANT SELECT, INSERT, UPDATE ON dbo.tbcDepartment TO talodesk_admin;
GO
