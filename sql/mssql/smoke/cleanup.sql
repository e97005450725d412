-- Removes what seed.sql and the smoke test's calls stored (T-SQL, run by the DBA).
DELETE FROM Station.dbo.tbTALOAuditLog WHERE RecordKey LIKE N'ZZ%' OR Details LIKE N'%ZZ0%';
DELETE FROM Station.dbo.tbTALOEmployeeDistributedMeals WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Station.dbo.tbTALOEmployeeMeal WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Station.dbo.tbTALOUserRights WHERE UserID LIKE N'ZZ%';
DELETE FROM Station.dbo.tbcoMeal WHERE Code LIKE N'ZZ%';
DELETE FROM Station.dbo.tbcoMealType WHERE Code LIKE N'ZZ%';
DELETE FROM Payroll.dbo.tbcmaster WHERE EmpNum LIKE N'ZZ%';
DELETE FROM Payroll.dbo.tbcDepartment WHERE DeptCode LIKE N'ZZ%';
