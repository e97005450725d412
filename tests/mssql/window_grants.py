#!/usr/bin/env python3
"""Every statement a window sends is covered by the grants of each role that may open it.

Reads the statements the window tests recorded (STATEMENTS_DIR/<test>.txt, one a line:
the test support writes them when TALODESK_STATEMENT_LOG names that folder), which
roles may open each window (window_roles.txt) and what the SQL Server kit grants. A
statement needs EXECUTE on each procedure it calls -- and SELECT on the tables of other
databases that an unsigned procedure reads, as no database chains ownership across --
and SELECT on each table it reads. Prints each statement a role would be refused
(error 229 on the server) and exits 1 when there is one.

usage: window_grants.py STATEMENTS_DIR MSSQL_DIR ROLES_FILE
"""
import pathlib
import sys

from kit_consistency import mssql_procedures
from kit_grants import permissions_of, signed_modules
from kit_order import object_name
from kit_sql import tokens, upper

DATABASES = {"station", "patient_data", "password", "payroll"}


def read_roles(path):
    windows, actions = {}, {}
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.split("#", 1)[0].split()
        if len(fields) >= 3 and fields[0] == "window":
            windows[fields[1]] = fields[2:]
        elif len(fields) >= 3 and fields[0] == "action":
            actions[fields[1].lower()] = fields[2:]
    return windows, actions


def other_database_reads(folder):
    """{procedure: {(database, table)}} of the tables in other databases each reads."""
    reads = {}
    for key, (_name, _p, _c, path, *_rest) in mssql_procedures(folder).items():
        toks = tokens(path.read_text(encoding="utf-8"))
        found = set()
        for i in range(len(toks)):
            parts, _ = object_name(toks, i)
            if len(parts) >= 3 and parts[0].lower() in DATABASES - {"station"}:
                found.add((parts[0].lower(), parts[-1].lower()))
        reads[key] = found
    return reads


def needed(statement, reads, signed):
    """[(database, permission, object)] the statement needs."""
    toks = tokens(statement)
    out = []
    i = 0
    while i < len(toks):
        parts, after = object_name(toks, i)
        if len(parts) >= 3 and parts[0].lower() in DATABASES:
            database, name = parts[0].lower(), parts[-1].lower()
            called = i == 0 or (i > 0 and upper(toks[i - 1]) in ("EXEC", "EXECUTE"))
            if called:
                out.append((database, "EXECUTE", name))
                if name not in signed:
                    out += [(d, "SELECT", t) for d, t in sorted(reads.get(name, ()))]
            else:
                out.append((database, "SELECT", name))
            i = after
        else:
            i += 1
    return out


def problems_of(statements_dir, folder, roles_file):
    windows, actions = read_roles(roles_file)
    granted = permissions_of(folder)
    reads, signed = other_database_reads(folder), signed_modules(folder)
    problems, seen, count = [], set(), 0
    logs = sorted(statements_dir.glob("*.txt"))
    if not logs:
        return ["no recorded statements in " + str(statements_dir)], 0
    for log in logs:
        window = log.stem.split("_tst_")[-1]
        if window not in windows:
            continue
        for statement in log.read_text(encoding="utf-8").splitlines():
            for database, permission, name in needed(statement, reads, signed):
                count += 1
                for role in actions.get(name, windows[window]):
                    held = granted.get((database, role), set())
                    if (permission, name) in held or (database, role, permission, name) in seen:
                        continue
                    seen.add((database, role, permission, name))
                    problems.append(f"{window} sends {statement[:90]!r}: {role} lacks {permission} "
                                    f"on {database}.{name}")
    return problems, count


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    problems, count = problems_of(pathlib.Path(argv[1]), pathlib.Path(argv[2]),
                                  pathlib.Path(argv[3]))
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{count} objects the windows' statements name are granted to every role that opens them")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
