-- App settings, shared by every counter of the site. The site's own settings are one
-- row; each meal mode has its daily limit (NULL = none), what happens past it (W warn,
-- B block), and its serving window ('HH:MM' both, or both empty). The eight listed modes
-- are seeded here and cannot be removed; a site may add others.
CREATE TABLE Station.tbTALOSiteSetting (
    SettingID INTEGER PRIMARY KEY CHECK (SettingID = 1),
    ScanMode TEXT NOT NULL DEFAULT '0' CHECK (ScanMode IN ('0', '1')),
    FirstDayOfWeek INTEGER NOT NULL DEFAULT 1 CHECK (FirstDayOfWeek BETWEEN 1 AND 7),
    SiteName TEXT NOT NULL DEFAULT ''
);

CREATE TABLE Station.tbTALOMealModeSetting (
    MealMode TEXT COLLATE UNICODE_CI PRIMARY KEY NOT NULL,
    Position INTEGER NOT NULL,
    Listed TEXT NOT NULL DEFAULT '0' CHECK (Listed IN ('0', '1')),
    DailyLimit INTEGER CHECK (DailyLimit BETWEEN 0 AND 99),
    LimitAction TEXT NOT NULL DEFAULT 'W' CHECK (LimitAction IN ('W', 'B')),
    ServeFrom TEXT NOT NULL DEFAULT '',
    ServeTo TEXT NOT NULL DEFAULT ''
);

INSERT INTO Station.tbTALOSiteSetting(SettingID) VALUES (1);

INSERT INTO Station.tbTALOMealModeSetting(MealMode, Position, Listed) VALUES
    ('Breakfast', 1, '1'),
    ('Lunch', 2, '1'),
    ('Dinner', 3, '1'),
    ('AM Snack', 4, '1'),
    ('PM Snack', 5, '1'),
    ('MN Snack', 6, '1'),
    ('Extra Meal', 7, '1'),
    ('Extra Snack', 8, '1');
