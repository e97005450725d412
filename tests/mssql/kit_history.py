#!/usr/bin/env python3
"""The grants earlier kits made, which an upgrade must take back unless the kit still
grants them (kit_grants.taken_back_problems reads them from earlier_grants.txt).

The list is kept here so the check needs no history; run with the source directory of a
git clone, this compares it with every version of the permissions script git holds and
prints each grant it lacks (exit 1), or nothing when git has no history to read.

usage: kit_history.py SOURCE_DIR
"""
import pathlib
import subprocess
import sys

from kit_grants import grant_rows, text_grants

LIST = pathlib.Path(__file__).with_name("earlier_grants.txt")
SCRIPT = "sql/mssql/06_permissions.sql"


def listed_grants(path=LIST):
    rows = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            database, permission, target, principal = (p.strip() for p in line.split("|"))
            rows.add((database.lower(), permission.upper(), target.lower(), principal.lower()))
    return rows


def git(source_dir, *arguments):
    return subprocess.run(["git", "-C", str(source_dir), *arguments], capture_output=True,
                          text=True, check=False)


def history_grants(source_dir):
    """Grant rows of every committed version of the permissions script; None without
    git history."""
    log = git(source_dir, "log", "--format=%H", "--", SCRIPT)
    if log.returncode != 0 or not log.stdout.split():
        return None
    rows = set()
    for commit in log.stdout.split():
        shown = git(source_dir, "show", f"{commit}:{SCRIPT}")
        if shown.returncode == 0:
            rows |= grant_rows(text_grants(shown.stdout))
    return rows


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    history = history_grants(pathlib.Path(argv[1]))
    if history is None:
        print("no git history of the permissions script: the list is taken as it is")
        return 0
    missing = sorted(history - listed_grants())
    for database, permission, target, principal in missing:
        print(f"{LIST.name} lacks {database}|{permission}|{target}|{principal}, "
              f"granted by an earlier version of {SCRIPT}")
    if missing:
        return 1
    print(f"{LIST.name} holds all {len(history)} grants the permissions script ever made")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
