-- The day through which the meals are closed (sent to payroll): a meal dated on or before
-- it can be neither recorded nor revoked. NULL, the default, closes nothing. Stored as
-- ISO text ("2026-11-30").
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN ClosedThrough TEXT NULL
        CHECK (ClosedThrough IS NULL OR ClosedThrough GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]');
