#!/usr/bin/python3
"""The suite's demo tables against their reference, docs/tables.md.

Runs `kpdemo --suite`, then for every table the reference describes: an
independent reader (dbfread) reads every record with the fields, types,
widths and decimals the reference gives; every index file carries the key
expression the reference gives and passes `kpdb check` with its table; the
letters the registers name exist; every contract's customer is an address.

    tables_test.py [--runner RUNNER] KPDEMO KPDB TABLES_MD

RUNNER starts the two programs where they cannot be started directly (the
32-bit build runs them through tools/run-i386, which picks the emulator on a
kernel without 32-bit execution).
"""
import os
import re
import subprocess
import sys
import tempfile

import dbfread

args = sys.argv[1:]
RUNNER = []
if args[:1] == ["--runner"]:
    RUNNER, args = [args[1]], args[2:]
KPDEMO, KPDB, TABLES_MD = args[:3]
failures = []
checks = 0


def check(what, got, want):
    global checks
    checks += 1
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def reference():
    """{table: {"fields": [(name, type, width, dec)], "indexes": [(file, order, key)]}}"""
    tables, current = {}, None
    for line in open(TABLES_MD, encoding="utf-8"):
        m = re.match(r"^### `([^`]+)`", line)
        if m:
            current = tables.setdefault(m.group(1), {"fields": [], "indexes": []})
            continue
        if current is None or not line.startswith("| `"):
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        name = cells[0].strip("`")
        if name.lower().endswith(".ntx"):
            current["indexes"].append((name, int(cells[1]), cells[2].strip("`")))
        else:
            current["fields"].append((name, cells[1], int(cells[2]), int(cells[3])))
    return tables


def ntx_key(path):
    with open(path, "rb") as f:
        head = f.read(1024)
    return head[22:278].split(b"\0", 1)[0].decode("cp850")


with tempfile.TemporaryDirectory(prefix="kpsuite-") as work:
    data = os.path.join(work, "Daten")
    r = subprocess.run(RUNNER + [KPDEMO, "--suite", data, "300", "5"], capture_output=True, text=True)
    check("kpdemo --suite exit code", r.returncode, 0)
    if r.returncode != 0:
        print(r.stderr)
        sys.exit(1)

    ref = reference()
    check("tables described", sorted(ref), sorted(["Vertrag.DBF", "Adressen.dbf", "GesellA.dbf",
          "Vermitt.dbf", "DokName.dbf", "DokVW.dbf", "TextVor.dbf", "DatWV.dbf"]))
    written = sorted(f for f in os.listdir(data) if f.lower().endswith(".dbf"))
    check("tables written", written, sorted(ref))

    records = {}
    for table, described in ref.items():
        path = os.path.join(data, table)
        dbf = dbfread.DBF(path, encoding="cp850", char_decode_errors="strict")
        got = [(f.name, f.type, f.length, f.decimal_count) for f in dbf.fields]
        check(f"{table} fields", got, described["fields"])
        records[table] = list(dbf)  # every record decodes
        check(f"{table} has records", len(records[table]) > 0, True)

        orders = [o for _, o, _ in described["indexes"]]
        check(f"{table} orders", orders, list(range(1, len(orders) + 1)))
        for ntx, _, key in described["indexes"]:
            check(f"{ntx} key expression", ntx_key(os.path.join(data, ntx)), key)
        r = subprocess.run(RUNNER + [KPDB, "check", path] + [os.path.join(data, n) for n, _, _ in described["indexes"]],
                           capture_output=True, text=True)
        check(f"kpdb check {table}", (r.returncode, r.stdout.strip().splitlines()[-1:]), (0, ["check: ok"]))

    customers = {a["ADRESSNR"] for a in records["Adressen.dbf"]}
    missing = [c["ADRESSNR"] for c in records["Vertrag.DBF"] if c["ADRESSNR"] not in customers]
    check("contracts without an address", missing, [])
    check("umlauts in the addresses", any("ü" in a["STRASSE"] + a["ORT"] + a["NNAME"]
                                          for a in records["Adressen.dbf"]), True)
    for register, field in (("DokVW.dbf", "ABLAGE"), ("TextVor.dbf", "ABLAGE"), ("DatWV.dbf", "DABLAGE")):
        for rec in records[register]:
            name = rec[field]
            check(f"{register} names an existing letter", os.path.isfile(name), True)
            with open(name, "rb") as f:
                check(f"{name} is RTF", f.read(6), b"{\\rtf1")
    for folder in ("Kunden", "Gesell", "Vermitt"):
        check(f"Texte/{folder}", os.path.isdir(os.path.join(data, "Texte", folder)), True)

for f in failures:
    print("FAIL:", f)
print(f"demo tables: {checks} checks,", "ok" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
