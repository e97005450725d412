-- Indexes for the history of distributed meals and the changes log (IF NOT EXISTS: a step
-- may run again on a store whose version number was set back). Each filter of the
-- history reads its own index in (date-time, transaction number) order, so a page is a
-- short index range whatever the size of the table: the date range alone, a clerk, a
-- meal (the employee filter has had its index from the start). The changes log is read
-- by date-time.
CREATE INDEX IF NOT EXISTS Station.ixDistributedDate ON tbTALOEmployeeDistributedMeals(MealDate);
CREATE INDEX IF NOT EXISTS Station.ixDistributedClerkDate ON tbTALOEmployeeDistributedMeals(ClerkID, MealDate);
CREATE INDEX IF NOT EXISTS Station.ixDistributedMealDate ON tbTALOEmployeeDistributedMeals(MealCode, MealDate);
CREATE INDEX IF NOT EXISTS Station.ixAuditChangedAt ON tbTALOAuditLog(ChangedAt);
-- The revoked meals alone, with every column a filter names: counting what the history
-- hides then reads this small index instead of every row in the range.
CREATE INDEX IF NOT EXISTS Station.ixDistributedRevoked
    ON tbTALOEmployeeDistributedMeals(MealDate, EmpNum, ClerkID, MealCode, MealMode)
    WHERE RevokedAt IS NOT NULL;
