#!/usr/bin/env python3
"""Keeps the SQL Server scripts in step with the embedded store.

Compares, by name: every procedure (parameter count, result column names in order, the
texts of its validation errors in the order they are checked) and
every table (column names in order) of the embedded store's SQL resources with the
T-SQL scripts. Prints each difference and exits 1 when there is one.

usage: kit_consistency.py EMBEDDED_DIR MSSQL_DIR
  EMBEDDED_DIR holds procedures/*.sql (header "-- parameters: a, b") and schema/*.sql
  MSSQL_DIR holds the T-SQL scripts (any *.sql below it)
"""
import pathlib
import re
import sys

TOKEN = re.compile(
    r"""
    (?P<ws>\s+)
  | (?P<comment>--[^\n]*|/\*.*?\*/)
  | (?P<string>[Nn]?'(?:[^']|'')*')
  | (?P<bracket>\[[^\]]*\])
  | (?P<dquote>"[^"]*")
  | (?P<word>@{0,2}[A-Za-z_][A-Za-z0-9_$#]*|:[A-Za-z_][A-Za-z0-9_]*)
  | (?P<number>\d+(?:\.\d*)?)
  | (?P<op>\|\||<>|<=|>=|!=|::|[(),;.=<>+\-*/%|&^~!])
    """,
    re.VERBOSE | re.DOTALL,
)

STATEMENT_START = {";", "BEGIN", "AS", "ELSE", None}
CLAUSE_END = {"FROM", "WHERE", "ORDER", "GROUP", "UNION", "EXCEPT", "INTERSECT", "HAVING",
              "INTO", ";"}


def tokens(text):
    """Significant tokens as (kind, text); comments and blanks dropped."""
    out = []
    pos = 0
    while pos < len(text):
        match = TOKEN.match(text, pos)
        if not match:
            out.append(("op", text[pos]))
            pos += 1
            continue
        pos = match.end()
        kind = match.lastgroup
        if kind in ("ws", "comment"):
            continue
        out.append((kind, match.group()))
    return out


def upper(token):
    return token[1].upper() if token[0] == "word" else token[1]


def name_of(token):
    """An identifier without its quoting: [TIME] -> TIME, "x" -> x."""
    kind, text = token
    if kind in ("bracket", "dquote"):
        return text[1:-1]
    return text


def split_top(toks, separator=","):
    parts, depth, current = [], 0, []
    for tok in toks:
        if tok[1] == "(":
            depth += 1
        elif tok[1] == ")":
            depth -= 1
        if depth == 0 and tok[1] == separator:
            parts.append(current)
            current = []
        else:
            current.append(tok)
    if current:
        parts.append(current)
    return parts


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


def literal(token):
    text = token[1]
    if text[:1] in "Nn":
        text = text[1:]
    return text[1:-1].replace("''", "'")


def message_of(parts):
    """A message built from pieces: literals as they are, anything else as {}."""
    out = []
    for piece in parts:
        if len(piece) == 1 and piece[0][0] == "string":
            out.append(literal(piece[0]))
        else:
            out.append("{}")
    return "".join(out)


def closing(toks, start):
    """Index of the parenthesis that closes the one at toks[start]."""
    depth = 0
    for i in range(start, len(toks)):
        if toks[i][1] == "(":
            depth += 1
        elif toks[i][1] == ")":
            depth -= 1
            if depth == 0:
                return i
    return len(toks) - 1


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


def embedded_procedures(folder):
    procs = {}
    for path in sorted((folder / "procedures").glob("*.sql")):
        text = path.read_text(encoding="utf-8")
        header = re.search(r"^--\s*parameters:\s*(.*)$", text, re.MULTILINE | re.IGNORECASE)
        params = [p.strip() for p in header.group(1).split(",") if p.strip()] if header else []
        toks = tokens(text)
        lists = select_lists(toks)
        procs[path.stem.lower()] = (path.stem, params, lists[-1] if lists else [],
                                    embedded_messages(toks))
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
                                           mssql_messages(toks[j:]))
                    break
    return procs


def table_columns(toks, database_of):
    """{database.table: [columns]} of every CREATE TABLE in the tokens."""
    tables = {}
    for i in range(len(toks) - 2):
        if upper(toks[i]) == "CREATE" and upper(toks[i + 1]) == "TABLE":
            j = i + 2
            parts = []
            while toks[j][1] != "(":
                if toks[j][1] != ".":
                    parts.append(name_of(toks[j]))
                j += 1
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
    return tables


def embedded_tables(folder):
    tables = {}
    for path in sorted((folder / "schema").glob("*.sql")):
        toks = tokens(path.read_text(encoding="utf-8"))
        tables.update(table_columns(toks, lambda parts, _: parts[0] if len(parts) > 1 else "?"))
    return tables


def mssql_tables(folder):
    tables = {}
    for path in sorted(folder.rglob("*.sql")):
        toks = tokens(path.read_text(encoding="utf-8"))
        uses = [(i, name_of(toks[i + 1])) for i in range(len(toks) - 1) if upper(toks[i]) == "USE"]

        def database_of(parts, at, uses=uses):
            if len(parts) == 3:
                return parts[0]
            current = [db for i, db in uses if i < at]
            return current[-1] if current else "?"

        tables.update(table_columns(toks, database_of))
    return tables


def script_rules(folder):
    """What every procedure script must do to run again harmlessly and fail cleanly."""
    problems = []
    for name, params, columns, path, _ in mssql_procedures(folder).values():
        text = path.read_text(encoding="utf-8")
        words = " ".join(upper(t) for t in tokens(text))
        if "CREATE OR ALTER PROCEDURE" not in words:
            problems.append(f"procedure {name}: not created with CREATE OR ALTER ({path})")
        if "SET NOCOUNT ON" not in words:
            problems.append(f"procedure {name}: does not SET NOCOUNT ON ({path})")
        writes = re.search(r"\b(INSERT|UPDATE|DELETE)\b", words.split(" AS ", 1)[-1])
        if writes and not ("SET XACT_ABORT ON" in words and "BEGIN TRANSACTION" in words):
            problems.append(f"procedure {name}: changes data outside a transaction with "
                            f"XACT_ABORT ON ({path})")
    return problems


def compare(embedded_dir, mssql_dir):
    problems = script_rules(mssql_dir)
    ours, theirs = embedded_procedures(embedded_dir), mssql_procedures(mssql_dir)
    for key in sorted(set(ours) | set(theirs)):
        if key not in theirs:
            problems.append(f"procedure {ours[key][0]}: in the embedded store only")
            continue
        if key not in ours:
            problems.append(f"procedure {theirs[key][0]}: in the SQL Server scripts only "
                            f"({theirs[key][3]})")
            continue
        name, params, columns, messages = ours[key]
        _, tparams, tcolumns, path, tmessages = theirs[key]
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
    ours_t, theirs_t = embedded_tables(embedded_dir), mssql_tables(mssql_dir)
    for key in sorted(set(ours_t) | set(theirs_t)):
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
