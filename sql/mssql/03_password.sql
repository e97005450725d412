-- Password: the password register and which applications each person may use.
-- PasswordHash holds libsodium crypto_pwhash_str text (argon2id), never a password.
USE Password;
GO

IF OBJECT_ID(N'dbo.tbPasswordMain', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbPasswordMain (
        EmployeeID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbPasswordMain PRIMARY KEY,
        Lastname NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbPasswordMain_Lastname DEFAULT (N''),
        Firstname NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbPasswordMain_Firstname DEFAULT (N''),
        Middlename NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbPasswordMain_Middlename DEFAULT (N''),
        PasswordHash NVARCHAR(255) COLLATE Latin1_General_100_BIN2 NOT NULL
            CONSTRAINT DF_tbPasswordMain_PasswordHash DEFAULT (N''),
        Active CHAR(1) NOT NULL CONSTRAINT DF_tbPasswordMain_Active DEFAULT ('1'),
        CONSTRAINT CK_tbPasswordMain_Active CHECK (Active IN ('0', '1'))
    );
END;
GO

IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixPasswordLastname' AND object_id = OBJECT_ID(N'dbo.tbPasswordMain')
)
    CREATE INDEX ixPasswordLastname ON dbo.tbPasswordMain (Lastname);
GO

IF OBJECT_ID(N'dbo.tbPasswordAppAccess', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbPasswordAppAccess (
        EmployeeID NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT FK_tbPasswordAppAccess_Person
            REFERENCES dbo.tbPasswordMain (EmployeeID),
        AppCode NVARCHAR(20) COLLATE Latin1_General_100_CI_AS NOT NULL,
        CONSTRAINT PK_tbPasswordAppAccess PRIMARY KEY (EmployeeID, AppCode)
    );
END;
GO
