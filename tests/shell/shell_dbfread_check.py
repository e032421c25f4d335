#!/usr/bin/python3
"""Reads the tables that the shell's end-to-end tests left behind with
python's dbfread, a reader independent of ours, and compares them with the
texts the tests typed or saw.

    shell_dbfread_check.py HANDOVER_DIR BROWSE_ROWS_CHECK
"""
import datetime
import os
import subprocess
import sys

import dbfread
from handover import read_expected


def record(table, field, key):
    """The live record whose field holds the key."""
    for rec in dbfread.DBF(table, encoding="cp850", load=False, ignore_missing_memofile=False):
        if rec[field].rstrip() == key:
            return rec
    raise AssertionError(f"{table}: no record with {field} = {key!r}")


def check_adressen(folder):
    expected = read_expected(folder)
    key = expected.pop("ADRESSNR")
    rec = record(os.path.join(folder, "Adressen.dbf"), "ADRESSNR", key)
    failures = []
    for field, want in expected.items():
        got = rec[field]
        if isinstance(got, datetime.date):
            got = got.isoformat()
        elif isinstance(got, str):
            got = got.rstrip()
        if got != want:
            failures.append(f"Adressen.dbf {field}: dbfread reads {got!r}, typed was {want!r}")
    return failures


def check_browse(folder):
    """The grid's rows against dbfread, with the browse view's own check."""
    done = subprocess.run([sys.executable, sys.argv[2], os.path.join(folder, "Vertrag.DBF"),
                           os.path.join(folder, "rows.txt")], capture_output=True, text=True)
    print(done.stdout, end="")
    return [] if done.returncode == 0 else ["the browse grid shows other texts than dbfread reads"]


def check_reorg(folder):
    """After a cancelled reorganisation every table reads with its live records."""
    failures = []
    for table, want in read_expected(folder).items():
        live = sum(1 for _ in dbfread.DBF(os.path.join(folder, table), encoding="cp850",
                                          load=False, ignore_missing_memofile=False))
        if live != int(want):
            failures.append(f"{table}: dbfread reads {live} records, our check {want}")
    return failures


def main():
    handover = sys.argv[1]
    checks = {"adressen": check_adressen, "browse": check_browse, "reorg": check_reorg,
              "reorgkill": check_reorg}
    passed, failed = 0, 0
    for name, check in checks.items():
        folder = os.path.join(handover, name)
        if os.path.isdir(folder):
            found = check(folder)
        else:
            found = [f"the end-to-end test left nothing in {folder}"]
        for f in found:
            print(f"FAIL: {name}: {f}")
        passed += not found
        failed += bool(found)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
