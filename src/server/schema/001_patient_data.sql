-- Patient_Data: only the hospital's own row, the source row of the server date.
CREATE TABLE Patient_Data.tbHospitalInfo (
    HospitalName TEXT NOT NULL DEFAULT '',
    Address TEXT NOT NULL DEFAULT ''
);
