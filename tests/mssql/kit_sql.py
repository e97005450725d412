"""The T-SQL tokens the kit's checks read: blanks and comments dropped, a string, a
bracketed or quoted name, a word, a number or an operator each one token."""
import functools
import re

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


def literal(token):
    text = token[1]
    if text[:1] in "Nn":
        text = text[1:]
    return text[1:-1].replace("''", "'")


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


def tokens(text):
    """Significant tokens as (kind, text); comments and blanks dropped."""
    # The checks read the same scripts many times over: tokenize each text once.
    return list(_tokens(text))


@functools.lru_cache(maxsize=None)
def _tokens(text):
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
    return tuple(out)


def created_table(toks, i):
    """At a CREATE TABLE token i: (the name's parts, the index of its opening bracket), else
    None."""
    if upper(toks[i]) != "CREATE" or upper(toks[i + 1]) != "TABLE":
        return None
    j = i + 2
    parts = []
    while toks[j][1] != "(":
        if toks[j][1] != ".":
            parts.append(name_of(toks[j]))
        j += 1
    return parts, j
