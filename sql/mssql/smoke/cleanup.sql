-- Removes what seed.sql and the smoke test's calls stored (T-SQL, run by the DBA), and
-- nothing else: every row it made has a key coded ZZ (the audit rows of its saves name
-- the ZZ row they changed; a revoke's names the transaction and, first in its details,
-- the ZZ employee), its race's meal mode is ZZ Smoke, and its users without login are
-- named ZZ_SMOKE_.
DELETE FROM Station.dbo.tbTALOAuditLog
WHERE
    RecordKey LIKE N'ZZ%'
    OR (TableName = N'tbTALOEmployeeDistributedMeals' AND Details LIKE N'EmpNum=ZZ%');
DELETE FROM Station.dbo.tbTALOEmployeeDistributedMeals WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Station.dbo.tbTALOEmployeeMeal WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Station.dbo.tbTALOUserRights WHERE UserID LIKE N'ZZ%';
DELETE FROM Station.dbo.tbcoMeal WHERE Code LIKE N'ZZ%';
DELETE FROM Station.dbo.tbcoMealType WHERE Code LIKE N'ZZ%';
DELETE FROM Payroll.dbo.tbcmaster WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Payroll.dbo.tbcDepartment WHERE DeptCode LIKE N'ZZ%';
DELETE FROM Station.dbo.tbTALOMealModeSetting WHERE MealMode LIKE N'ZZ%';
DELETE FROM Password.dbo.tbPasswordAppAccess WHERE EmployeeID LIKE N'ZZ%';
DELETE FROM Password.dbo.tbPasswordMain WHERE EmployeeID LIKE N'ZZ%';
DECLARE @user SYSNAME;
DECLARE @sql NVARCHAR(400);
WHILE EXISTS (SELECT 1 FROM Station.sys.database_principals WHERE name LIKE N'ZZ[_]SMOKE[_]%')
BEGIN
    SELECT TOP (1) @user = name FROM Station.sys.database_principals
    WHERE name LIKE N'ZZ[_]SMOKE[_]%';
    SET @sql = CONCAT(N'DROP USER ', QUOTENAME(@user), N';');
    EXEC Station.sys.sp_executesql @sql;
END;
