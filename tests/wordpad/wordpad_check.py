#!/usr/bin/python3
"""Reads what the word pad's end-to-end tests left behind with readers
independent of ours: DokName.dbf with python's dbfread, the saved letter
with Debian's unrtf.

    wordpad_check.py HANDOVER_DIR
"""
import html.parser
import os
import subprocess
import sys

import dbfread


def read_expected(path):
    expected = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition("=")
            if key:
                expected[key] = value
    return expected


def check_numbers(folder):
    """The customer's record holds the last number taken, and only one
    live record exists for the key."""
    expected = read_expected(os.path.join(folder, "expected.txt"))
    table = os.path.join(folder, "DokName.dbf")
    records = [
        r for r in dbfread.DBF(table, encoding="cp850", load=True)
        if (r["ADRESSNR"].strip() + r["INITIAL"].strip() + r["JAHR"].strip()) == expected["KEY"]
    ]
    assert len(records) == 1, f"{len(records)} records for {expected['KEY']}"
    want = "%04d" % int(expected["DOKLFDNR"])
    assert records[0]["DOKLFDNR"] == want, f"DOKLFDNR {records[0]['DOKLFDNR']!r}, want {want!r}"


class Runs(html.parser.HTMLParser):
    """The text of unrtf's HTML as (text, bold) runs."""

    def __init__(self):
        super().__init__()
        self.bold = 0
        self.in_body = False
        self.runs = []

    def handle_starttag(self, tag, attrs):
        if tag == "body":
            self.in_body = True
        elif tag == "b":
            self.bold += 1

    def handle_endtag(self, tag):
        if tag == "b":
            self.bold -= 1

    def handle_data(self, data):
        if self.in_body and data.strip():
            self.runs.append((data.strip(), self.bold > 0))


def check_bold(folder):
    expected = read_expected(os.path.join(folder, "expected.txt"))
    out = subprocess.run(["unrtf", "--html", os.path.join(folder, "letter.rtf")],
                         capture_output=True, check=True, text=True).stdout
    parser = Runs()
    parser.feed(out)
    runs = parser.runs
    text = " ".join(t for t, _ in runs)
    assert text == expected["BOLD"] + " " + expected["PLAIN"], f"text {text!r} ({runs})"
    assert all(b for t, b in runs if t == expected["BOLD"]), f"not bold: {runs}"
    assert not any(b for t, b in runs if t == expected["PLAIN"]), f"bold: {runs}"


def check_filed(folder):
    """The filing dialog registered the saved letter with its title and
    resubmission date, and the resubmission file holds it on that day."""
    expected = read_expected(os.path.join(folder, "expected.txt"))
    name = expected["DOKNAME"]
    dok = [r for r in dbfread.DBF(os.path.join(folder, "DokVW.dbf"), encoding="cp850")
           if r["DOKNAME"].strip() == name]
    assert len(dok) == 1, f"{len(dok)} DokVW records for {name}"
    rec = dok[0]
    assert rec["DOKTITEL"].strip() == expected["DOKTITEL"], rec["DOKTITEL"]
    assert rec["ABLAGE"].strip().endswith(name), rec["ABLAGE"]
    assert str(rec["WVDATUM"]) == expected["WVDATUM"], rec["WVDATUM"]
    wv = [r for r in dbfread.DBF(os.path.join(folder, "DatWV.dbf"), encoding="cp850")
          if r["WV"].strip() == name]
    assert len(wv) == 1, f"{len(wv)} DatWV records for {name}"
    assert str(wv[0]["TAG"]) == expected["WVDATUM"], wv[0]["TAG"]
    assert wv[0]["DDOKNR"] == rec["DOKNR"], (wv[0]["DDOKNR"], rec["DOKNR"])


def check_bold_and_filed(folder):
    check_bold(folder)
    check_filed(folder)


CHECKS = {"wordpad_numbers": check_numbers, "wordpad_bold": check_bold_and_filed}


def main():
    base = sys.argv[1]
    failed = passed = 0
    for name, check in CHECKS.items():
        folder = os.path.join(base, name)
        if not os.path.isdir(folder):
            print(f"{name}: no hand-over (its end-to-end test did not get that far)")
            failed += 1
            continue
        try:
            check(folder)
            passed += 1
            print(f"{name}: ok")
        except AssertionError as e:
            failed += 1
            print(f"{name}: FAILED: {e}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
