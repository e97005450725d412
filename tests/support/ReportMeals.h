#pragma once

class TestEnvironment;

// A handful of distributed meals around the 2028 leap day and two month ends, for the
// report tests (the list and the totals worked out by hand are in ReportMeals.cpp).
void seedReportMeals(TestEnvironment& env);
