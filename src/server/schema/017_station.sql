-- The site's choice of bulk tagging from the tagging window (a button there that tags a
-- department, a list or every active employee at once). Off ('0') unless the site turns
-- it on; the staff import's preview offers it for the new employees whatever this says.
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN BulkTagging TEXT NOT NULL DEFAULT '0' CHECK (BulkTagging IN ('0', '1'));
