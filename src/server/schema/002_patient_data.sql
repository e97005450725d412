INSERT INTO Patient_Data.tbHospitalInfo(HospitalName, Address) VALUES ('Hospital', '');
