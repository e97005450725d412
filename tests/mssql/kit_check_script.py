"""What 00_check.sql must find out before the install changes anything, read from the
kit's own scripts:
  - every column the scripts create, with its type (length, scale) and nullability, is
    expected by 00_check.sql exactly so, and the check compares both on the server;
  - Station's compatibility level (130 for OPENJSON) is checked in the first script,
    before any other statement than the collation check, and a Station the install makes
    is raised to it;
  - an index built with carried columns is compared by its columns on an upgraded
    server; online builds wait at low priority where the server can;
  - a clustered index is created only where the table has none, whatever its name (a
    second clustered index stops the install with error 1902).
"""
import re

from kit_sql import closing, created_table, name_of, split_top, upper

# Words that start a table constraint, not a column, inside CREATE TABLE (...).
CONSTRAINT_WORDS = ("CONSTRAINT", "PRIMARY", "FOREIGN", "UNIQUE", "CHECK", "INDEX")
# Types whose first argument is a length in characters or bytes; others keep scale.
EXPECTED_ROW = re.compile(r"\(N'(\w+)', N'(\w+)', N'(\w+)', (?:N'\w+'|NULL), N'([\w(),]+)', "
                          r"([01]), \d+\)")


def column_shape(definition):
    """('nvarchar(30)', nullable) of a column definition's tokens (name first)."""
    words = [upper(t) for t in definition]
    type_text = words[1].lower() if len(words) > 1 else "?"
    if len(definition) > 2 and definition[2][1] == "(":
        end = closing(definition, 2)
        type_text += "(" + ",".join(t[1].lower() for t in definition[3:end] if t[1] != ",") + ")"
    text = " ".join(words)
    if "NOT NULL" in text or "PRIMARY KEY" in text:
        return type_text, False
    return type_text, True


def column_shapes(toks, database_of):
    """{database.table: {column: (type, nullable)}} of CREATE TABLE and ALTER ... ADD."""
    shapes = {}
    for i in range(len(toks) - 2):
        created = created_table(toks, i)
        if created:
            parts, j = created
            key = database_of(parts, i).lower() + "." + parts[-1].lower()
            for definition in split_top(toks[j + 1:closing(toks, j)]):
                if definition and upper(definition[0]) not in CONSTRAINT_WORDS:
                    shapes.setdefault(key, {})[name_of(definition[0])] = column_shape(definition)
        elif upper(toks[i]) == "ALTER" and upper(toks[i + 1]) == "TABLE":
            j = i + 2
            parts = []
            while j < len(toks) and upper(toks[j]) not in ("ADD", "DROP", "ALTER", ";"):
                if toks[j][1] != ".":
                    parts.append(name_of(toks[j]))
                j += 1
            if j + 1 >= len(toks) or upper(toks[j]) != "ADD" or upper(toks[j + 1]) in CONSTRAINT_WORDS:
                continue
            end = j + 1
            while end < len(toks) and upper(toks[end]) not in (";", "END", "ALTER", "INSERT"):
                end += 1
            key = database_of(parts, i).lower() + "." + parts[-1].lower()
            shapes.setdefault(key, {})[name_of(toks[j + 1])] = column_shape(toks[j + 1:end])
    return shapes


def expected_shapes(text):
    """{database.table: {column: (type, nullable)}} of 00_check.sql's expected rows."""
    expected = {}
    for db, table, column, type_text, nullable in EXPECTED_ROW.findall(text):
        expected.setdefault(f"{db}.{table}".lower(), {})[column] = (type_text, nullable == "1")
    return expected


def shape_problems(text, shapes, skip):
    problems = []
    expected = expected_shapes(text)
    for key in sorted(set(shapes) - skip):
        for column, shape in shapes[key].items():
            found = expected.get(key, {}).get(column)
            if found is not None and found != shape:
                problems.append(
                    f"00_check.sql expects {key}.{column} as {found[0]} "
                    f"{'NULL' if found[1] else 'NOT NULL'}, the scripts create "
                    f"{shape[0]} {'NULL' if shape[1] else 'NOT NULL'}")
    compact = " ".join(text.split())
    rule = "f.ColumnName IS NULL OR f.TypeName <> e.TypeName OR f.Nullable <> e.Nullable OR"
    if rule not in compact:
        problems.append(f"00_check.sql does not stop on another type or nullability ({rule})")
    return problems


def compatibility_problems(text):
    """The level check comes before anything but the collation check changes or reads."""
    compact = " ".join(text.split())
    at = compact.find("compatibility_level < 130")
    if at < 0 or "THROW" not in compact[at:at + 80]:
        return ["00_check.sql does not stop below compatibility level 130 (OPENJSON)"]
    before = compact[:at]
    for word in ("EXEC ", "INSERT ", "ALTER ", "CREATE "):
        if word in before:
            return [f"00_check.sql checks the compatibility level after an {word.strip()}"]
    return []


def new_station_level_problems(folder):
    """A Station the install makes takes the model database's level: 01_databases.sql
    raises it below 130 (after creating it) and stops if it is still below."""
    path = folder / "01_databases.sql"
    compact = " ".join(path.read_text(encoding="utf-8").split()) if path.exists() else ""
    created = compact.find("CREATE DATABASE Station")
    raised = compact.find("SET COMPATIBILITY_LEVEL")
    checked = compact.rfind("WHERE name = N'Station') < 130")
    if created < 0 or raised < created or checked < raised or "THROW" not in compact[checked:]:
        return ["01_databases.sql does not raise a new Station to compatibility level 130 "
                "(OPENJSON) and stop when it stays below"]
    return []


def clustered_problems(scripts):
    """Every CREATE CLUSTERED INDEX is guarded by 'no clustered index yet' (type = 1)."""
    problems = []
    for path in scripts:
        compact = " ".join(path.read_text(encoding="utf-8").split())
        for match in re.finditer(r"CREATE (?:UNIQUE )?CLUSTERED INDEX (\w+)", compact):
            guard = compact[max(0, match.start() - 300):match.start()]
            if not re.search(r"IF NOT EXISTS \( SELECT 1 FROM sys\.indexes WHERE type = 1 AND "
                             r"object_id = OBJECT_ID\(", guard.replace("(SELECT", "( SELECT")):
                problems.append(f"{path.name}: {match.group(1)} is created unless an index of "
                                f"that name exists; any clustered index must count (1902)")
    return problems


def online_problems(folder):
    """An index the upgrade adds to a table that may be large is built online where the
    edition can: its CREATE INDEX is a text run with the option the engine edition allows,
    never a plain statement."""
    from kit_sql import literal, tokens

    problems = []
    paths = [folder / "05_station_history_indexes.sql"] + sorted(folder.glob("migrations/*.sql"))
    for path in paths:
        if not path.exists():
            continue
        toks = tokens(path.read_text(encoding="utf-8"))
        words = [upper(t) for t in toks]
        for i in range(len(words) - 1):
            if words[i] == "CREATE" and words[i + 1] in ("INDEX", "UNIQUE", "NONCLUSTERED"):
                problems.append(f"{path.name}: an index built offline on every edition "
                                f"(build it through a text with the options of "
                                f"dbo.TALO_OnlineIndexOption)")
                break
        built = [t for t in toks if t[0] == "string"
                 and re.search(r"CREATE (UNIQUE )?INDEX", literal(t), re.IGNORECASE)]
        if built and "TALO_ONLINEINDEXOPTION" not in {upper(t) for t in toks}:
            problems.append(f"{path.name}: builds an index without the options of "
                            f"dbo.TALO_OnlineIndexOption (online where the edition allows it)")
    return problems + online_option_problems(folder)


# What dbo.TALO_OnlineIndexOption must ask and answer: online where the edition can,
# waiting at low priority where the server's version can.
ONLINE_OPTION_WORDS = ("EngineEdition", "ONLINE = ON", "WAIT_AT_LOW_PRIORITY", "ProductMajorVersion")


def online_option_problems(folder):
    path = folder / "05_station.sql"
    text = path.read_text(encoding="utf-8") if path.exists() else ""
    match = re.search(r"CREATE OR ALTER FUNCTION dbo\.TALO_OnlineIndexOption\b(.*?)^GO\s*$", text,
                      re.DOTALL | re.MULTILINE)
    if not match:
        return ["05_station.sql does not create dbo.TALO_OnlineIndexOption"]
    return [f"dbo.TALO_OnlineIndexOption does not build online, waiting at low priority, where "
            f"the server allows it (lacks {word})"
            for word in ONLINE_OPTION_WORDS if word not in match.group(1)]


INDEX_TEXT = re.compile(r"CREATE (?:UNIQUE )?INDEX (\w+) ON [\w.]+ ?\(([^)]*)\)"
                        r"(?: INCLUDE \(([^)]*)\))?", re.IGNORECASE)
COMPARED_ROW = re.compile(r"\(N'(\w+)', N'(\w+)', ([01]), (\d+)\)")


def index_column_problems(folder):
    """Each index built with carried columns is compared by its columns on an upgraded
    server (a table of (index, column, carried, position) rows), not found by its name
    only: the rows equal the columns the kit builds it with."""
    from kit_order import kit_scripts
    from kit_sql import literal, tokens

    built, compared = {}, {}
    for path in kit_scripts(folder):
        text = path.read_text(encoding="utf-8")
        joined = "".join(literal(t) for t in tokens(text) if t[0] == "string")
        for name, keys, carried in INDEX_TEXT.findall(" ".join(joined.split())):
            if carried:
                built[name.lower()] = (
                    {(c.strip().lower(), 0, i + 1) for i, c in enumerate(keys.split(","))}
                    | {(c.strip().lower(), 1, 0) for c in carried.split(",")})
        for name, column, included, position in COMPARED_ROW.findall(text):
            compared.setdefault(name.lower(), set()).add(
                (column.lower(), int(included), int(position)))
    return [f"index {name}: found by its name only, or compared with other columns than it "
            f"is built with ({sorted(columns)})"
            for name, columns in sorted(built.items()) if compared.get(name) != columns]
