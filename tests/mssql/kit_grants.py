"""What the SQL Server kit grants, and to whom.

Reads every GRANT and every ALTER ROLE ... ADD MEMBER of the installed scripts, in the
database the script is in at that point, including those inside the text a script runs
with sp_executesql. Used by kit_consistency.py (each procedure's EXECUTE granted to its
roles; no role holds a table write; the procedures that write another database are
signed, and the certificate's user writes only what they write) and window_grants.py
(the statements a window sends are covered by the grants of the roles that open it).
"""
import re
from typing import NamedTuple

from kit_order import kit_scripts, object_name
from kit_sql import literal, name_of, tokens, upper

# The certificate user of 07_signing.sql: the only principal that may write a table.
SIGNING_USER = "talodesk_signing"
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
    path = folder / "07_signing.sql"
    if not path.exists():
        return set()
    text = path.read_text(encoding="utf-8")
    block = re.search(r"INSERT INTO @signed \(Name\) VALUES(.*?);", text, re.DOTALL)
    return {name.lower() for name in re.findall(r"N'(\w+)'", block.group(1))} if block else set()


def certificate_copy_problems(folder, databases):
    """The certificate's public key and user are one text, run in each database that a
    signed procedure writes (EXEC <Database>.sys.sp_executesql)."""
    path = folder / "07_signing.sql"
    if not path.exists():
        return []
    words = " ".join(upper(t) for t in tokens(path.read_text(encoding="utf-8")))
    problems = []
    copies = words.count("FROM BINARY =")
    if copies != 1:
        problems.append(f"07_signing.sql builds the certificate's copy {copies} times: one "
                        f"text, run in each database")
    for database in sorted(databases):
        if not re.search(rf"EXEC {database} \. SYS \. SP_EXECUTESQL @SQL", words, re.IGNORECASE):
            problems.append(f"07_signing.sql does not run the certificate's copy in {database} "
                            f"(EXEC {database}.sys.sp_executesql)")
    return problems


def write_problems(folder, grants):
    from kit_consistency import mssql_procedures  # noqa: E402 (the two modules use each other)

    problems = []
    for g in grants:
        written = sorted(g.permissions & WRITES)
        if written and g.principal != SIGNING_USER:
            problems.append(f"{g.principal} may write {g.database}.{g.target} ({', '.join(written)}, "
                            f"{g.path.name}): no role writes a table")
    signing = {(g.database, g.target.lower(), p) for g in grants if g.principal == SIGNING_USER
               for p in g.permissions & WRITES}
    needed, signed = set(), signed_modules(folder)
    for key, (name, _params, _cols, path, *_rest) in sorted(mssql_procedures(folder).items()):
        body = tokens(path.read_text(encoding="utf-8"))
        writes = {w for w in other_database_writes(body) if w[0] != "station"}
        needed |= writes
        if writes and key not in signed:
            problems.append(f"procedure {name} writes {', '.join(sorted(f'{d}.{t}' for d, t, _ in writes))} "
                            f"but is not signed in 07_signing.sql")
        if not writes and key in signed:
            problems.append(f"procedure {name} is signed but writes no other database")
    problems += certificate_copy_problems(folder, {d for d, _, _ in needed})
    for database, table, verb in sorted(needed - signing):
        problems.append(f"{SIGNING_USER} lacks {verb} on {database}.{table}, which a signed "
                        f"procedure writes")
    for database, table, verb in sorted(signing - needed):
        problems.append(f"{SIGNING_USER} holds {verb} on {database}.{table}, which no signed "
                        f"procedure writes")
    return problems


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
