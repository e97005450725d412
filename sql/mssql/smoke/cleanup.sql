-- Removes what seed.sql and the smoke test's calls stored (T-SQL, run by the DBA), and
-- nothing else: the keys listed here, compared byte for byte. The databases' collation
-- ignores case and width, so a pattern such as LIKE N'ZZ%' would also take the hospital's
-- own "zz…", "Zz…" or full-width "ＺＺ…" rows. The changes log is left as it is: the smoke
-- test's rows there are told apart by their user IDs (ZZADMIN, ZZCLERK, ZZCLERK2) and by
-- the logins that wrote them.
DECLARE @bin TABLE (Kind NVARCHAR(20) NOT NULL, KeyValue NVARCHAR(60) COLLATE Latin1_General_100_BIN2 NOT NULL);
INSERT INTO @bin (Kind, KeyValue)
VALUES (N'employee', N'ZZ001'), (N'employee', N'ZZ002'), (N'employee', N'ZZ003'),
       (N'employee', N'ZZ004'), (N'employee', N'ZZ005'),
       (N'department', N'ZZDEP'),
       (N'mealtype', N'ZZL'), (N'mealtype', N'ZZO'), (N'mealtype', N'ZZD'),
       (N'meal', N'ZZM1'), (N'meal', N'ZZM2'), (N'meal', N'ZZM3'), (N'meal', N'ZZM4'),
       (N'meal', N'ZZM5'),
       (N'user', N'ZZUSER'), (N'user', N'ZZU1'), (N'user', N'ZZADMIN'), (N'user', N'ZZCLERK'),
       (N'user', N'ZZCLERK2'),
       (N'mode', N'ZZ Smoke');

DELETE FROM Station.dbo.tbTALOEmployeeDistributedMeals
WHERE EmpNum COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'employee');
DELETE FROM Station.dbo.tbTALOEmployeeMeal
WHERE EmpNum COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'employee');
DELETE FROM Station.dbo.tbTALOUserRights
WHERE UserID COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'user');
DELETE FROM Station.dbo.tbcoMeal
WHERE Code COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'meal');
DELETE FROM Station.dbo.tbcoMealType
WHERE Code COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'mealtype');
DELETE FROM Payroll.dbo.tbcmaster
WHERE EmpNum COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'employee');
DELETE FROM Payroll.dbo.tbcDepartment
WHERE DeptCode COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'department');
DELETE FROM Station.dbo.tbTALOMealModeSetting
WHERE MealMode COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'mode');
DELETE FROM Password.dbo.tbPasswordAppAccess
WHERE EmployeeID COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'user');
DELETE FROM Password.dbo.tbPasswordMain
WHERE EmployeeID COLLATE Latin1_General_100_BIN2 IN (SELECT KeyValue FROM @bin WHERE Kind = N'user');

-- The smoke test's users without login, one per role (database principals, not data).
DECLARE @user SYSNAME;
DECLARE @sql NVARCHAR(400);
WHILE EXISTS (
    SELECT 1 FROM Station.sys.database_principals
    WHERE name COLLATE Latin1_General_100_BIN2 LIKE N'ZZ[_]SMOKE[_]%' AND type = N'S'
        AND authentication_type = 0
)
BEGIN
    SELECT TOP (1) @user = name FROM Station.sys.database_principals
    WHERE name COLLATE Latin1_General_100_BIN2 LIKE N'ZZ[_]SMOKE[_]%' AND type = N'S'
        AND authentication_type = 0;
    SET @sql = CONCAT(N'DROP USER ', QUOTENAME(@user), N';');
    EXEC Station.sys.sp_executesql @sql;
END;
