-- The order a meal was saved in, as the workstation named it when the order's first line
-- was added, and the meal's line in that order. A counter that cannot tell whether its
-- save arrived sends the order again with the same key: the unique index makes sure the
-- order is stored once. Meals saved without a key keep NULL in both.
ALTER TABLE Station.tbTALOEmployeeDistributedMeals ADD COLUMN OrderKey TEXT NULL COLLATE NOCASE;
ALTER TABLE Station.tbTALOEmployeeDistributedMeals ADD COLUMN OrderLine INTEGER NULL;
CREATE UNIQUE INDEX IF NOT EXISTS Station.uxDistributedMealOrderLine
    ON tbTALOEmployeeDistributedMeals(OrderKey, OrderLine) WHERE OrderKey IS NOT NULL;

-- The site's choice of serving on when the server cannot be reached ('1'). Off ('0') unless
-- the site turns it on: then the counter sends and says what it always has.
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN KeepServingOffline TEXT NOT NULL DEFAULT '0'
        CHECK (KeepServingOffline IN ('0', '1'));
