-- Each change's fields with their values before and after, as a JSON object a program
-- reads without parsing the details' sentence: {"Lastname": {"old": "Lopez", "new":
-- "Lopez-Reyes"}}. A new record has only "new", a removed one only "old"; a value the log
-- must not hold (a password) has neither. Rows written before this column are ''.
ALTER TABLE Station.tbTALOAuditLog ADD COLUMN Fields TEXT NOT NULL DEFAULT '';
