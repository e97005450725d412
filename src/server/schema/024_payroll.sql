-- Payroll: the employees whose number is not plain printable ASCII. Only such a number
-- can fold (full-width digits, compatibility forms) to the number of another employee,
-- so an import compares its new numbers with these few instead of reading every
-- employee on each call.
CREATE INDEX Payroll.ixMasterUnusualNumber ON tbcmaster(EmpNum) WHERE EmpNum GLOB '*[^ -~]*';
