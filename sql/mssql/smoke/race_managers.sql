-- The two managers of the managers' race (smoke_test.sh): ZZ staff who may sign in to
-- TALO, with right 5 and a password hash of the right form that no password gives (its
-- salt and hash are all zero bits), so nobody can sign in as them. Added by the smoke
-- test just before the race and removed just after it (and by cleanup.sql).
INSERT INTO Password.dbo.tbPasswordMain
    (EmployeeID, Lastname, Firstname, Middlename, PasswordHash, Active)
VALUES
    (N'ZZMGR1', N'Zzsmoke', N'Manager', N'', N'$argon2id$v=19$m=65536,t=2,p=1$AAAAAAAAAAAAAAAAAAAAAA$AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA', '1'),
    (N'ZZMGR2', N'Zzsmoke', N'Second', N'', N'$argon2id$v=19$m=65536,t=2,p=1$AAAAAAAAAAAAAAAAAAAAAA$AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA', '1');
INSERT INTO Password.dbo.tbPasswordAppAccess (EmployeeID, AppCode)
VALUES (N'ZZMGR1', N'TALO'), (N'ZZMGR2', N'TALO');
INSERT INTO Station.dbo.tbTALOUserRights (UserID, UserRights, ModifiedBy, ModifiedAt)
VALUES
    (N'ZZMGR1', N'|0|0|0|0|5', N'ZZADMIN', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120)),
    (N'ZZMGR2', N'|0|0|0|0|5', N'ZZADMIN', CONVERT(DATETIME2(0), CONVERT(NCHAR(19), SYSDATETIME(), 120), 120));
