#!/usr/bin/python3
"""Reads the contract table that the controls' end-to-end test saved with
python's dbfread, a reader independent of ours, and compares the record with
what was typed.

    controls_dbfread_check.py HANDOVER_DIR
"""
import os
import sys

import dbfread

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "shell"))
import handover  # noqa: E402  (beside handover.h)


def main():
    folder = sys.argv[1]
    expected = handover.read_expected(folder)
    table = dbfread.DBF(os.path.join(folder, "Vertrag.DBF"), encoding="cp850", load=False)
    for rec in table:
        if rec["VERSNR"].rstrip() != expected["VERSNR"]:
            continue
        failures = []
        if abs(float(rec["BEITRAG"]) - float(expected["BEITRAG"])) > 1e-9:
            failures.append(f"BEITRAG: dbfread reads {rec['BEITRAG']!r}, typed was 123,5")
        if rec["BEGINN"] is None or rec["BEGINN"].strftime("%Y%m%d") != expected["BEGINN"]:
            failures.append(f"BEGINN: dbfread reads {rec['BEGINN']!r}, want {expected['BEGINN']}")
        for f in failures:
            print(f)
        print("dbfread: the typed number and date are stored" if not failures else "")
        return 1 if failures else 0
    print(f"no record with VERSNR {expected['VERSNR']!r}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
