#include "ReportMeals.h"

#include "TestEnvironment.h"

// Employees: E1 "Ünal, Ana" (department D1), E2 `Smith, "Jr.", Bob` (D2), E3 "Cruz, Eve"
// (no department). Meals: M1 Soup (Lunch, now 45.50), M2 Rice (Breakfast, 30.00), M3 Tea
// (Breakfast, no cost).
// Meals (employee, meal, mode, when, recorded cost, clerk):
//  1 E1 M1 Lunch      2028-02-29 12:00:00  40.00  C1   (price then; M1 now costs 45.50)
//  2 E1 M2 Breakfast  2028-02-29 23:59:59  30.00  C1
//  3 E2 M1 Lunch      2028-03-01 00:00:00  NULL   C2   (saved before costs were recorded)
//  4 E2 M3 Breakfast  2028-03-01 08:00:00  ''     C2   (no cost)
//  5 E3 M1 Lunch      2028-02-28 12:00:00  45.50  C1   revoked by C9
//  6 E1 M1 Lunch      2028-02-01 00:00:00  45.50  C1
//  7 E2 M2 Breakfast  2028-03-31 23:59:59  30.00  C2
//  8 E3 M2 Breakfast  2028-04-01 00:00:00  30.00  C1
void seedReportMeals(TestEnvironment& env)
{
    env.addEmployee("E1", "Ünal", "Ana", "", "D1");
    env.addEmployee("E2", "Smith, \"Jr.\"", "Bob", "", "D2");
    env.addEmployee("E3", "Cruz", "Eve");
    env.addMealType("BR", "Breakfast");
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU", "45.50");
    env.addMeal("M2", "Rice", "BR", "30.00");
    env.addMeal("M3", "Tea", "BR", "");
    env.sqlite(
        "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, MealDate, "
        "MealCost, ClerkID, RecordedAt, RevokedBy, RevokedAt) VALUES "
        "('E1', 'M1', 'Lunch', '2028-02-29 12:00:00', '40.00', 'C1', '', NULL, NULL),"
        "('E1', 'M2', 'Breakfast', '2028-02-29 23:59:59', '30.00', 'C1', '', NULL, NULL),"
        "('E2', 'M1', 'Lunch', '2028-03-01 00:00:00', NULL, 'C2', '', NULL, NULL),"
        "('E2', 'M3', 'Breakfast', '2028-03-01 08:00:00', '', 'C2', '', NULL, NULL),"
        "('E3', 'M1', 'Lunch', '2028-02-28 12:00:00', '45.50', 'C1', '', 'C9', "
        "'2028-02-28 13:00:00'),"
        "('E1', 'M1', 'Lunch', '2028-02-01 00:00:00', '45.50', 'C1', '', NULL, NULL),"
        "('E2', 'M2', 'Breakfast', '2028-03-31 23:59:59', '30.00', 'C2', '', NULL, NULL),"
        "('E3', 'M2', 'Breakfast', '2028-04-01 00:00:00', '30.00', 'C1', '', NULL, NULL)");
}
