#!/usr/bin/python3
"""Reads what the word pad's end-to-end tests left behind with readers
independent of ours: DokName.dbf with python's dbfread, the saved letter
with Debian's unrtf.

    wordpad_check.py HANDOVER_DIR
"""
import html.parser
import os
import re
import subprocess
import sys

import dbfread

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shell"))
import handover  # noqa: E402  (beside handover.h)


def check_numbers(folder):
    """The customer's record holds the last number taken, and only one
    live record exists for the key."""
    expected = handover.read_expected(folder)
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
    expected = handover.read_expected(folder)
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
    expected = handover.read_expected(folder)
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


def check_addressee(folder):
    """The filing dialog filed the letter under the customer it was
    written to, with the customer's name as the address table has it."""
    expected = handover.read_expected(folder)
    rec = [r for r in dbfread.DBF(os.path.join(folder, "DokVW.dbf"), encoding="cp850")
           if r["DOKNAME"].strip() == expected["DOKNAME"]][0]
    assert rec["ADRESSNR"] == expected["ADRESSNR"], f"ADRESSNR {rec['ADRESSNR']!r}"
    person = [r for r in dbfread.DBF(os.path.join(folder, "Adressen.dbf"), encoding="cp850",
                                     ignore_missing_memofile=True)
              if r["ADRESSNR"] == expected["ADRESSNR"]]
    assert len(person) == 1, f"{len(person)} addresses {expected['ADRESSNR']}"
    p = person[0]
    name = " ".join(x.strip() for x in (p["ANREDE"], p["TITEL"], p["VNAME"], p["NNAME"])
                    if x.strip())
    assert rec["KUNDE"].strip() == name, f"KUNDE {rec['KUNDE']!r}, want {name!r}"


def rtf_paragraphs(rtf):
    """The properties of each paragraph of an RTF text: for every \\pard
    the control words up to its text, as {word: parameter}."""
    token = re.compile(r"\\([a-z]{1,32})(-?\d{1,10})? ?|\\[^a-z]|[{}]|[\r\n]|[^\\{}\r\n]+")
    paragraphs = []
    current = None
    for m in token.finditer(rtf):
        word = m.group(1)
        if word == "pard":
            current = {}
            paragraphs.append(current)
        elif word and current is not None:
            current.setdefault(word, int(m.group(2)) if m.group(2) else None)
        elif m.group(0) not in ("\r", "\n"):
            current = None
    return paragraphs


def check_new_letter_margins(folder):
    """A new letter has half a centimetre on either side and no first-line
    indent: \\li284\\ri284 and no \\fi (or \\fi0)."""
    with open(os.path.join(folder, "letter.rtf"), encoding="latin-1") as f:
        paragraphs = rtf_paragraphs(f.read())
    assert paragraphs, "no paragraph"
    first = paragraphs[0]
    assert (first.get("li"), first.get("ri"), first.get("fi") or 0) == (284, 284, 0), first


def check_bold_and_filed(folder):
    check_bold(folder)
    check_filed(folder)
    check_addressee(folder)
    check_new_letter_margins(folder)


def check_margins(folder):
    """What the paragraph dialog set: left edge, right margin, first line
    and alignment of the letter's paragraph; the text read by unrtf."""
    expected = handover.read_expected(folder)
    path = os.path.join(folder, "letter.rtf")
    with open(path, encoding="latin-1") as f:
        paragraphs = rtf_paragraphs(f.read())
    assert paragraphs, "no paragraph"
    p = paragraphs[0]
    got = (p.get("li") or 0, p.get("ri") or 0, p.get("fi") or 0)
    want = (int(expected["LI"]), int(expected["RI"]), int(expected["FI"]))
    assert got == want, f"li/ri/fi {got}, want {want} ({p})"
    assert "q" + expected["ALIGN"] in p, f"no \\q{expected['ALIGN']} in {p}"
    text = subprocess.run(["unrtf", "--text", path], capture_output=True, check=True,
                          text=True).stdout
    body = [line for line in text.splitlines() if line.strip() and not line.startswith("###")]
    assert any(expected["TEXT"] in line for line in body), body


CHECKS = {"wordpad_numbers": check_numbers, "wordpad_bold": check_bold_and_filed,
          "wordpad_margins": check_margins}


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
