-- The meal distribution report's index: the meals handed out and not revoked, in
-- date-time order, with every column the report groups or costs them by, so a period's
-- report reads one range of this index and never the table. RevokedAt (always NULL
-- here) is part of it only so that the report's "not revoked" condition is read from
-- the index too: without it, every meal would be looked up in the table to check it.
CREATE INDEX IF NOT EXISTS Station.ixDistributedReport
    ON tbTALOEmployeeDistributedMeals(MealDate, MealCode, EmpNum, MealCost, MealMode, ClerkID,
                                      RevokedAt)
    WHERE RevokedAt IS NULL;
