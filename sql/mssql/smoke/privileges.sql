-- Run as the counter login and as the administration login before any case. The smoke
-- test sends writes that a login limited to its Talodesk role is refused; a login with
-- more rights (sysadmin, a database's owner, a direct write on a table, through a
-- Windows group too) would carry them out on the hospital's rows. Prints LIMITED, or
-- what the login holds beyond its role.
SET NOCOUNT ON;
DECLARE @tables TABLE (Name NVARCHAR(200) NOT NULL);
INSERT INTO @tables (Name)
VALUES (N'Patient_Data.dbo.tbHospitalInfo'),
       (N'Password.dbo.tbPasswordMain'),
       (N'Password.dbo.tbPasswordAppAccess'),
       (N'Payroll.dbo.tbcDepartment'),
       (N'Payroll.dbo.tbcmaster'),
       (N'Station.dbo.tbTALOSchemaVersion'),
       (N'Station.dbo.tbTALOUserSetUp'),
       (N'Station.dbo.tbTALOUserRights'),
       (N'Station.dbo.tbcoMealType'),
       (N'Station.dbo.tbcoMeal'),
       (N'Station.dbo.tbTALOEmployeeMeal'),
       (N'Station.dbo.tbTALOEmployeeDistributedMeals'),
       (N'Station.dbo.tbTALOAuditLog'),
       (N'Station.dbo.tbTALOSiteSetting'),
       (N'Station.dbo.tbTALOMealModeSetting');
DECLARE @held NVARCHAR(MAX) = CONCAT_WS(N', ',
    CASE WHEN IS_SRVROLEMEMBER(N'sysadmin') = 1 THEN N'sysadmin' END,
    CASE WHEN HAS_PERMS_BY_NAME(N'Station', N'DATABASE', N'CONTROL') = 1 THEN N'owner of Station' END,
    CASE WHEN HAS_PERMS_BY_NAME(N'Payroll', N'DATABASE', N'CONTROL') = 1 THEN N'owner of Payroll' END,
    CASE WHEN HAS_PERMS_BY_NAME(N'Password', N'DATABASE', N'CONTROL') = 1 THEN N'owner of Password' END,
    CASE WHEN HAS_PERMS_BY_NAME(N'Patient_Data', N'DATABASE', N'CONTROL') = 1 THEN N'owner of Patient_Data' END,
    (
        SELECT STRING_AGG(CONCAT(N'writes ', t.Name), N', ')
        FROM @tables AS t
        WHERE HAS_PERMS_BY_NAME(t.Name, N'OBJECT', N'INSERT') = 1
            OR HAS_PERMS_BY_NAME(t.Name, N'OBJECT', N'UPDATE') = 1
            OR HAS_PERMS_BY_NAME(t.Name, N'OBJECT', N'DELETE') = 1
    )
);
SELECT CASE WHEN @held = N'' THEN N'LIMITED' ELSE CONCAT(N'PRIVILEGED: ', @held) END AS LOGIN_RIGHTS;
