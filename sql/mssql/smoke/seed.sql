-- The rows the smoke test works on, in T-SQL; make_expected.sh gives the same rows to
-- the embedded store (without "dbo." and the N of the literals). Codes start with ZZ
-- so they cannot meet real rows; cleanup.sql removes them again.
INSERT INTO Payroll.dbo.tbcDepartment (DeptCode, Description) VALUES (N'ZZDEP', N'Smoke Ward');
INSERT INTO Payroll.dbo.tbcmaster (EmpNum, Lastname, Firstname, Middlename, DeptCode, Active)
VALUES (N'ZZ001', N'Zzpeña', N'José', N'Ñ', N'ZZDEP', N'1'),
       (N'ZZ002', N'Zzsmoke', N'Ana', N'B', NULL, N'1'),
       (N'ZZ003', N'Zzsmoke', N'Old', N'C', NULL, N'0');
INSERT INTO Station.dbo.tbcoMealType (Code, Description, Status)
VALUES (N'ZZL', N'Smoke lunch', N'1'), (N'ZZO', N'Smoke old', N'0');
INSERT INTO Station.dbo.tbcoMeal (Code, Description, Cost, MealType, Status)
VALUES (N'ZZM1', N'Smoke adobo', N'75.00', N'ZZL', N'1'),
       (N'ZZM2', N'Smoke sinigang', N'80.50', N'ZZL', N'1'),
       (N'ZZM3', N'Smoke ration', N'1.00', N'ZZO', N'1');
INSERT INTO Station.dbo.tbTALOEmployeeMeal (EmpNum, MealTypeCode, TaggedBy, TaggedAt)
VALUES (N'ZZ001', N'ZZL', N'SMOKE', N'2020-01-15 08:00:00');
