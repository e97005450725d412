-- Patient_Data: only the hospital's own row, the source row of the server date.
USE Patient_Data;
GO

IF OBJECT_ID(N'dbo.tbHospitalInfo', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbHospitalInfo (
        HospitalName NVARCHAR(200) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbHospitalInfo_HospitalName DEFAULT (N''),
        Address NVARCHAR(400) COLLATE Latin1_General_100_CI_AS NOT NULL
            CONSTRAINT DF_tbHospitalInfo_Address DEFAULT (N'')
    );
END;
GO

-- Exactly one row: the server date is read "From Patient_Data..tbHospitalInfo".
IF NOT EXISTS (SELECT 1 FROM dbo.tbHospitalInfo)
    INSERT INTO dbo.tbHospitalInfo (HospitalName, Address) VALUES (N'Hospital', N'');
GO
