"""What the SQL Server kit grants, and to whom.

Reads every GRANT and every ALTER ROLE ... ADD MEMBER of the installed scripts, in the
database the script is in at that point, including those inside the text a script runs
with sp_executesql. Used by kit_consistency.py (each procedure's EXECUTE granted to its
roles; no role holds a table write; the procedures that write another database are
signed, each with its own certificate, whose user writes only what that procedure
writes) and window_grants.py
(the statements a window sends are covered by the grants of the roles that open it).
"""
import re
from typing import NamedTuple

from kit_order import kit_scripts, object_name
from kit_sql import literal, name_of, tokens, upper

# The certificate users of 07_signing.sql, one per signed procedure (this prefix and the
# procedure's name): the only principals that may write a table.
SIGNING_PREFIX = "talodesk_sign_"
WRITES = {"INSERT", "UPDATE", "DELETE", "ALTER", "CONTROL", "ALL", "TAKE", "MERGE"}
DYNAMIC = re.compile(r"\b(GRANT|ALTER\s+ROLE)\b", re.IGNORECASE)


class Grant(NamedTuple):
    database: str
    permissions: frozenset
    target: str  # the object's name (dbo dropped), or "SCHEMA::dbo"
    principal: str
    path: object


def expanded(text):
    """The tokens, with the statements inside a literal that grants or adds a member
    spliced in where the literal stands."""
    out = []
    for tok in tokens(text):
        if tok[0] == "string" and DYNAMIC.search(tok[1]):
            out += [("op", ";")] + tokens(literal(tok)) + [("op", ";")]
        else:
            out.append(tok)
    return out


def _walk_text(text):
    """(database, tokens, index) of each token of one script, in the database the script
    is in at that point."""
    database = "?"
    toks = expanded(text)
    for i, tok in enumerate(toks):
        if upper(tok) == "USE" and i + 1 < len(toks):
            database = name_of(toks[i + 1]).lower()
        yield database, toks, i


def _walk(folder):
    for path in kit_scripts(folder):
        for database, toks, i in _walk_text(path.read_text(encoding="utf-8")):
            yield path, database, toks, i


def text_grants(text, path=None, verb="GRANT", to="TO"):
    """Each GRANT (or REVOKE ... FROM) of one script, one Grant per principal."""
    grants = []
    for database, toks, i in _walk_text(text):
        if upper(toks[i]) != verb:
            continue
        j, permissions = i + 1, set()
        while j < len(toks) and upper(toks[j]) not in ("ON", to):
            if toks[j][0] == "word":
                permissions.add(upper(toks[j]))
            j += 1
        target = "?"
        if j < len(toks) and upper(toks[j]) == "ON":
            if j + 2 < len(toks) and toks[j + 2][1] == "::":
                target = f"{upper(toks[j + 1])}::{name_of(toks[j + 3])}"
                j += 4
            else:
                parts, j = object_name(toks, j + 1)
                target = parts[-1] if parts else "?"
        while j < len(toks) and upper(toks[j]) != to:
            j += 1
        j += 1
        while j < len(toks):
            grants.append(Grant(database, frozenset(permissions), target,
                                name_of(toks[j]).lower(), path))
            if j + 1 < len(toks) and toks[j + 1][1] == ",":
                j += 2
            else:
                break
    return grants


def kit_grants(folder, verb="GRANT", to="TO"):
    return [g for path in kit_scripts(folder)
            for g in text_grants(path.read_text(encoding="utf-8"), path, verb, to)]


def grant_rows(grants):
    """{(database, permission, object, principal)} of Grant tuples, lower case but the
    permission."""
    return {(g.database, p, g.target.lower(), g.principal) for g in grants for p in g.permissions}


def taken_back_problems(folder, earlier):
    """Every grant an earlier kit made (earlier: grant rows) is granted today or revoked;
    otherwise an upgraded server keeps it."""
    today = grant_rows(kit_grants(folder))
    revoked = grant_rows(kit_grants(folder, "REVOKE", "FROM"))
    return [f"an earlier kit granted {permission} on {database}.{target} to {principal}; the kit "
            f"neither grants it today nor revokes it"
            for database, permission, target, principal in sorted(earlier - today - revoked)]


def memberships(folder):
    """{(database, member): {roles it is a member of}}."""
    out = {}
    for _, database, toks, i in _walk(folder):
        words = [upper(t) for t in toks[i:i + 5]]
        if words[:2] == ["ALTER", "ROLE"] and words[3:5] == ["ADD", "MEMBER"]:
            member = name_of(toks[i + 5]).lower() if i + 5 < len(toks) else "?"
            out.setdefault((database, member), set()).add(name_of(toks[i + 2]).lower())
    return out


def permissions_of(folder):
    """{(database, principal): {(permission, object)}}, through role membership too."""
    direct = {}
    for g in kit_grants(folder):
        for permission in g.permissions:
            direct.setdefault((g.database, g.principal), set()).add((permission, g.target.lower()))
    members = memberships(folder)
    result = {}
    for database, principal in set(direct) | set(members):
        seen, todo, held = set(), [principal], set()
        while todo:
            who = todo.pop()
            if who in seen:
                continue
            seen.add(who)
            held |= direct.get((database, who), set())
            todo += members.get((database, who), set())
        result[(database, principal)] = held
    return result


def other_database_writes(toks):
    """{(database, table, INSERT|UPDATE|DELETE)} a procedure body writes by three-part
    name (directly, or through an alias the statement's FROM names)."""
    writes = set()
    words = [upper(t) for t in toks]
    for i, word in enumerate(words):
        if word not in ("INSERT", "UPDATE", "DELETE", "MERGE"):
            continue
        j = i + 1
        while j < len(words) and words[j] in ("INTO", "FROM", "TOP"):
            j += 1
        parts, _ = object_name(toks, j)
        if len(parts) < 3 and parts:
            alias = parts[-1].lower()
            k = j + 1
            while k < len(toks) and toks[k][1] != ";":
                found, after = object_name(toks, k)
                if len(found) >= 3:
                    m = after + 1 if after < len(words) and words[after] == "AS" else after
                    if m < len(toks) and name_of(toks[m]).lower() == alias:
                        parts = found
                        break
                    k = after
                    continue
                k += 1
        if len(parts) >= 3:
            verb = "INSERT" if word == "MERGE" else word
            writes.add((parts[0].lower(), parts[-1].lower(), verb))
    return writes


def signed_modules(folder):
    """{procedure key: {databases}} of 07_signing.sql's list of signed procedures."""
    path = folder / "07_signing.sql"
    if not path.exists():
        return {}
    text = path.read_text(encoding="utf-8")
    block = re.search(r"INSERT INTO @signed \(Name, DatabaseName\) VALUES(.*?);", text, re.DOTALL)
    signed = {}
    for name, database in re.findall(r"\(N'(\w+)', N'(\w+)'\)", block.group(1) if block else ""):
        signed.setdefault(name.lower(), set()).add(database.lower())
    return signed


# How 07_signing.sql gives each procedure its own certificate, and runs one text with the
# certificate's public key and user in each database the procedure writes.
CERTIFICATE_RULES = (
    ("SET @certificate = CONCAT ( N'talodesk_sign_' , @name ) ;",
     "each signed procedure has a certificate of its own, named after it"),
    ("N'ADD SIGNATURE TO dbo.', QUOTENAME(@name), N' BY CERTIFICATE ', QUOTENAME(@certificate)",
     "each procedure is signed by its own certificate"),
    ("SET @run = CONCAT ( QUOTENAME ( @database ) , N'.sys.sp_executesql' ) ; EXEC @run @sql ;",
     "each certificate's copy is run in each database its procedure writes"),
)
HR_SWITCH = "DECLARE @hrOwnsStaff BIT = CASE WHEN N'$(TaloHrOwnsStaff)' = N'1' THEN 1 ELSE 0 END ;"


def certificate_copy_problems(folder, signed, grants):
    """One certificate per signed procedure, its public key and user made by one text run
    in each database the procedure writes; the switch for sites whose HR owns the staff
    tables leaves every signed procedure ungranted, and install.sh always passes it."""
    path = folder / "07_signing.sql"
    if not path.exists():
        return []
    words = " ".join(t[1] for t in tokens(path.read_text(encoding="utf-8")))
    problems = []
    copies = words.upper().count("FROM BINARY =")
    if copies != 1:
        problems.append(f"07_signing.sql builds a certificate's copy {copies} times: one "
                        f"text, run in each database")
    for rule, what in CERTIFICATE_RULES:
        if " ".join(t[1] for t in tokens(rule)) not in words:
            problems.append(f"07_signing.sql: not so that {what} ({rule})")
    if " ".join(t[1] for t in tokens(HR_SWITCH)) not in words:
        problems.append(f"07_signing.sql has no switch for sites whose HR owns the staff tables "
                        f"({HR_SWITCH})")
    revoked = {(g.target.lower(), g.principal) for g in grants if g.path and g.path.name ==
               "07_signing.sql" and "EXECUTE" in g.permissions}
    executes = {}
    for g in kit_grants(folder):
        if "EXECUTE" in g.permissions and g.database == "station":
            executes.setdefault(g.target.lower(), set()).add(g.principal)
    for key in sorted(signed):
        for role in sorted(executes.get(key, set())):
            if (key, role) not in revoked:
                problems.append(f"07_signing.sql: with HR owning the staff tables, {role} may "
                                f"still run {key} (REVOKE EXECUTE under @hrOwnsStaff)")
    install = folder / "install.sh"
    if install.exists() and "TaloHrOwnsStaff=" not in install.read_text(encoding="utf-8"):
        problems.append("install.sh does not pass the sqlcmd variable TaloHrOwnsStaff")
    return problems


def app_access_problems(folder):
    """A write of the shared application register names Talodesk's own code: the register
    holds other programs' rights too."""
    from kit_consistency import mssql_procedures  # noqa: E402

    problems = []
    for key, (name, _params, _cols, path, *_rest) in sorted(mssql_procedures(folder).items()):
        words = " ".join(t[1] for t in tokens(path.read_text(encoding="utf-8")))
        for statement in re.finditer(r"\b(?:INSERT INTO|DELETE FROM|UPDATE) Password \. dbo \. "
                                     r"tbPasswordAppAccess\b[^;]*", words, re.IGNORECASE):
            if "N'TALO'" not in statement.group(0):
                problems.append(f"procedure {name}: writes tbPasswordAppAccess without naming "
                                f"AppCode N'TALO' ({statement.group(0)[:60]})")
    return problems


def write_problems(folder, grants):
    from kit_consistency import mssql_procedures  # noqa: E402 (the two modules use each other)

    problems = []
    for g in grants:
        written = sorted(g.permissions & WRITES)
        if written and not g.principal.startswith(SIGNING_PREFIX):
            problems.append(f"{g.principal} may write {g.database}.{g.target} ({', '.join(written)}, "
                            f"{g.path.name}): no role writes a table")
    held = {}
    for g in grants:
        if g.principal.startswith(SIGNING_PREFIX):
            for p in g.permissions & WRITES:
                held.setdefault(g.principal, set()).add((g.database, g.target.lower(), p))
    signed = signed_modules(folder)
    for key, (name, _params, _cols, path, *_rest) in sorted(mssql_procedures(folder).items()):
        body = tokens(path.read_text(encoding="utf-8"))
        writes = {w for w in other_database_writes(body) if w[0] != "station"}
        user = SIGNING_PREFIX + key
        if writes and key not in signed:
            problems.append(f"procedure {name} writes {', '.join(sorted(f'{d}.{t}' for d, t, _ in writes))} "
                            f"but is not signed in 07_signing.sql")
        if not writes and key in signed:
            problems.append(f"procedure {name} is signed but writes no other database")
        if key in signed and signed[key] != {d for d, _, _ in writes}:
            problems.append(f"07_signing.sql copies {name}'s certificate to {sorted(signed[key])}, "
                            f"it writes {sorted({d for d, _, _ in writes})}")
        for database, table, verb in sorted(writes - held.get(user, set())):
            problems.append(f"{user} lacks {verb} on {database}.{table}, which {name} writes")
        for database, table, verb in sorted(held.get(user, set()) - writes):
            problems.append(f"{user} holds {verb} on {database}.{table}, which {name} does not "
                            f"write")
    for user in sorted(set(held) - {SIGNING_PREFIX + key for key in signed}):
        problems.append(f"{user} holds writes but signs no procedure")
    problems += certificate_copy_problems(folder, signed, kit_grants(folder, "REVOKE", "FROM"))
    return problems + app_access_problems(folder)


def refusal_problems(folder):
    """smoke/role_refusals.txt lists exactly the Station procedures each role may not run."""
    from kit_consistency import mssql_procedures  # noqa: E402

    path = folder / "smoke" / "role_refusals.txt"
    if not path.exists():
        return ["smoke/role_refusals.txt is missing"]
    listed = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            role, _, procedure = line.partition("|")
            listed.add((role.strip().lower(), procedure.strip().lower()))
    granted = permissions_of(folder)
    roles = {role for role, _ in listed}
    procedures = {key for key in mssql_procedures(folder)}
    refused = {(role, p) for role in roles for p in procedures
               if ("EXECUTE", p) not in granted.get(("station", role), set())}
    return ([f"smoke/role_refusals.txt: {r} may run {p}, but the smoke test expects a refusal"
             for r, p in sorted(listed - refused)]
            + [f"smoke/role_refusals.txt: {r} may not run {p}, but the smoke test does not try it"
               for r, p in sorted(refused - listed)])
