-- Costs as the meal master's save writes them: '' or digits, a point and two decimals.
-- Older texts that are not (' 12.5', '2.675', '12 pesos', '1,250.00') are made so once:
-- a number of zero or more loses its blanks and is rounded to the cent, half a cent up,
-- as SQL Server's DECIMAL rounds it; any other text becomes '' (no cost, which the report
-- counts as a meal without a cost). Each text changed goes to the changes log with what
-- it was. From then on the triggers refuse any other text, as the kit's CHECK does.
-- The cents of a readable text, exactly (no double): talo_cost() gives "whole.decimals".
CREATE TEMP VIEW talo_cost_fix AS
SELECT 'tbcoMeal' AS t, Code AS k, Cost AS old, talo_cost(Cost) AS c FROM Station.tbcoMeal
WHERE NOT (Cost = '' OR (Cost GLOB '[0-9]*.[0-9][0-9]' AND Cost NOT GLOB '*[^0-9.]*'
                         AND Cost NOT GLOB '*.*.*' AND length(Cost) <= 15))
UNION ALL
SELECT 'tbTALOEmployeeDistributedMeals', CAST(TransNum AS TEXT), MealCost, talo_cost(MealCost)
FROM Station.tbTALOEmployeeDistributedMeals
WHERE MealCost IS NOT NULL
  AND NOT (MealCost = '' OR (MealCost GLOB '[0-9]*.[0-9][0-9]' AND MealCost NOT GLOB '*[^0-9.]*'
                             AND MealCost NOT GLOB '*.*.*' AND length(MealCost) <= 15));
CREATE TEMP TABLE talo_cost_new AS
SELECT t, k, old,
       CASE WHEN c IS NULL OR c = '' THEN ''
            ELSE (SELECT printf('%d.%02d', cents / 100, cents % 100)
                  FROM (SELECT CAST(substr(c, 1, instr(c, '.') - 1) AS INTEGER) * 100
                                   + CAST(substr(c, instr(c, '.') + 1, 2) AS INTEGER)
                                   + (substr(c, instr(c, '.') + 3, 1) >= '5') AS cents)) END AS new
FROM temp.talo_cost_fix;
INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName)
SELECT t, k, 'UPDATE', CASE WHEN t = 'tbcoMeal' THEN 'Cost: ' ELSE 'MealCost: ' END
                           || old || ' -> ' || new,
       'UPGRADE', talo_now(), talo_login()
FROM temp.talo_cost_new ORDER BY t <> 'tbcoMeal', k;
UPDATE Station.tbcoMeal
SET Cost = (SELECT n.new FROM temp.talo_cost_new n WHERE n.t = 'tbcoMeal' AND n.k = Code)
WHERE Code IN (SELECT k FROM temp.talo_cost_new WHERE t = 'tbcoMeal');
UPDATE Station.tbTALOEmployeeDistributedMeals
SET MealCost = (SELECT n.new FROM temp.talo_cost_new n
                WHERE n.t = 'tbTALOEmployeeDistributedMeals' AND n.k = CAST(TransNum AS TEXT))
WHERE CAST(TransNum AS TEXT) IN (SELECT k FROM temp.talo_cost_new
                                 WHERE t = 'tbTALOEmployeeDistributedMeals');
DROP TABLE temp.talo_cost_new;
DROP VIEW temp.talo_cost_fix;
CREATE TRIGGER IF NOT EXISTS Station.trMealCostPlain BEFORE INSERT ON tbcoMeal
WHEN NOT (NEW.Cost = '' OR (NEW.Cost GLOB '[0-9]*.[0-9][0-9]' AND NEW.Cost NOT GLOB '*[^0-9.]*'
                            AND NEW.Cost NOT GLOB '*.*.*' AND length(NEW.Cost) <= 15))
BEGIN
    SELECT RAISE(ABORT, 'CHECK constraint failed: CK_tbcoMeal_Cost');
END;
CREATE TRIGGER IF NOT EXISTS Station.trMealCostPlainUpdate BEFORE UPDATE OF Cost ON tbcoMeal
WHEN NOT (NEW.Cost = '' OR (NEW.Cost GLOB '[0-9]*.[0-9][0-9]' AND NEW.Cost NOT GLOB '*[^0-9.]*'
                            AND NEW.Cost NOT GLOB '*.*.*' AND length(NEW.Cost) <= 15))
BEGIN
    SELECT RAISE(ABORT, 'CHECK constraint failed: CK_tbcoMeal_Cost');
END;
CREATE TRIGGER IF NOT EXISTS Station.trDistributedMealCostPlain BEFORE INSERT ON tbTALOEmployeeDistributedMeals
WHEN NEW.MealCost IS NOT NULL
 AND NOT (NEW.MealCost = '' OR (NEW.MealCost GLOB '[0-9]*.[0-9][0-9]'
                                AND NEW.MealCost NOT GLOB '*[^0-9.]*'
                                AND NEW.MealCost NOT GLOB '*.*.*' AND length(NEW.MealCost) <= 15))
BEGIN
    SELECT RAISE(ABORT, 'CHECK constraint failed: CK_tbTALOEmployeeDistributedMeals_MealCost');
END;
CREATE TRIGGER IF NOT EXISTS Station.trDistributedMealCostPlainUpdate
BEFORE UPDATE OF MealCost ON tbTALOEmployeeDistributedMeals
WHEN NEW.MealCost IS NOT NULL
 AND NOT (NEW.MealCost = '' OR (NEW.MealCost GLOB '[0-9]*.[0-9][0-9]'
                                AND NEW.MealCost NOT GLOB '*[^0-9.]*'
                                AND NEW.MealCost NOT GLOB '*.*.*' AND length(NEW.MealCost) <= 15))
BEGIN
    SELECT RAISE(ABORT, 'CHECK constraint failed: CK_tbTALOEmployeeDistributedMeals_MealCost');
END;
