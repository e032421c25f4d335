#!/usr/bin/python3
"""Reads the letters the word pad printed in its end-to-end tests with
poppler's pdfinfo and pdftotext, independent of our own code.

    wordpad_print_check.py HANDOVER_DIR

wordpad_print: printed.pdf has PAGES pages; its text holds the heading
MARKER on page 1 and "Briefzeile 001" .. "Briefzeile LINES" once each, in
order, every page some of them. wordpad_noprinter: no PDF that appeared
while printing without a printer holds that letter's MARKER.
Exits 77 (skipped) when the printing case did not run or poppler is missing.
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shell"))
import handover  # noqa: E402  (beside handover.h)


def read_expected(folder):
    if not os.path.exists(os.path.join(folder, "expected.txt")):
        return None
    return handover.read_expected(folder)


def pages_of(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    match = re.search(r"^Pages:\s+(\d+)", info, re.M)
    assert match, f"pdfinfo gave no page count for {pdf}"
    return int(match.group(1))


def text_of(pdf, page=None):
    args = ["pdftotext", "-layout"]
    if page is not None:
        args += ["-f", str(page), "-l", str(page)]
    return subprocess.run(args + [pdf, "-"], capture_output=True, text=True, check=True).stdout


def check_printed(folder, expected):
    pdf = os.path.join(folder, "printed.pdf")
    pages = int(expected["PAGES"])
    lines = int(expected["LINES"])
    got_pages = pages_of(pdf)
    assert got_pages == pages, f"{got_pages} pages printed, want {pages}"
    numbers = []
    for page in range(1, pages + 1):
        text = text_of(pdf, page)
        if page == 1:
            assert expected["MARKER"] in text, "page 1 lacks the letter's heading"
        found = [int(n) for n in re.findall(r"Briefzeile (\d{3})", text)]
        assert found, f"page {page} holds none of the letter's lines"
        numbers += found
    # The page margin of 2 cm (56.7 pt) holds on page 1: no word starts
    # nearer to the paper's left or top edge.
    bbox = subprocess.run(["pdftotext", "-bbox", "-f", "1", "-l", "1", pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    corners = [(float(x), float(y)) for x, y in
               re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)"', bbox)]
    assert corners, "page 1 has no words"
    left = min(x for x, _ in corners)
    top = min(y for _, y in corners)
    assert left >= 56 and top >= 56, f"text at {left:.1f}/{top:.1f} pt, inside the 2 cm margin"
    want = list(range(1, lines + 1))
    assert numbers == want, (
        f"the lines are not all there once and in order: {len(numbers)} lines, "
        f"first wrong at {next((i for i, (a, b) in enumerate(zip(numbers, want)) if a != b), len(numbers))}")
    print(f"printed letter: {pages} pages, {lines} lines in order")


def check_not_printed(folder, expected):
    for name in sorted(os.listdir(folder)):
        if name.endswith(".pdf"):
            assert expected["MARKER"] not in text_of(os.path.join(folder, name)), (
                f"the letter was printed without a printer ({name})")
    print("without a printer: nothing printed")


def main():
    out = sys.argv[1]
    if not (shutil.which("pdfinfo") and shutil.which("pdftotext")):
        print("poppler-utils (pdfinfo, pdftotext) missing: skipped")
        return 77
    noprinter = read_expected(os.path.join(out, "wordpad_noprinter"))
    if noprinter:
        check_not_printed(os.path.join(out, "wordpad_noprinter"), noprinter)
    printed = read_expected(os.path.join(out, "wordpad_print"))
    if not printed:
        print("no printed letter (no printer queue set up): skipped")
        return 77
    check_printed(os.path.join(out, "wordpad_print"), printed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
