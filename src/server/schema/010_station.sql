-- The site's choice of keyboard order entry at the counter (Enter moves an order on
-- from box to box, Alt keys on Save and Cancel, Enter and the arrow keys on the lists).
-- Off ('0') unless the site turns it on.
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN KeyboardEntry TEXT NOT NULL DEFAULT '0' CHECK (KeyboardEntry IN ('0', '1'));
