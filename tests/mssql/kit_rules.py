"""Rules every procedure of the SQL Server kit keeps, read from its tokens:
  - a JSON argument is proven an array by dbo.TALO_IsJsonArray, the one function that
    does it whatever blanks, tabs or line breaks come before it (ISJSON with
    OPENJSON(CONCAT(N'[', @json, N']')), never LTRIM, which takes only blanks away); no
    procedure proves it again in its own way; a NUL escaped in it is refused with
    dbo.TALO_JsonHasNul, as the embedded store refuses it before any procedure runs; and a
    procedure that reads the elements first proves each one is the array or the text it
    reads (true or 12 is no meal mode);
  - times are cut to the second, never rounded, in every script (a procedure, or a
    migration's version row): no conversion to DATETIME,
    SMALLDATETIME or a DATETIME2/TIME of fewer than 7 digits from anything but a text
    already cut at the second (CONVERT(NCHAR(19), ..., 120)), a date or a literal
    (23:59:59.5 rounded is tomorrow);
  - a procedure that pages reads its numbers with TRY_CONVERT: a CAST or CONVERT that
    raises 245 on a wrong text is not a refusal with a message;
  - NUL in any text argument is refused first, with the words the embedded store uses
    before any procedure runs (IF 1 IN (dbo.TALO_HasNul(@a), ...) THROW ...), every
    argument named;
  - every argument the embedded store reads as a date is refused as no date when it
    holds a digit of another script (IF dbo.TALO_HasNonAsciiDigit(@a) = 1 SET @v = NULL,
    @v the date read from it), and the function knows every such digit there is.
  - the meals counted against a block limit are counted under an exclusive application
    lock that the transaction holds (two counters cannot both take the last meal);
  - a guard that reads the managers does so under the transaction's exclusive
    application lock talo_managers (two administrators cannot both remove one of the
    last two);
  - an audit row about an employee or a tag names the employee (and a tag its meal type),
    so the changes log reads as a sentence with names, not codes only;
  - a procedure that runs alone or inside its caller's transaction first opens a
    caller's implicit transaction (autocommit off through ODBC), so the first line of an
    order is not saved as if alone;
  - every procedure that records or revokes a distributed meal reads the day through
    which the meals are closed (tbTALOSiteSetting.ClosedThrough) before it writes, on
    both sides, so a month sent to payroll stays as it was sent;
  - procedures that must select the same rows (a page and its count) read the table only
    through the one function (kit) and the one shared part (store) that filters it, and
    take a rule they share (the history's date range) from the one function on each side.
"""
import functools
import pathlib
import re
import unicodedata

from kit_sql import closing, literal, split_top, tokens, upper

NUL_MESSAGE = "Text arguments must not contain the NUL character."

ROUNDED_TYPES = {"DATETIME", "SMALLDATETIME", "DATETIME2", "TIME", "DATETIMEOFFSET"}
NUMBER_TYPES = {"INT", "BIGINT", "SMALLINT", "TINYINT", "DECIMAL", "NUMERIC", "MONEY"}
# Procedures allowed to keep a rounding clock (none: every time is cut to the second).
ROUNDING_LEFT: set[str] = set()


def conversions(toks):
    """(function, type tokens, argument tokens) of each CAST/CONVERT and TRY_ form."""
    for i, tok in enumerate(toks):
        word = upper(tok)
        if word not in ("CAST", "TRY_CAST", "CONVERT", "TRY_CONVERT"):
            continue
        if i + 1 >= len(toks) or toks[i + 1][1] != "(":
            continue
        end = closing(toks, i + 1)
        inside = toks[i + 2:end]
        if word.endswith("CAST"):
            depth, at = 0, None
            for j, t in enumerate(inside):
                depth += t[1] == "("
                depth -= t[1] == ")"
                if depth == 0 and upper(t) == "AS":
                    at = j
            if at is not None:
                yield word, inside[at + 1:], inside[:at]
        else:
            parts = split_top(inside)
            if len(parts) >= 2:
                yield word, parts[0], parts[1]


def rounds(type_toks):
    """True when converting a finer time to this type rounds it."""
    if not type_toks or upper(type_toks[0]) not in ROUNDED_TYPES:
        return False
    if upper(type_toks[0]) in ("DATETIME", "SMALLDATETIME"):
        return True
    digits = [t[1] for t in type_toks if t[0] == "number"]
    return bool(digits) and int(digits[0]) < 7


def cut_at_second(argument, dates):
    """A literal, NULL, a DATE variable, a conversion to DATE, or text cut at the second."""
    words = [upper(t) for t in argument]
    if len(argument) == 1:
        return argument[0][0] == "string" or words[0] == "NULL" or words[0].lower() in dates
    if len(argument) == 3 and words[1] == ".":
        return words[2].lower() in dates
    text = " ".join(words)
    if text.startswith("DATEADD ( DAY ,") and argument[-1][1] == ")":
        return cut_at_second(split_top(argument[2:-1])[-1], dates)
    return (text.startswith("CONVERT ( NCHAR ( 19 )") and text.endswith(", 120 )")
            or text.startswith("CAST (") and text.endswith("AS DATE )"))


# CASE orders the tests (AND may read OPENJSON first, which raises on text not JSON).
ARRAY_SHAPE = "CASE WHEN ISJSON ( {0} ) IS NULL OR ISJSON ( {0} ) = 0 THEN 0 " \
              "WHEN ( SELECT TOP ( 1 ) J . [type] FROM OPENJSON ( CONCAT ( " \
              "N'[' , {0} , N']' ) ) AS J ) = 4"


def json_function_problems(kit_dir):
    """The one function that proves a JSON argument an array does so after any blank."""
    for path in sorted(kit_dir.rglob("*.sql")):
        for batch in re.split(r"^\s*GO\s*$", path.read_text(encoding="utf-8"), flags=re.M):
            words = " ".join(upper(t) for t in tokens(batch))
            if "FUNCTION DBO . TALO_ISJSONARRAY" in words:
                if ARRAY_SHAPE.format("@JSON") in words:
                    return []
                return [f"{path.name}: dbo.TALO_IsJsonArray does not prove an array when a line "
                        f"break or tab comes before it"]
    return ["no script creates dbo.TALO_IsJsonArray"]


def json_problems(name, text, toks):
    problems = []
    words = " ".join(upper(t) for t in toks)
    if "ISJSON (" in words:
        problems.append(f"procedure {name}: proves a JSON argument an array itself; use "
                        f"dbo.TALO_IsJsonArray")
    for variable in sorted(set(re.findall(r"OPENJSON \( (@\w+) \)", words))):
        if f"TALO_ISJSONARRAY ( {variable} ) = 0" not in words:
            problems.append(f"procedure {name}: reads {variable} without proving it a JSON array "
                            f"(dbo.TALO_IsJsonArray)")
        if f"TALO_JSONHASNUL ( {variable} ) = 1" not in words:
            problems.append(f"procedure {name}: reads {variable} without refusing an escaped "
                            f"NUL in it (dbo.TALO_JsonHasNul)")
        elements_read = re.search(r"OPENJSON \( (\w+) \. \[VALUE\] \)|JSON_VALUE \( (\w+) \. "
                                  r"\[VALUE\]", words, re.IGNORECASE)
        checked = re.search(rf"OPENJSON \( {variable} \) AS (\w+) WHERE \1 \. \[TYPE\] <> 4",
                            words, re.IGNORECASE)
        if elements_read and f"OPENJSON ( {variable} )" in words and not checked:
            problems.append(f"procedure {name}: reads into the elements of {variable} without "
                            f"proving each is an array")
        typed = re.search(rf"OPENJSON \( {variable} \) AS (\w+) WHERE \1 \. \[TYPE\] "
                          rf"(?:<> 4|NOT IN \( 0 , 1 \))", words, re.IGNORECASE)
        if not typed:
            problems.append(f"procedure {name}: reads the elements of {variable} without proving "
                            f"each one's JSON type (an array: [type] <> 4 refused; a text: "
                            f"[type] NOT IN (0, 1) refused)")
    return problems


def time_problems(name, toks):
    dates = {toks[i + 1][1].lower() for i in range(len(toks) - 2)
             if toks[i + 1][1].startswith("@") and upper(toks[i + 2]) == "DATE"}
    # A derived table's column made a date: CAST(... AS DATE) AS LastDay.
    dates |= {toks[i + 3][1].lower() for i in range(len(toks) - 3)
              if [upper(t) for t in toks[i:i + 3]] == ["DATE", ")", "AS"]}
    return [f"procedure {name}: {function} to {' '.join(t[1] for t in type_toks)} rounds "
            f"fractions of a second ({' '.join(t[1] for t in argument)[:60]}); cut the time "
            f"at the second with CONVERT(NCHAR(19), ..., 120)"
            for function, type_toks, argument in conversions(toks)
            if rounds(type_toks) and not cut_at_second(argument, dates)]


def script_time_problems(paths):
    """The same rule for the scripts that are not procedures (migrations, the tables)."""
    problems = []
    for path in paths:
        if path.parent.name != "procedures":
            problems += [p.replace(f"procedure {path.stem}:", f"{path.name}:", 1)
                         for p in time_problems(path.stem, tokens(path.read_text("utf-8")))]
    return problems


GO_LINE = re.compile(r"^\s*GO\s*$", re.MULTILINE | re.IGNORECASE)


def undeclared_problems(paths):
    """A variable that a script's batch uses and never declares: T-SQL says so only when
    the batch runs on a server, and the parse here reads the name as any other."""
    problems = []
    for path in paths:
        if path.parent.name == "procedures":
            continue
        for batch in GO_LINE.split(path.read_text("utf-8")):
            toks = tokens(batch)
            # A procedure's or function's parameters are declared by its header.
            if any(upper(t) in ("PROCEDURE", "FUNCTION", "TRIGGER") for t in toks):
                continue
            declared = {toks[i + 1][1].lower() for i in range(len(toks) - 1)
                        if upper(toks[i]) == "DECLARE"}
            for i, (kind, text) in enumerate(toks):
                # ", @name = value" names a called procedure's parameter.
                named = 0 < i < len(toks) - 1 and toks[i - 1][1] == "," and toks[i + 1][1] == "="
                if (kind == "word" and text.startswith("@") and not text.startswith("@@")
                        and not named and text.lower() not in declared):
                    problems.append(f"{path.name}: {text} is used but not declared in its batch")
                    declared.add(text.lower())
    return problems


def paging_problems(name, toks):
    if not any(t[1].lower() == "@pagesize" for t in toks):
        return []
    return [f"procedure {name}: {function} to {type_toks[0][1]} of "
            f"{' '.join(t[1] for t in argument)[:40]} raises on a wrong text; use TRY_CONVERT"
            for function, type_toks, argument in conversions(toks)
            if function in ("CAST", "CONVERT") and type_toks
            and upper(type_toks[0]) in NUMBER_TYPES and argument[0][0] != "number"]


# (table, kit function, store part, procedures that read the table only through them)
SHARED_READS = [
    ("tbTALOAuditLog", "TALO_AuditLogRows", "AuditLogRows",
     ("Load_TALO_AuditLog", "Count_TALO_AuditLog")),
]


# (kit function, store functions, procedures that take a rule only from them)
SHARED_RULES = [
    ("TALO_HistoryRange", ("talo_history_from", "talo_history_to"),
     ("Load_TALO_DistributedMealHistory", "Count_TALO_DistributedMealHistory")),
]


def shared_read_problems(embedded_dir, kit_paths):
    """kit_paths: {procedure key: path of its kit script}."""
    problems = []
    for function, store_functions, names in SHARED_RULES:
        for name in names:
            kit_words = {upper(t) for t in tokens(kit_paths[name.lower()].read_text("utf-8"))}
            if function.upper() not in kit_words:
                problems.append(f"procedure {name}: does not take its rule from dbo.{function} "
                                f"(kit)")
            store = (embedded_dir / "procedures" / f"{name}.sql").read_text("utf-8")
            for store_function in store_functions:
                if f"{store_function}(" not in store:
                    problems.append(f"procedure {name}: does not take its rule from "
                                    f"{store_function} (store)")
    for table, function, part, names in SHARED_READS:
        for name in names:
            kit_words = {upper(t) for t in tokens(kit_paths[name.lower()].read_text("utf-8"))}
            if table.upper() in kit_words or function.upper() not in kit_words:
                problems.append(f"procedure {name}: reads {table} without dbo.{function} (kit)")
            store = (embedded_dir / "procedures" / f"{name}.sql").read_text("utf-8")
            code = "\n".join(line for line in store.splitlines()
                             if not line.lstrip().startswith("--"))
            if table in code or f"-- shared: {part}" not in store:
                problems.append(f"procedure {name}: reads {table} without the shared part "
                                f"{part} (store)")
    return problems


# The audit rows' table -> the detail fields each row about it must carry.
NAMED_AUDIT_ROWS = {
    "N'tbTALOEmployeeMeal'": ("N'EmployeeName='", "N'; TypeName='"),
    "N'tbcmaster'": ("N'EmployeeName='",),
}


def audit_name_problems(name, toks):
    texts = {t[1] for t in toks if t[0] == "string"}
    words = " ".join(t[1] for t in toks)
    problems = []
    for table, fields in NAMED_AUDIT_ROWS.items():
        if "INSERT INTO dbo . tbTALOAuditLog" not in words or table not in texts:
            continue
        for field in fields:
            if field not in texts:
                problems.append(f"procedure {name}: its {table[2:-1]} audit rows lack {field[1:]}")
    return problems


def body(toks):
    """The tokens after CREATE ... PROCEDURE name @params ... AS."""
    words = [upper(t) for t in toks]
    start = words.index("PROCEDURE") if "PROCEDURE" in words else 0
    return toks[words.index("AS", start) + 1:] if "AS" in words[start:] else toks


def nul_problems(name, params, toks):
    """The NUL guard: the procedure's first refusal, naming every argument."""
    if not params:
        return []
    toks = body(toks)
    words = [upper(t) for t in toks]
    first_throw = words.index("THROW") if "THROW" in words else len(words)
    for i in range(len(words) - 3):
        if words[i:i + 4] != ["IF", "1", "IN", "("]:
            continue
        end = closing(toks, i + 3)
        after = toks[end + 1:end + 6]
        if [upper(t) for t in after[:3]] != ["THROW", "50000", ","] or len(after) < 4 \
                or after[3][0] != "string" or literal(after[3]) != NUL_MESSAGE:
            continue
        named = set()
        for part in split_top(toks[i + 4:end]):
            text = " ".join(upper(t) for t in part)
            match = re.fullmatch(r"DBO \. TALO_HASNUL \( (@\w+) \)", text)
            if match:
                named.add(match.group(1)[1:].lower())
        problems = [f"procedure {name}: does not refuse NUL in @{p}" for p in params
                    if p.lower() not in named]
        if end + 1 != first_throw:
            problems.append(f"procedure {name}: refuses something before NUL in its arguments")
        return problems
    return [f"procedure {name}: does not refuse NUL in its arguments first (IF 1 IN "
            f"(dbo.TALO_HasNul(@a), ...) THROW 50000, N'{NUL_MESSAGE}', 1)"]


def digit_problems(name, dates, toks):
    """Each date argument's text with a digit of another script read as no date."""
    words = " ".join(upper(t) for t in body(toks))
    problems = []
    for parameter in dates:
        guard = re.search(rf"IF DBO \. TALO_HASNONASCIIDIGIT \( @{parameter} \) = 1 SET (@\w+) "
                          rf"= NULL", words, re.IGNORECASE)
        declared = guard and re.search(
            rf"DECLARE {re.escape(guard.group(1))} \w+ (?:\( \d+ \) )?= [^;]*@{parameter}\b",
            words, re.IGNORECASE)
        if not declared:
            problems.append(f"procedure {name}: @{parameter} is read as a date without refusing "
                            f"digits of another script (IF dbo.TALO_HasNonAsciiDigit(@{parameter})"
                            f" = 1 SET <its date> = NULL)")
    return problems


def embedded_dates(folder):
    """{procedure key: [parameters]} the embedded store reads as dates."""
    dates = {}
    for path in sorted((folder / "procedures").glob("*.sql")):
        found = re.findall(r"talo_iso(?:_day)?\(:(\w+)\)", path.read_text(encoding="utf-8"))
        dates[path.stem.lower()] = sorted(set(p.lower() for p in found))
    return dates


@functools.lru_cache(maxsize=None)
def other_digits():
    """First code points of the runs of decimal digits past ASCII in the basic plane."""
    runs, previous = [], None
    for code in range(0x80, 0x10000):
        if unicodedata.category(chr(code)) == "Nd":
            if previous != code - 1:
                runs.append(code)
            previous = code
    return runs


def digit_function_problems(folder):
    """TALO_HasNonAsciiDigit knows each run of ten digits and the surrogates."""
    for path in sorted(pathlib.Path(folder).rglob("*.sql")):
        text = path.read_text(encoding="utf-8")
        match = re.search(r"CREATE OR ALTER FUNCTION dbo\.TALO_HasNonAsciiDigit\b(.*?)^GO\s*$",
                          text, re.DOTALL | re.MULTILINE)
        if not match:
            continue
        function = match.group(1)
        listed = [int(n) for n in re.findall(r"(?<!NCHAR)\((\d+)\)", function)]
        problems = [f"TALO_HasNonAsciiDigit misses the digits from U+{c:04X}"
                    for c in other_digits() if c not in listed]
        problems += [f"TALO_HasNonAsciiDigit takes U+{c:04X} for a run of digits"
                     for c in listed if c not in other_digits()]
        if "NCHAR(r.FirstDigit + 9)" not in function:
            problems.append("TALO_HasNonAsciiDigit does not take ten digits from each first one")
        if "NCHAR(55296) + N'-' + NCHAR(57343)" not in function:
            problems.append("TALO_HasNonAsciiDigit lets characters beyond the basic plane pass")
        return problems
    return ["no script creates dbo.TALO_HasNonAsciiDigit"]


# Procedures that count an employee's meals against a block limit: the count comes after
# an exclusive application lock held to the end of the transaction, or two counters
# could both count the last allowed meal as free (read-committed snapshot shows neither
# the other's meal). The smoke test races two sessions for it on a server.
LIMIT_LOCKED = {"save_talo_employeedistributedmeals"}
LIMIT_LOCK = re.compile(r"EXEC @\w+ = sp_getapplock @Resource = @\w+ , @LockMode = N'Exclusive' , "
                        r"@LockOwner = N'Transaction' , @LockTimeout = \d+ ;", re.IGNORECASE)


def limit_lock_problems(name, toks):
    text = " ".join(t[1] for t in body(toks))
    lock = LIMIT_LOCK.search(text)
    count = re.search(r"@received = COUNT \(", text, re.IGNORECASE)
    if not count:
        return [f"procedure {name}: no count of the meals received against the limit"]
    if not lock or lock.start() > count.start():
        return [f"procedure {name}: counts the meals against the limit without first holding "
                f"an exclusive application lock owned by the transaction (sp_getapplock)"]
    return []


# The caller's implicit transaction (autocommit off through ODBC) opened before the
# procedure reads @@TRANCOUNT to choose its own transaction or the caller's savepoint.
IMPLICIT_JOIN = re.compile(r"IF @@TRANCOUNT = 0 AND @@OPTIONS & 2 = 2 SELECT @\w+ = COUNT \( \* \) "
                           r"FROM dbo \. \w+ ;", re.IGNORECASE)


# Every guard that reads the managers (dbo.TALO_Managers) does so under the one exclusive
# application lock the transaction holds: two administrators each taking right 5 from
# one of the last two managers would otherwise both read two managers and both pass.
MANAGERS_LOCK = re.compile(r"EXEC @\w+ = sp_getapplock @Resource = N'talo_managers' , "
                           r"@LockMode = N'Exclusive' , @LockOwner = N'Transaction' , "
                           r"@LockTimeout = \d+ ;", re.IGNORECASE)


# A write of a distributed meal: a meal recorded, or one revoked (the row is updated).
MEAL_WRITE = re.compile(r"\b(?:INSERT INTO|UPDATE) (?:dbo|Station) \. tbTALOEmployeeDistributedMeals\b",
                        re.IGNORECASE)
CLOSED_READ = re.compile(r"\bClosedThrough\b[^;]*\btbTALOSiteSetting\b", re.IGNORECASE)


# (what a procedure does, what must come before it, the problem when it does not).
CLOSED_DAY_RULE = (MEAL_WRITE, CLOSED_READ,
                   "writes a distributed meal without first reading the day the meals are "
                   "closed through (ClosedThrough of tbTALOSiteSetting)")
BEFORE_RULES = (
    CLOSED_DAY_RULE,
    (re.compile(r"DECLARE @outer INT = @@TRANCOUNT", re.IGNORECASE), IMPLICIT_JOIN,
     "reads @@TRANCOUNT before opening a caller's implicit transaction (IF @@TRANCOUNT = 0 "
     "AND @@OPTIONS & 2 = 2 SELECT ... FROM a table): under autocommit off its first call "
     "takes the stand-alone path"),
    (re.compile(r"\bdbo \. TALO_Managers \(", re.IGNORECASE), MANAGERS_LOCK,
     "reads the managers (dbo.TALO_Managers) without first holding the exclusive "
     "application lock talo_managers owned by the transaction"),
)


def before_problems(name, text, rules=BEFORE_RULES):
    """Each rule whose first pattern the procedure's text holds: its second comes first."""
    problems = []
    for does, first, problem in rules:
        done = does.search(text)
        before = first.search(text)
        if done and not (before and before.start() < done.start()):
            problems.append(f"procedure {name}: {problem}")
    return problems


def embedded_closed_day_problems(folder):
    """The same rule for the embedded store's procedures."""
    problems = []
    for path in sorted((pathlib.Path(folder) / "procedures").glob("*.sql")):
        text = " ".join(t[1] for t in tokens(path.read_text(encoding="utf-8")))
        problems += [p + " (embedded store)"
                     for p in before_problems(path.stem, text, (CLOSED_DAY_RULE,))]
    return problems


def procedure_rule_problems(procedures, dates=None):
    """procedures: {key: (name, path, parameters)} as kit_consistency reads them; dates:
    {key: parameters the embedded store reads as dates}."""
    problems = []
    for key, (name, path, params) in sorted(procedures.items()):
        text = path.read_text(encoding="utf-8")
        toks = tokens(text)
        problems += json_problems(name, text, toks)
        if key not in ROUNDING_LEFT:
            problems += time_problems(name, toks)
        problems += paging_problems(name, toks)
        problems += nul_problems(name, params, toks)
        problems += digit_problems(name, (dates or {}).get(key, []), toks)
        problems += audit_name_problems(name, toks)
        if key in LIMIT_LOCKED:
            problems += limit_lock_problems(name, toks)
        problems += before_problems(name, " ".join(t[1] for t in body(toks)))
    return problems
