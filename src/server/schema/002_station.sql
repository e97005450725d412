-- The rights the program knows, in code order (the access window lists them by rowid).
INSERT INTO Station.tbTALOUserSetUp(Code, Description) VALUES
    (1, 'Reports'),
    (2, 'Tag Employee Meal'),
    (3, 'Meals'),
    (4, 'Meal Type'),
    (5, 'User Access'),
    (6, 'Meal Entry'),
    (7, 'App Settings'),
    (8, 'Revoke Meals');
