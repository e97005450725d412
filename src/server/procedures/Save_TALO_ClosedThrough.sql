-- parameters: through, user
-- access: write
-- role: settings
-- Sets the day through which the meals are closed (sent to payroll): a meal dated on or
-- before it can then be neither recorded nor revoked. through is a date ("2026-11-30"; a
-- time in it is ignored), or '' to close nothing. A change writes one audit row.

-- Longer values than the columns hold are refused before anything else.
SELECT talo_raise('Closed through can be at most 40 characters long.') WHERE talo_length(:through) > 40;
SELECT talo_raise('User ID can be at most 30 characters long.') WHERE talo_length(:user) > 30;

SELECT talo_raise('''' || :through || ''' is not a valid date.')
WHERE trim(:through) <> '' AND talo_iso_day(:through) IS NULL;

INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, ChangedAt,
                                   LoginName, Fields)
SELECT 'tbTALOSiteSetting', 'Site', 'UPDATE',
       'ClosedThrough: ' || coalesce(s.ClosedThrough, '') || ' -> '
           || coalesce(talo_iso_day(nullif(trim(:through), '')), ''),
       :user, talo_now(), talo_login(),
       json_object('ClosedThrough',
                   json_object('old', s.ClosedThrough,
                               'new', talo_iso_day(nullif(trim(:through), ''))))
FROM Station.tbTALOSiteSetting s
WHERE s.SettingID = 1
  AND coalesce(s.ClosedThrough, '') <> coalesce(talo_iso_day(nullif(trim(:through), '')), '');

UPDATE Station.tbTALOSiteSetting
SET ClosedThrough = talo_iso_day(nullif(trim(:through), ''))
WHERE SettingID = 1;
