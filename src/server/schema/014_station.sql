-- Who recorded each meal as the store knows the caller (talo_login(), what SQL Server's
-- ORIGINAL_LOGIN() is on the kit), whatever user the program names: set by the table
-- itself on every insert, as the kit's column default does. Meals recorded before keep ''.
ALTER TABLE Station.tbTALOEmployeeDistributedMeals ADD COLUMN LoginName TEXT NOT NULL DEFAULT '';
CREATE TRIGGER IF NOT EXISTS Station.trDistributedMealLogin
AFTER INSERT ON tbTALOEmployeeDistributedMeals
BEGIN
    UPDATE tbTALOEmployeeDistributedMeals SET LoginName = talo_login()
    WHERE TransNum = NEW.TransNum;
END;
