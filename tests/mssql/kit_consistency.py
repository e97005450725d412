#!/usr/bin/env python3
"""Keeps the SQL Server scripts in step with the embedded store.

Compares, by name: every procedure (parameter count, result column names in order, the
texts of its validation errors in the order they are checked, the length limit of each
parameter) and every table (column names in order, after the migrations' added
columns) of the embedded store's SQL resources with the T-SQL scripts. Checks the
kit's own rules: each procedure granted EXECUTE to exactly the role its embedded header
names, write procedures under a savepoint inside a caller's transaction, and the
columns 00_check.sql expects equal to the tables the scripts create.
Prints each difference and exits 1 when there is one.

usage: kit_consistency.py EMBEDDED_DIR MSSQL_DIR
  EMBEDDED_DIR holds procedures/*.sql (header "-- parameters: a, b") and schema/*.sql
  MSSQL_DIR holds the T-SQL scripts (any *.sql below it)
"""
import pathlib
import re
import sys

from kit_check_script import (EXPECTED_ROW, clustered_problems, column_shapes,
                              compatibility_problems, index_column_problems,
                              new_station_level_problems,
                              online_problems, shape_problems)
from kit_grants import kit_grants, refusal_problems, taken_back_problems, write_problems
from kit_history import listed_grants
from kit_sql import closing, created_table, literal, name_of, split_top, tokens, upper
from kit_order import kit_scripts, order_problems
from kit_rules import (NUL_MESSAGE, digit_function_problems, embedded_closed_day_problems,
                       embedded_dates, json_function_problems, procedure_rule_problems,
                       script_time_problems, shared_read_problems, undeclared_problems)

STATEMENT_START = {";", "BEGIN", "AS", "ELSE", None}
CLAUSE_END = {"FROM", "WHERE", "ORDER", "GROUP", "UNION", "EXCEPT", "INTERSECT", "HAVING",
              "INTO", ";"}


def column_name(item):
    """The name a select-list item gives its column: its alias, else the column."""
    depth = 0
    for i, tok in enumerate(item):
        if tok[1] == "(":
            depth += 1
        elif tok[1] == ")":
            depth -= 1
        elif depth == 0 and upper(tok) == "AS" and i + 1 < len(item):
            return name_of(item[i + 1])
    last = item[-1]
    if last[0] in ("word", "bracket", "dquote"):
        return name_of(last)
    return "?"


def select_lists(toks):
    """Column names of every SELECT that returns rows to the caller, in order."""
    results = []
    depth = 0
    previous = None
    for i, tok in enumerate(toks):
        if tok[1] == "(":
            depth += 1
        elif tok[1] == ")":
            depth -= 1
        if depth == 0 and upper(tok) == "SELECT" and previous in STATEMENT_START:
            items = []
            j = i + 1
            while j < len(toks) and upper(toks[j]) in ("DISTINCT", "ALL"):
                j += 1
            if j < len(toks) and upper(toks[j]) == "TOP":
                j += 2 if toks[j + 1][1] != "(" else 4
            inner = 0
            while j < len(toks):
                t = toks[j]
                if t[1] == "(":
                    inner += 1
                elif t[1] == ")":
                    inner -= 1
                if inner == 0 and upper(t) in CLAUSE_END:
                    break
                items.append(t)
                j += 1
            columns = split_top(items)
            first = columns[0] if columns else []
            assigns = len(first) > 1 and first[0][1].startswith("@") and first[1][1] == "="
            raises = bool(first) and first[0][1].lower() == "talo_raise"
            if not assigns and not raises:
                results.append([column_name(c) for c in columns])
        previous = upper(tok) if depth == 0 else previous
        if depth == 0 and tok[1] == ")":
            previous = ")"
    return results


def message_of(parts):
    """A message built from pieces: literals as they are, anything else as {}."""
    out = []
    for piece in parts:
        if len(piece) == 1 and piece[0][0] == "string":
            out.append(literal(piece[0]))
        else:
            out.append("{}")
    return "".join(out)


def embedded_messages(toks):
    """The texts of talo_raise(...) in order, with {} for each inserted value."""
    messages = []
    for i, tok in enumerate(toks):
        if tok[1].lower() == "talo_raise" and i + 1 < len(toks) and toks[i + 1][1] == "(":
            end = closing(toks, i + 1)
            messages.append(message_of(split_top(toks[i + 2:end], "||")))
    return messages


def mssql_messages(toks):
    """The texts of THROW 50000, ... in order: a literal, or the CONCAT last set to the
    variable that THROW names."""
    messages, assigned = [], {}
    for i, tok in enumerate(toks):
        word = upper(tok)
        if (word == "SET" and i + 3 < len(toks) and toks[i + 1][1].startswith("@")
                and toks[i + 2][1] == "=" and upper(toks[i + 3]) == "CONCAT"):
            end = closing(toks, i + 4)
            assigned[toks[i + 1][1].lower()] = message_of(split_top(toks[i + 5:end]))
        elif word == "THROW" and i + 3 < len(toks) and toks[i + 2][1] == ",":
            value = toks[i + 3]
            if value[0] == "string":
                messages.append(literal(value))
            else:
                messages.append(assigned.get(value[1].lower(), "{?}"))
    return messages


def length_checks(toks, function, parameter_prefix, per_character):
    """{parameter: characters} of every `function(<param>) > n` in the tokens."""
    limits = {}
    for i in range(len(toks) - 5):
        if (toks[i][1].lower() == function and toks[i + 1][1] == "("
                and toks[i + 2][1].startswith(parameter_prefix) and toks[i + 3][1] == ")"
                and toks[i + 4][1] == ">" and toks[i + 5][0] == "number"):
            name = toks[i + 2][1][len(parameter_prefix):].lower()
            limits[name] = int(toks[i + 5][1]) // per_character
    return limits


def embedded_procedures(folder):
    procs = {}
    for path in sorted((folder / "procedures").glob("*.sql")):
        text = path.read_text(encoding="utf-8")
        header = re.search(r"^--[ \t]*parameters:[ \t]*(.*)$", text, re.MULTILINE | re.IGNORECASE)
        params = ([p.strip().strip("[]").strip() for p in header.group(1).split(",") if p.strip()]
                  if header else [])
        role = re.search(r"^--[ \t]*role:[ \t]*([\w, ]+)", text, re.MULTILINE | re.IGNORECASE)
        toks = tokens(text)
        lists = select_lists(toks)
        procs[path.stem.lower()] = (path.stem, params, lists[-1] if lists else [],
                                    embedded_messages(toks),
                                    length_checks(toks, "talo_length", ":", 1),
                                    role.group(1).lower() if role else None)
    return procs


def mssql_procedures(folder):
    procs = {}
    for path in sorted(folder.rglob("*.sql")):
        text = path.read_text(encoding="utf-8")
        for batch in re.split(r"^\s*GO\s*$", text, flags=re.MULTILINE | re.IGNORECASE):
            toks = tokens(batch)
            words = [upper(t) for t in toks]
            for i in range(len(words) - 1):
                if words[i] in ("PROCEDURE", "PROC") and "CREATE" in words[max(0, i - 3):i]:
                    name_toks = []
                    j = i + 1
                    while j < len(toks) and (toks[j][1] == "." or not name_toks
                                             or name_toks[-1][1] == "."):
                        name_toks.append(toks[j])
                        j += 1
                    name = name_of(name_toks[-1])
                    params = []
                    while j < len(toks) and words[j] != "AS":
                        if toks[j][1].startswith("@") and (not params or toks[j - 1][1] == ","):
                            params.append(toks[j][1][1:])
                        j += 1
                    lists = select_lists(toks[j:])
                    procs[name.lower()] = (name, params, lists[-1] if lists else [], path,
                                           mssql_messages(toks[j:]),
                                           length_checks(toks[j:], "datalength", "@", 2))
                    break
    return procs


def table_columns(toks, database_of):
    """{database.table: [columns]} of every CREATE TABLE in the tokens."""
    tables = {}
    for i in range(len(toks) - 2):
        created = created_table(toks, i)
        if created:
            parts, j = created
            depth, body = 0, []
            for tok in toks[j:]:
                if tok[1] == "(":
                    depth += 1
                    if depth == 1:
                        continue
                elif tok[1] == ")":
                    depth -= 1
                    if depth == 0:
                        break
                body.append(tok)
            columns = [name_of(d[0]) for d in split_top(body) if d and upper(d[0]) not in
                       ("CONSTRAINT", "PRIMARY", "FOREIGN", "UNIQUE", "CHECK", "INDEX")]
            key = database_of(parts, i).lower() + "." + parts[-1].lower()
            tables[key] = (parts[-1], columns)
    # Columns a later step adds: ALTER TABLE x ADD [COLUMN] name ...
    for i in range(len(toks) - 2):
        if upper(toks[i]) == "ALTER" and upper(toks[i + 1]) == "TABLE":
            j = i + 2
            parts = []
            while j < len(toks) and upper(toks[j]) not in ("ADD", "DROP", "ALTER", ";"):
                if toks[j][1] != ".":
                    parts.append(name_of(toks[j]))
                j += 1
            if j + 1 >= len(toks) or upper(toks[j]) != "ADD":
                continue
            column = toks[j + 2] if upper(toks[j + 1]) == "COLUMN" else toks[j + 1]
            if upper(column) in ("CONSTRAINT", "PRIMARY", "FOREIGN", "UNIQUE", "CHECK", "INDEX"):
                continue
            key = database_of(parts, i).lower() + "." + parts[-1].lower()
            if key in tables:
                tables[key][1].append(name_of(column))
    return tables


def embedded_tables(folder):
    # Schema steps in the order they run (by number), every file's tokens in one run.
    paths = sorted((folder / "schema").glob("*.sql"), key=lambda p: (int(p.name.split("_")[0]),
                                                                     p.name))
    toks = [t for path in paths for t in tokens(path.read_text(encoding="utf-8"))]
    return table_columns(toks, lambda parts, _: parts[0] if len(parts) > 1 else "?")


# Tables of the SQL Server kit that the embedded store keeps in another form: the
# schema version is its files' user_version.
KIT_ONLY_TABLES = {"station.tbtaloschemaversion"}


def mssql_tables(folder):
    toks = []
    for path in kit_scripts(folder):
        toks += tokens(path.read_text(encoding="utf-8")) + [("op", ";")]
    uses = [(i, name_of(toks[i + 1])) for i in range(len(toks) - 1) if upper(toks[i]) == "USE"]

    def database_of(parts, at):
        if len(parts) == 3:
            return parts[0]
        current = [db for i, db in uses if i < at]
        return current[-1] if current else "?"

    return table_columns(toks, database_of), column_shapes(toks, database_of)


# How a write procedure keeps a caller's transaction usable when it refuses: under
# XACT_ABORT ON only when alone, under a savepoint otherwise, rolled back to it. The
# savepoint's name is the procedure's own ({}), so one procedure may call another.
SAVEPOINT_RULES = [
    "DECLARE @OUTER INT = @@TRANCOUNT",
    "IF @OUTER = 0 SET XACT_ABORT ON ; ELSE SET XACT_ABORT OFF",
    "IF @OUTER = 0 BEGIN TRANSACTION ; ELSE SAVE TRANSACTION {}",
    "IF @OUTER = 0 COMMIT TRANSACTION",
    "ROLLBACK TRANSACTION {}",
]


def savepoint_names(words):
    return set(re.findall(r"\bSAVE TRANSACTION (\w+)", words))


def script_rules(folder):
    """What every procedure script must do to run again harmlessly and fail cleanly."""
    problems = []
    savepoints = {}
    for name, params, columns, path, _, _ in mssql_procedures(folder).values():
        text = path.read_text(encoding="utf-8")
        words = " ".join(upper(t) for t in tokens(text))
        if "CREATE OR ALTER PROCEDURE" not in words:
            problems.append(f"procedure {name}: not created with CREATE OR ALTER ({path})")
        if "SET NOCOUNT ON" not in words:
            problems.append(f"procedure {name}: does not SET NOCOUNT ON ({path})")
        # A text such as N'INSERT' (an audit row's action) writes nothing.
        code = " ".join(upper(t) for t in tokens(text) if t[0] != "string")
        writes = re.search(r"\b(INSERT|UPDATE|DELETE)\b", code.split(" AS ", 1)[-1])
        if not writes:
            continue
        names = savepoint_names(words)
        if len(names) > 1:
            problems.append(f"procedure {name}: more than one savepoint name {sorted(names)} "
                            f"({path})")
        savepoint = min(names) if names else "?"
        if len(savepoint) > 32:
            problems.append(f"procedure {name}: savepoint name {savepoint} is longer than 32 "
                            f"characters ({path})")
        savepoints.setdefault(savepoint, []).append(name)
        missing = [rule.format(savepoint) for rule in SAVEPOINT_RULES
                   if rule.format(savepoint) not in words]
        if missing:
            problems.append(f"procedure {name}: changes data without its own transaction or "
                            f"the caller's savepoint: lacks {missing[0]!r} ({path})")
    for savepoint, names in sorted(savepoints.items()):
        if len(names) > 1 and savepoint != "?":
            problems.append(f"savepoint {savepoint.lower()} is used by {len(names)} procedures "
                            f"({', '.join(sorted(names))}): each needs its own")
    return problems


def role_problems(ours, folder):
    grants = kit_grants(folder)
    problems = [f"EXECUTE on a whole schema granted to {g.principal} ({g.path.name})"
                for g in grants if g.target.upper().startswith("SCHEMA")]
    executes = {}
    for g in grants:
        if "EXECUTE" in g.permissions and g.database == "station":
            executes.setdefault(g.target.lower(), []).append(g.principal)
    for key, (name, *_rest, role) in sorted(ours.items()):
        expected = sorted(f"talodesk_{r.strip()}" for r in role.split(",")) if role else []
        if not role:
            problems.append(f"procedure {name}: no '-- role:' header in the embedded store")
        elif sorted(executes.get(key, [])) != expected:
            problems.append(f"procedure {name}: EXECUTE granted to {sorted(executes.get(key, []))}, "
                            f"its roles are {expected}")
    problems += taken_back_problems(folder, listed_grants())
    return problems + write_problems(folder, grants) + refusal_problems(folder)


def length_problems(name, params, limits, tlimits, path):
    problems = []
    for param in params:
        ours, theirs = limits.get(param.lower()), tlimits.get(param.lower())
        if ours is None:
            problems.append(f"procedure {name}: no length check of {param} in the embedded store")
        if theirs is None:
            problems.append(f"procedure {name}: no length check of @{param} in {path}")
        if ours is not None and theirs is not None and ours != theirs:
            problems.append(f"procedure {name}: {param} is limited to {ours} characters in the "
                            f"embedded store, {theirs} in {path}")
    return problems


def check_script_problems(folder, tables, shapes):
    """00_check.sql must expect exactly the columns the scripts create, as they create
    them, check the compatibility level first, and know the last migration's version."""
    path = folder / "00_check.sql"
    if not path.exists():
        return ["00_check.sql is missing"]
    text = path.read_text(encoding="utf-8")
    problems = []
    expected = {}
    for db, table, column, _, _ in EXPECTED_ROW.findall(text):
        expected.setdefault(f"{db}.{table}".lower(), []).append(column)
    created = {key: columns for key, (_, columns) in tables.items() if key not in KIT_ONLY_TABLES}
    for key in sorted(set(expected) | set(created)):
        if expected.get(key) != created.get(key):
            problems.append(f"00_check.sql expects {key} columns {expected.get(key)}, the scripts "
                            f"create {created.get(key)}")
    problems += shape_problems(text, shapes, KIT_ONLY_TABLES) + compatibility_problems(text)
    problems += clustered_problems(kit_scripts(folder)) + online_problems(folder)
    problems += new_station_level_problems(folder) + index_column_problems(folder)
    version = re.search(r"@kitVersion INT = (\d+)", text)
    steps = [int(p.name.split("_")[0]) for p in folder.glob("migrations/*.sql")]
    last = max(steps, default=1)
    if not version or int(version.group(1)) != last:
        problems.append(f"00_check.sql names kit version {version.group(1) if version else None}, "
                        f"the last migration is {last}")
    return problems


def runner_problems(embedded_dir):
    """The embedded store refuses NUL in any argument with the words the kit uses."""
    path = embedded_dir / "ProcedureRunner.cpp"
    if not path.exists() or f'"{NUL_MESSAGE}"' not in path.read_text(encoding="utf-8"):
        return [f"the embedded store's procedure runner does not refuse NUL with "
                f"'{NUL_MESSAGE}' ({path})"]
    return []


def json_nul_problems(embedded_dir, name, kit_path):
    """The JSON arguments whose escaped NUL the runner refuses are those the kit checks."""
    source = embedded_dir / "procedures" / f"{name}.sql"
    if not source.exists():
        return []
    header = re.search(r"^-- json:(.*)$", source.read_text(encoding="utf-8"), re.MULTILINE)
    ours = {p.strip().lower() for p in header.group(1).split(",")} if header else set()
    kit = pathlib.Path(kit_path).read_text(encoding="utf-8")
    theirs = {v.lower() for v in re.findall(r"TALO_JsonHasNul\(@(\w+)\)", kit, re.IGNORECASE)}
    if ours != theirs:
        return [f"procedure {name}: JSON arguments checked for NUL {sorted(ours)} in the "
                f"embedded store, {sorted(theirs)} in {kit_path}"]
    return []


def compare(embedded_dir, mssql_dir):
    problems = order_problems(mssql_dir) + script_rules(mssql_dir)
    ours, theirs = embedded_procedures(embedded_dir), mssql_procedures(mssql_dir)
    problems += role_problems(ours, mssql_dir)
    problems += procedure_rule_problems({key: (t[0], t[3], t[1]) for key, t in theirs.items()},
                                        embedded_dates(embedded_dir))
    problems += digit_function_problems(mssql_dir) + runner_problems(embedded_dir)
    problems += embedded_closed_day_problems(embedded_dir)
    problems += shared_read_problems(embedded_dir, {key: t[3] for key, t in theirs.items()})
    problems += json_function_problems(mssql_dir) + script_time_problems(kit_scripts(mssql_dir))
    problems += undeclared_problems(kit_scripts(mssql_dir))
    for key in sorted(set(ours) | set(theirs)):
        if key not in theirs:
            problems.append(f"procedure {ours[key][0]}: in the embedded store only")
            continue
        if key not in ours:
            problems.append(f"procedure {theirs[key][0]}: in the SQL Server scripts only "
                            f"({theirs[key][3]})")
            continue
        name, params, columns, messages, limits, _ = ours[key]
        _, tparams, tcolumns, path, tmessages, tlimits = theirs[key]
        # The embedded store refuses NUL before the procedure runs, in a plain argument or
        # escaped in a JSON one (those its header names "-- json:"); the kit's procedures
        # as their first checks (the rules above prove it), so that refusal is not the
        # body's.
        tmessages = [m for m in tmessages if m != NUL_MESSAGE]
        problems += json_nul_problems(embedded_dir, name, path)
        if len(params) != len(tparams):
            problems.append(f"procedure {name}: {len(params)} parameters in the embedded store, "
                            f"{len(tparams)} in {path}")
        if columns != tcolumns:
            problems.append(f"procedure {name}: result columns {columns} in the embedded store, "
                            f"{tcolumns} in {path}")
        # The same refusals, with the same texts, checked in the same order.
        if messages != tmessages:
            problems.append(f"procedure {name}: error texts {messages} in the embedded store, "
                            f"{tmessages} in {path}")
        problems += length_problems(name, params, limits, tlimits, path)
    ours_t, (theirs_t, shapes) = embedded_tables(embedded_dir), mssql_tables(mssql_dir)
    problems += check_script_problems(mssql_dir, theirs_t, shapes)
    for key in sorted(set(ours_t) | set(theirs_t) - KIT_ONLY_TABLES):
        if key not in theirs_t:
            problems.append(f"table {key}: in the embedded store only")
        elif key not in ours_t:
            problems.append(f"table {key}: in the SQL Server scripts only")
        elif ours_t[key][1] != theirs_t[key][1]:
            problems.append(f"table {key}: columns {ours_t[key][1]} in the embedded store, "
                            f"{theirs_t[key][1]} in the SQL Server scripts")
    return problems, len(ours), len(ours_t)


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    problems, procedures, tables = compare(pathlib.Path(argv[1]), pathlib.Path(argv[2]))
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{procedures} procedures and {tables} tables agree")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
