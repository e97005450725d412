#!/usr/bin/env python3
"""The SQL Server kit's install order.

install.sh runs the scripts install_order.txt lists, in that order (a glob would follow
the shell's locale). Checks that the order names every script of the kit once and that
every object a script uses -- a database it USEs, a table it indexes, alters, reads or
writes, an object or role it grants on or to -- is created by an earlier script or
earlier in the same one. Only objects the kit itself creates are followed.

usage: kit_order.py MSSQL_DIR [ORDER_FILE]
  ORDER_FILE: the order to check, one script a line (what `install.sh --list` prints);
  without it, install_order.txt.
"""
import pathlib
import sys

from kit_sql import literal, name_of, tokens, upper

DATABASES = {"station", "patient_data", "password", "payroll"}
# Scripts that install.sh does not run: the smoke test's and the first administrator's.
NOT_INSTALLED = ("smoke/", "create_administrator.sql")


def listed_order(path):
    lines = [line.strip() for line in path.read_text(encoding="utf-8").splitlines()]
    return [line for line in lines if line and not line.startswith("#")]


def install_order(folder):
    """The kit's scripts in the order install.sh runs them (install_order.txt)."""
    listed = folder / "install_order.txt"
    return listed_order(listed) if listed.exists() else []


def kit_scripts(folder):
    return [folder / name for name in install_order(folder) if (folder / name).exists()]


def object_name(toks, i):
    """(parts, next index) of a dotted name starting at toks[i]; Db..x gives an empty
    middle part."""
    parts = []
    while i < len(toks):
        if toks[i][0] in ("word", "bracket", "dquote") and (not parts or parts[-1] == "."):
            parts.append(name_of(toks[i]))
        elif toks[i][1] == "." and parts:
            if parts[-1] == ".":
                parts.append("")
            parts.append(".")
            i += 1
            continue
        else:
            break
        i += 1
    return [p for p in parts if p != "."], i


def qualified(parts, database):
    if len(parts) >= 3:
        return f"{parts[0]}.{parts[-1]}".lower()
    return f"{database}.{parts[-1]}".lower()


# What comes before a name a script uses: (words before it, kind of object).
USES = [(("CREATE", "INDEX", None, "ON"), "object"), (("ALTER", "TABLE"), "object"),
        (("INSERT", "INTO"), "object"), (("UPDATE",), "object"), (("DELETE", "FROM"), "object"),
        (("FROM",), "object"), (("JOIN",), "object"), (("ON",), "grant"), (("TO",), "role"),
        (("USE",), "database")]


def events(toks, database="?"):
    """(index, 'create'|'use', key) for every object the tokens create or use, also in an
    index build run from a text (built online where the edition allows it)."""
    out, grant = [], False
    words = [upper(t) for t in toks]
    for i, word in enumerate(words):
        if toks[i][0] == "string" and "CREATE INDEX" in literal(toks[i]).upper():
            out += [(i, what, key) for _, what, key in events(tokens(literal(toks[i])), database)]
            continue
        if word in ("GRANT", "REVOKE", "DENY"):
            grant = True
        elif word == ";" or word == "GO":
            grant = False
        if word == "USE" and i + 1 < len(toks):
            database = name_of(toks[i + 1]).lower()
            out.append((i, "use", "database:" + database))
            continue
        if word == "CREATE":
            j = i + 1
            if j + 1 < len(words) and words[j] == "OR" and words[j + 1] == "ALTER":
                j += 2
            kind = words[j] if j < len(words) else ""
            if kind == "DATABASE":
                out.append((i, "create", "database:" + name_of(toks[j + 1]).lower()))
            elif kind in ("TABLE", "PROCEDURE", "PROC", "VIEW", "FUNCTION"):
                parts, _ = object_name(toks, j + 1)
                out.append((i, "create", "object:" + qualified(parts, database)))
            elif kind == "ROLE":
                out.append((i, "create", f"role:{database}.{name_of(toks[j + 1]).lower()}"))
            elif kind in ("INDEX", "UNIQUE", "CLUSTERED", "NONCLUSTERED"):
                k = j
                while k < len(words) and words[k] != "ON":
                    k += 1
                parts, _ = object_name(toks, k + 1)
                if parts:
                    out.append((i, "use", "object:" + qualified(parts, database)))
            continue
        if word in ("ALTER",) and i + 1 < len(words) and words[i + 1] == "TABLE":
            parts, _ = object_name(toks, i + 2)
            out.append((i, "use", "object:" + qualified(parts, database)))
        elif word in ("INTO", "UPDATE", "FROM", "JOIN") or (word == "ON" and grant):
            j = i + 1
            if word == "ON" and j + 2 < len(toks) and toks[j + 1][1] == "::":
                j += 2
            parts, _ = object_name(toks, j)
            if parts and parts[-1] and not parts[-1].startswith(("@", "#")):
                out.append((i, "use", "object:" + qualified(parts, database)))
        elif word in ("TO", "FROM") and grant and i + 1 < len(toks):
            out.append((i, "use", f"role:{database}.{name_of(toks[i + 1]).lower()}"))
    return out


def order_problems(folder, order=None):
    order = install_order(folder) if order is None else order
    if not order:
        return ["install_order.txt is missing or lists no script"]
    problems = []
    kit = sorted(str(p.relative_to(folder)) for p in folder.rglob("*.sql")
                 if not str(p.relative_to(folder)).startswith(NOT_INSTALLED))
    for name in sorted(set(kit) - set(order)):
        problems.append(f"install order: {name} is not installed (not in install_order.txt)")
    for name in sorted(set(order) - set(kit)):
        problems.append(f"install order: {name} is listed but does not exist")
    for name in sorted({n for n in order if order.count(n) > 1}):
        problems.append(f"install order: {name} is listed more than once")
    found = [(n, name, events(tokens((folder / name).read_text(encoding="utf-8"))))
             for n, name in enumerate(order) if (folder / name).exists()]
    created = {}
    for n, name, evs in found:
        for i, what, key in evs:
            if what == "create":
                created.setdefault(key, (n, i, name))
    reported = set()
    for n, name, evs in found:
        for i, what, key in evs:
            if what != "use" or key not in created or (name, key) in reported:
                continue
            if created[key][:2] > (n, i):
                reported.add((name, key))
                problems.append(f"install order: {name} uses {key} before {created[key][2]} "
                                f"creates it")
    return problems


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    folder = pathlib.Path(argv[1])
    order = listed_order(pathlib.Path(argv[2])) if len(argv) == 3 else None
    problems = order_problems(folder, order)
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{len(order or install_order(folder))} scripts in an order that creates each object "
          f"before its use")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
