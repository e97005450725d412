-- The cost of a distributed meal as it was when the meal was handed out, so a later price
-- change does not rewrite past reports. NULL on the rows saved before the column existed:
-- the reports take the meal's current cost for those and mark them.
ALTER TABLE Station.tbTALOEmployeeDistributedMeals ADD COLUMN MealCost TEXT;
