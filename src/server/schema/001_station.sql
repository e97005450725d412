-- Station: meals, meal types, tags, distributed meals, rights and their audit trail.
CREATE TABLE Station.tbTALOUserSetUp (
    Code INTEGER PRIMARY KEY,
    Description TEXT COLLATE UNICODE_CI NOT NULL DEFAULT ''
);

CREATE TABLE Station.tbTALOUserRights (
    UserID TEXT COLLATE UNICODE_CI NOT NULL,
    UserRights TEXT NOT NULL DEFAULT '',
    ModifiedBy TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    ModifiedAt TEXT NOT NULL DEFAULT ''
);
CREATE INDEX Station.ixUserRightsUser ON tbTALOUserRights(UserID);

CREATE TABLE Station.tbcoMealType (
    Code TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Description TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Status TEXT NOT NULL DEFAULT '1' CHECK (Status IN ('0', '1'))
);

CREATE TABLE Station.tbcoMeal (
    Code TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Description TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Cost TEXT NOT NULL DEFAULT '',
    MealType TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Status TEXT NOT NULL DEFAULT '1' CHECK (Status IN ('0', '1'))
);
CREATE INDEX Station.ixMealType ON tbcoMeal(MealType);

CREATE TABLE Station.tbTALOEmployeeMeal (
    EmpNum TEXT COLLATE UNICODE_CI NOT NULL,
    MealTypeCode TEXT COLLATE UNICODE_CI NOT NULL REFERENCES tbcoMealType(Code),
    TaggedBy TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    TaggedAt TEXT NOT NULL DEFAULT '',
    PRIMARY KEY (EmpNum, MealTypeCode)
);

CREATE TABLE Station.tbTALOEmployeeDistributedMeals (
    TransNum INTEGER PRIMARY KEY AUTOINCREMENT,
    EmpNum TEXT COLLATE UNICODE_CI NOT NULL,
    MealCode TEXT COLLATE UNICODE_CI NOT NULL REFERENCES tbcoMeal(Code),
    MealMode TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    MealDate TEXT NOT NULL,
    Remarks TEXT NOT NULL DEFAULT '',
    ClerkID TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Source TEXT NOT NULL DEFAULT '',
    RecordedAt TEXT NOT NULL DEFAULT '',
    RevokedBy TEXT COLLATE UNICODE_CI,
    RevokedAt TEXT
);
CREATE INDEX Station.ixDistributedEmpDate ON tbTALOEmployeeDistributedMeals(EmpNum, MealDate);

CREATE TABLE Station.tbTALOAuditLog (
    AuditID INTEGER PRIMARY KEY,
    TableName TEXT NOT NULL,
    RecordKey TEXT NOT NULL,
    Action TEXT NOT NULL,
    Details TEXT NOT NULL DEFAULT '',
    UserID TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    ChangedAt TEXT NOT NULL
);
CREATE INDEX Station.ixAuditTableKey ON tbTALOAuditLog(TableName, RecordKey);
