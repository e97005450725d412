-- The cost of a distributed meal as it was when the meal was handed out, so a later price
-- change does not rewrite past reports. NULL on the rows saved before the column existed:
-- the reports take the meal's current cost for those and mark them. Runs again harmlessly.
USE Station;
GO

IF COL_LENGTH(N'dbo.tbTALOEmployeeDistributedMeals', N'MealCost') IS NULL
    ALTER TABLE dbo.tbTALOEmployeeDistributedMeals ADD MealCost NVARCHAR(20) NULL;
GO
