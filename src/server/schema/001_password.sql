-- Password: the password register and which applications each person may use.
CREATE TABLE Password.tbPasswordMain (
    EmployeeID TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Lastname TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Firstname TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    Middlename TEXT COLLATE UNICODE_CI NOT NULL DEFAULT '',
    PasswordHash TEXT NOT NULL DEFAULT '',
    Active TEXT NOT NULL DEFAULT '1' CHECK (Active IN ('0', '1'))
);
CREATE INDEX Password.ixPasswordLastname ON tbPasswordMain(Lastname);

CREATE TABLE Password.tbPasswordAppAccess (
    EmployeeID TEXT COLLATE UNICODE_CI NOT NULL REFERENCES tbPasswordMain(EmployeeID),
    AppCode TEXT COLLATE UNICODE_CI NOT NULL,
    PRIMARY KEY (EmployeeID, AppCode)
);
