-- The site's choice of list columns fitted to their contents ('1'): never narrower than
-- their header text, the last one filling the list. Off ('0'): every list shows the
-- widths it was designed with.
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN FittedColumns TEXT NOT NULL DEFAULT '0'
        CHECK (FittedColumns IN ('0', '1'));
