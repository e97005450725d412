-- The database roles of the program's users, one per right of the program, so the
-- server refuses (error 229) what the person's rights do not allow, from any tool:
--   talodesk_signin    everyone who signs in (each role below is a member): the sign-in,
--                      the rights look-up, the counter's employee search, the settings,
--                      the history of distributed meals;
--   talodesk_counter   right 6, meal entry;        talodesk_revoke    right 8, revoking;
--   talodesk_reports   right 1, the reports;       talodesk_masters   rights 2-4, masters
--                                                                    and tagging;
--   talodesk_users     right 5, user access, the Users window, the changes log;
--   talodesk_settings  right 7, App Settings and the staff import;
--   talodesk_admin     every right (a member of each role above).
-- A person gets the roles of his rights. No role writes a table: the program changes
-- data only through the Station procedures (EXECUTE per procedure, never on the whole
-- schema), and the four that write the personnel master and the password register
-- reach Payroll and Password through a certificate (07_signing.sql). Add each Windows
-- group or SQL login as a user of the four databases and a member of its roles, e.g.
--   USE Station; CREATE USER [HOSPITAL\MealCounter] FOR LOGIN [HOSPITAL\MealCounter];
--   ALTER ROLE talodesk_counter ADD MEMBER [HOSPITAL\MealCounter];
-- (and the same in Patient_Data, Password and Payroll).

USE Station;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_signin') IS NULL
    CREATE ROLE talodesk_signin;
IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_revoke') IS NULL
    CREATE ROLE talodesk_revoke;
IF DATABASE_PRINCIPAL_ID(N'talodesk_reports') IS NULL
    CREATE ROLE talodesk_reports;
IF DATABASE_PRINCIPAL_ID(N'talodesk_masters') IS NULL
    CREATE ROLE talodesk_masters;
IF DATABASE_PRINCIPAL_ID(N'talodesk_users') IS NULL
    CREATE ROLE talodesk_users;
IF DATABASE_PRINCIPAL_ID(N'talodesk_settings') IS NULL
    CREATE ROLE talodesk_settings;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Each right's role signs in; the administrators' role holds every right's role.
-- (Through sp_executesql: the parser the kit check uses does not know ALTER ROLE …
-- ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_counter;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_revoke;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_reports;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_masters;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_users;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_settings;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_revoke ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_reports ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_masters ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_users ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_settings ADD MEMBER talodesk_admin;';
GO

-- The first kits' grants are taken back: the first kit's talodesk_user ran every
-- procedure, the second's talodesk_admin wrote the personnel and password tables and
-- talodesk_counter held what talodesk_signin and talodesk_revoke hold now.
-- Its members keep no reading of the tables either (the password register's hashes
-- among them) until they are moved to today's roles.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    REVOKE EXECUTE ON SCHEMA::dbo FROM talodesk_user;
    REVOKE EXECUTE ON dbo.Count_TALO_DistributedMealHistory FROM talodesk_user;
    REVOKE EXECUTE ON dbo.Load_TALO_AuditLog FROM talodesk_user;
    REVOKE EXECUTE ON dbo.Load_TALO_DistributedMealHistory FROM talodesk_user;
    REVOKE EXECUTE ON dbo.Report_TALO_MealDistribution FROM talodesk_user;
    REVOKE SELECT ON dbo.tbcoMeal FROM talodesk_user;
    REVOKE SELECT ON dbo.tbcoMealType FROM talodesk_user;
    REVOKE SELECT ON dbo.tbTALOUserRights FROM talodesk_user;
    REVOKE SELECT ON dbo.tbTALOUserSetUp FROM talodesk_user;
END;
GO

-- What the earlier kits granted to other roles than today's.
REVOKE EXECUTE ON dbo.Revoke_TALO_EmployeeDistributedMeals FROM talodesk_counter;
REVOKE EXECUTE ON dbo.Load_Employee_for_Meal FROM talodesk_counter;
REVOKE EXECUTE ON dbo.Load_TALO_AppSettings FROM talodesk_counter;
REVOKE EXECUTE ON dbo.Load_TALO_DistributedMealHistory FROM talodesk_counter;
REVOKE EXECUTE ON dbo.Count_TALO_DistributedMealHistory FROM talodesk_counter;
REVOKE SELECT ON dbo.tbTALOUserRights FROM talodesk_counter;
REVOKE EXECUTE ON dbo.Save_TALO_MealOnly FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_MealType FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Load_TALO_EmployeeTaggedMeals FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_EmployeeMeal FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Remove_TALO_EmployeeTaggedMeals FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_User_Rights FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Load_TALO_AuditLog FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Report_TALO_MealDistribution FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_StaffImport FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Load_TALO_Users FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_User FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_UserPassword FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_UserAccess FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_AppSettings FROM talodesk_admin;
REVOKE SELECT ON dbo.tbTALOUserSetUp FROM talodesk_admin;
REVOKE SELECT ON dbo.tbcoMeal FROM talodesk_admin;
REVOKE SELECT ON dbo.tbcoMealType FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Count_TALO_AuditLog FROM talodesk_admin;
REVOKE EXECUTE ON dbo.Save_TALO_EmployeeMealBulk FROM talodesk_admin;
-- A refused sign-in is recorded by everyone who signs in, not by the counter's role.
REVOKE EXECUTE ON dbo.Save_TALO_FailedSignIn FROM talodesk_counter;
GO

-- Everyone who signs in: the rights look-up, the counter's employee search and the
-- settings it opens with, and the history (File > Distributed Meals, with its meal
-- look-up).
GRANT SELECT ON dbo.tbTALOUserRights TO talodesk_signin;
GRANT EXECUTE ON dbo.Load_Employee_for_Meal TO talodesk_signin;
GRANT EXECUTE ON dbo.Load_TALO_AppSettings TO talodesk_signin;
GRANT EXECUTE ON dbo.Load_TALO_DistributedMealHistory TO talodesk_signin;
GRANT EXECUTE ON dbo.Count_TALO_DistributedMealHistory TO talodesk_signin;
GRANT SELECT ON dbo.tbcoMeal TO talodesk_signin;
-- The names of the rights, which the history's Changes tab writes out.
GRANT SELECT ON dbo.tbTALOUserSetUp TO talodesk_signin;
-- A refused sign-in is recorded before anyone is signed in, by any workstation.
GRANT EXECUTE ON dbo.Save_TALO_FailedSignIn TO talodesk_signin;
-- Right 6: meal entry at the counter.
GRANT EXECUTE ON dbo.Load_TALO_EmployeeAllowedMeals TO talodesk_counter;
GRANT EXECUTE ON dbo.Load_TALO_EmployeeDistributedMeals TO talodesk_counter;
GRANT EXECUTE ON dbo.Save_TALO_EmployeeDistributedMeals TO talodesk_counter;
GRANT EXECUTE ON dbo.Check_TALO_MealLimits TO talodesk_counter;
-- Right 8: revoking a meal (at the counter or in the history).
GRANT EXECUTE ON dbo.Load_TALO_EmployeeDistributedMeals TO talodesk_revoke;
GRANT EXECUTE ON dbo.Revoke_TALO_EmployeeDistributedMeals TO talodesk_revoke;
-- A supervisor settling an order the server refused when a counter's journal sent it:
-- saved anyway, past the refusal, or discarded with a reason.
GRANT EXECUTE ON dbo.Save_TALO_EmployeeDistributedMeals TO talodesk_revoke;
GRANT EXECUTE ON dbo.Save_TALO_DiscardedOrder TO talodesk_revoke;
-- Right 1: the reports.
GRANT EXECUTE ON dbo.Report_TALO_MealDistribution TO talodesk_reports;
GRANT SELECT ON dbo.tbcoMealType TO talodesk_reports;
-- Rights 2-4: meal tagging, the meal master, the meal type master.
GRANT EXECUTE ON dbo.Save_TALO_MealOnly TO talodesk_masters;
GRANT EXECUTE ON dbo.Save_TALO_MealType TO talodesk_masters;
GRANT EXECUTE ON dbo.Load_TALO_EmployeeTaggedMeals TO talodesk_masters;
GRANT EXECUTE ON dbo.Save_TALO_EmployeeMeal TO talodesk_masters;
GRANT EXECUTE ON dbo.Remove_TALO_EmployeeTaggedMeals TO talodesk_masters;
GRANT EXECUTE ON dbo.Save_TALO_EmployeeMealBulk TO talodesk_masters;
GRANT EXECUTE ON dbo.Load_TALO_ImportNewcomers TO talodesk_masters;
GRANT SELECT ON dbo.tbcoMealType TO talodesk_masters;
-- Right 5: user access, the Users window and the changes log.
GRANT EXECUTE ON dbo.Save_TALO_User_Rights TO talodesk_users;
GRANT EXECUTE ON dbo.Load_TALO_Users TO talodesk_users;
GRANT EXECUTE ON dbo.Save_TALO_User TO talodesk_users;
GRANT EXECUTE ON dbo.Save_TALO_UserPassword TO talodesk_users;
GRANT EXECUTE ON dbo.Save_TALO_UserAccess TO talodesk_users;
GRANT EXECUTE ON dbo.Load_TALO_AuditLog TO talodesk_users;
GRANT EXECUTE ON dbo.Count_TALO_AuditLog TO talodesk_users;
GRANT SELECT ON dbo.tbTALOUserSetUp TO talodesk_users;
-- Right 7: App Settings and the staff import.
GRANT EXECUTE ON dbo.Save_TALO_AppSettings TO talodesk_settings;
GRANT EXECUTE ON dbo.Save_TALO_ClosedThrough TO talodesk_settings;
GRANT EXECUTE ON dbo.Save_TALO_StaffImport TO talodesk_settings;
-- The import offers to tag its new employees and lists the meal types for it.
GRANT SELECT ON dbo.tbcoMealType TO talodesk_settings;
GRANT EXECUTE ON dbo.Load_TALO_ImportNewcomers TO talodesk_settings;
GO

-- talodesk_user goes once it has no members; until then the install names them.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    IF EXISTS (
        SELECT 1 FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user')
    )
        SELECT
            DB_NAME() AS DatabaseName,
            USER_NAME(member_principal_id) AS MemberToMove
        FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user');
    ELSE
        EXEC sp_executesql N'DROP ROLE talodesk_user;';
END;
GO

USE Patient_Data;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_signin') IS NULL
    CREATE ROLE talodesk_signin;
IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_revoke') IS NULL
    CREATE ROLE talodesk_revoke;
IF DATABASE_PRINCIPAL_ID(N'talodesk_reports') IS NULL
    CREATE ROLE talodesk_reports;
IF DATABASE_PRINCIPAL_ID(N'talodesk_masters') IS NULL
    CREATE ROLE talodesk_masters;
IF DATABASE_PRINCIPAL_ID(N'talodesk_users') IS NULL
    CREATE ROLE talodesk_users;
IF DATABASE_PRINCIPAL_ID(N'talodesk_settings') IS NULL
    CREATE ROLE talodesk_settings;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Each right's role signs in; the administrators' role holds every right's role.
-- (Through sp_executesql: the parser the kit check uses does not know ALTER ROLE …
-- ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_counter;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_revoke;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_reports;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_masters;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_users;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_settings;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_revoke ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_reports ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_masters ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_users ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_settings ADD MEMBER talodesk_admin;';
GO

-- The first kits' grants are taken back: the first kit's talodesk_user ran every
-- procedure, the second's talodesk_admin wrote the personnel and password tables and
-- talodesk_counter held what talodesk_signin and talodesk_revoke hold now.
-- Its members keep no reading of the tables either (the password register's hashes
-- among them) until they are moved to today's roles.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    REVOKE EXECUTE ON SCHEMA::dbo FROM talodesk_user;
    REVOKE SELECT ON dbo.tbHospitalInfo FROM talodesk_user;
END;
GO

REVOKE SELECT ON dbo.tbHospitalInfo FROM talodesk_counter;
GO

GRANT SELECT ON dbo.tbHospitalInfo TO talodesk_signin;
GO

-- talodesk_user goes once it has no members; until then the install names them.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    IF EXISTS (
        SELECT 1 FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user')
    )
        SELECT
            DB_NAME() AS DatabaseName,
            USER_NAME(member_principal_id) AS MemberToMove
        FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user');
    ELSE
        EXEC sp_executesql N'DROP ROLE talodesk_user;';
END;
GO

USE Password;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_signin') IS NULL
    CREATE ROLE talodesk_signin;
IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_revoke') IS NULL
    CREATE ROLE talodesk_revoke;
IF DATABASE_PRINCIPAL_ID(N'talodesk_reports') IS NULL
    CREATE ROLE talodesk_reports;
IF DATABASE_PRINCIPAL_ID(N'talodesk_masters') IS NULL
    CREATE ROLE talodesk_masters;
IF DATABASE_PRINCIPAL_ID(N'talodesk_users') IS NULL
    CREATE ROLE talodesk_users;
IF DATABASE_PRINCIPAL_ID(N'talodesk_settings') IS NULL
    CREATE ROLE talodesk_settings;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Each right's role signs in; the administrators' role holds every right's role.
-- (Through sp_executesql: the parser the kit check uses does not know ALTER ROLE …
-- ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_counter;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_revoke;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_reports;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_masters;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_users;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_settings;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_revoke ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_reports ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_masters ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_users ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_settings ADD MEMBER talodesk_admin;';
GO

-- The first kits' grants are taken back: the first kit's talodesk_user ran every
-- procedure, the second's talodesk_admin wrote the personnel and password tables and
-- talodesk_counter held what talodesk_signin and talodesk_revoke hold now.
-- Its members keep no reading of the tables either (the password register's hashes
-- among them) until they are moved to today's roles.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    REVOKE EXECUTE ON SCHEMA::dbo FROM talodesk_user;
    REVOKE SELECT ON dbo.tbPasswordMain FROM talodesk_user;
    REVOKE SELECT ON dbo.tbPasswordAppAccess FROM talodesk_user;
END;
GO

REVOKE SELECT ON dbo.tbPasswordMain FROM talodesk_counter;
REVOKE SELECT ON dbo.tbPasswordAppAccess FROM talodesk_counter;
REVOKE SELECT, INSERT, UPDATE ON dbo.tbPasswordMain FROM talodesk_admin;
REVOKE SELECT, INSERT, DELETE ON dbo.tbPasswordAppAccess FROM talodesk_admin;
GO

-- The sign-in checks the hash on the workstation.
GRANT SELECT ON dbo.tbPasswordMain TO talodesk_signin;
GRANT SELECT ON dbo.tbPasswordAppAccess TO talodesk_signin;
GO

-- talodesk_user goes once it has no members; until then the install names them.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    IF EXISTS (
        SELECT 1 FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user')
    )
        SELECT
            DB_NAME() AS DatabaseName,
            USER_NAME(member_principal_id) AS MemberToMove
        FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user');
    ELSE
        EXEC sp_executesql N'DROP ROLE talodesk_user;';
END;
GO

USE Payroll;
GO

IF DATABASE_PRINCIPAL_ID(N'talodesk_signin') IS NULL
    CREATE ROLE talodesk_signin;
IF DATABASE_PRINCIPAL_ID(N'talodesk_counter') IS NULL
    CREATE ROLE talodesk_counter;
IF DATABASE_PRINCIPAL_ID(N'talodesk_revoke') IS NULL
    CREATE ROLE talodesk_revoke;
IF DATABASE_PRINCIPAL_ID(N'talodesk_reports') IS NULL
    CREATE ROLE talodesk_reports;
IF DATABASE_PRINCIPAL_ID(N'talodesk_masters') IS NULL
    CREATE ROLE talodesk_masters;
IF DATABASE_PRINCIPAL_ID(N'talodesk_users') IS NULL
    CREATE ROLE talodesk_users;
IF DATABASE_PRINCIPAL_ID(N'talodesk_settings') IS NULL
    CREATE ROLE talodesk_settings;
IF DATABASE_PRINCIPAL_ID(N'talodesk_admin') IS NULL
    CREATE ROLE talodesk_admin;
GO

-- Each right's role signs in; the administrators' role holds every right's role.
-- (Through sp_executesql: the parser the kit check uses does not know ALTER ROLE …
-- ADD MEMBER.)
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_counter;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_revoke;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_reports;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_masters;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_users;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_signin')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_signin ADD MEMBER talodesk_settings;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_counter')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_counter ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_revoke')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_revoke ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_reports')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_reports ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_masters')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_masters ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_users')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_users ADD MEMBER talodesk_admin;';
IF NOT EXISTS (
    SELECT 1 FROM sys.database_role_members
    WHERE
        role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_settings')
        AND member_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_admin')
)
    EXEC sp_executesql N'ALTER ROLE talodesk_settings ADD MEMBER talodesk_admin;';
GO

-- The first kits' grants are taken back: the first kit's talodesk_user ran every
-- procedure, the second's talodesk_admin wrote the personnel and password tables and
-- talodesk_counter held what talodesk_signin and talodesk_revoke hold now.
-- Its members keep no reading of the tables either (the password register's hashes
-- among them) until they are moved to today's roles.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    REVOKE EXECUTE ON SCHEMA::dbo FROM talodesk_user;
    REVOKE SELECT ON dbo.tbcmaster FROM talodesk_user;
    REVOKE SELECT ON dbo.tbcDepartment FROM talodesk_user;
END;
GO

REVOKE SELECT ON dbo.tbcmaster FROM talodesk_counter;
REVOKE SELECT ON dbo.tbcDepartment FROM talodesk_counter;
REVOKE SELECT, INSERT, UPDATE ON dbo.tbcmaster FROM talodesk_admin;
REVOKE SELECT, INSERT, UPDATE ON dbo.tbcDepartment FROM talodesk_admin;
GO

-- The Station procedures read the personnel master across databases, and the tagging
-- and Users windows look people up in it; without cross-database ownership chaining
-- the caller needs SELECT here.
GRANT SELECT ON dbo.tbcmaster TO talodesk_signin;
GRANT SELECT ON dbo.tbcDepartment TO talodesk_signin;
GO

-- talodesk_user goes once it has no members; until then the install names them.
IF DATABASE_PRINCIPAL_ID(N'talodesk_user') IS NOT NULL
BEGIN
    IF EXISTS (
        SELECT 1 FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user')
    )
        SELECT
            DB_NAME() AS DatabaseName,
            USER_NAME(member_principal_id) AS MemberToMove
        FROM sys.database_role_members
        WHERE role_principal_id = DATABASE_PRINCIPAL_ID(N'talodesk_user');
    ELSE
        EXEC sp_executesql N'DROP ROLE talodesk_user;';
END;
GO
