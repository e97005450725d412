-- Removes what seed.sql and the smoke test's calls stored (T-SQL, run by the DBA), and
-- nothing else: each key it made is named here, compared in a binary collation so that
-- a real key that only reads alike ("zz001", full-width letters) is never touched. The
-- changes log keeps its rows: every save of the smoke test is made in the name of
-- ZZADMIN or ZZCLERK, so a report of the changes can leave those out.
DECLARE @employees TABLE (Code NVARCHAR(30) COLLATE Latin1_General_BIN2 PRIMARY KEY);
INSERT INTO @employees (Code)
VALUES (N'ZZ001'), (N'ZZ002'), (N'ZZ003'), (N'ZZ004'), (N'ZZ005'), (N'ZZU1'), (N'ZZUSER'),
       (N'ZZMGR1'), (N'ZZMGR2');
DELETE FROM Station.dbo.tbTALOEmployeeDistributedMeals
WHERE EmpNum COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DELETE FROM Station.dbo.tbTALOEmployeeMeal
WHERE EmpNum COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DELETE FROM Station.dbo.tbTALOUserRights
WHERE UserID COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DELETE FROM Station.dbo.tbcoMeal
WHERE Code COLLATE Latin1_General_BIN2 IN (N'ZZM1', N'ZZM2', N'ZZM3', N'ZZM4', N'ZZM5');
DELETE FROM Station.dbo.tbcoMealType
WHERE Code COLLATE Latin1_General_BIN2 IN (N'ZZL', N'ZZO', N'ZZD');
DELETE FROM Payroll.dbo.tbcmaster
WHERE EmpNum COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DELETE FROM Payroll.dbo.tbcDepartment WHERE DeptCode COLLATE Latin1_General_BIN2 IN (N'ZZDEP');
DELETE FROM Station.dbo.tbTALOMealModeSetting
WHERE MealMode COLLATE Latin1_General_BIN2 IN (N'ZZ Smoke', N'ZZ Tea');
DELETE FROM Password.dbo.tbPasswordAppAccess
WHERE EmployeeID COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DELETE FROM Password.dbo.tbPasswordMain
WHERE EmployeeID COLLATE Latin1_General_BIN2 IN (SELECT Code FROM @employees);
DECLARE @user SYSNAME;
DECLARE @sql NVARCHAR(400);
DECLARE users CURSOR LOCAL FAST_FORWARD FOR
SELECT p.name
FROM Station.sys.database_principals AS p
WHERE p.name COLLATE Latin1_General_BIN2 IN (
    N'ZZ_SMOKE_counter', N'ZZ_SMOKE_masters', N'ZZ_SMOKE_reports', N'ZZ_SMOKE_revoke',
    N'ZZ_SMOKE_settings', N'ZZ_SMOKE_signin', N'ZZ_SMOKE_users');
OPEN users;
FETCH NEXT FROM users INTO @user;
WHILE @@FETCH_STATUS = 0
BEGIN
    SET @sql = CONCAT(N'DROP USER ', QUOTENAME(@user), N';');
    EXEC Station.sys.sp_executesql @sql;
    FETCH NEXT FROM users INTO @user;
END;
CLOSE users;
DEALLOCATE users;
