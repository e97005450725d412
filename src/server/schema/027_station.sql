-- How long, in seconds, a statement of the program may wait for its answer before the
-- user is told so and nothing of it is kept: a statement held behind another's lock
-- must not freeze a counter. 10 unless the site chose otherwise.
ALTER TABLE Station.tbTALOSiteSetting
    ADD COLUMN StatementTimeout INTEGER NOT NULL DEFAULT 10
        CHECK (StatementTimeout BETWEEN 1 AND 600);
