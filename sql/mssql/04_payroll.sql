-- Payroll: the personnel master and its departments.
USE Payroll;
GO

IF OBJECT_ID(N'dbo.tbcDepartment', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbcDepartment (
        DeptCode NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbcDepartment PRIMARY KEY,
        Description NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcDepartment_Description DEFAULT (N'')
    );
END;
GO

IF OBJECT_ID(N'dbo.tbcmaster', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbcmaster (
        EmpNum NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT PK_tbcmaster PRIMARY KEY,
        Lastname NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcmaster_Lastname DEFAULT (N''),
        Firstname NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcmaster_Firstname DEFAULT (N''),
        Middlename NVARCHAR(100) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbcmaster_Middlename DEFAULT (N''),
        DeptCode NVARCHAR(30) COLLATE Latin1_General_100_CI_AS NULL
            CONSTRAINT FK_tbcmaster_Department REFERENCES dbo.tbcDepartment (DeptCode),
        Active CHAR(1) NOT NULL CONSTRAINT DF_tbcmaster_Active DEFAULT ('1'),
        CONSTRAINT CK_tbcmaster_Active CHECK (Active IN ('0', '1'))
    );
END;
GO

-- The meal counter searches by last-name prefix.
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'ixMasterLastname' AND object_id = OBJECT_ID(N'dbo.tbcmaster')
)
    CREATE INDEX ixMasterLastname ON dbo.tbcmaster (Lastname, Firstname);
GO
