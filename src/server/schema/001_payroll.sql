-- Payroll: the personnel master and its departments.
CREATE TABLE Payroll.tbcDepartment (
    DeptCode TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Description TEXT COLLATE UNICODE_CI NOT NULL DEFAULT ''
);

CREATE TABLE Payroll.tbcmaster (
    EmpNum TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Lastname TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Firstname TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Middlename TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    DeptCode TEXT COLLATE UNICODE_CI REFERENCES tbcDepartment(DeptCode),
    Active TEXT NOT NULL DEFAULT '1' CHECK (Active IN ('0', '1'))
);
CREATE INDEX Payroll.ixMasterLastname ON tbcmaster(Lastname, Firstname);
