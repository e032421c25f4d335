#!/usr/bin/python3
"""Reads the registers that the killed-program test of the filing rules
left behind with a reader independent of ours (python's dbfread): no blank
live record, every letter number once, one live record per addressee.

    filing_check.py HANDOVER_DIR
"""
import os
import sys

import dbfread


def live(folder, table):
    return list(dbfread.DBF(os.path.join(folder, table), encoding="cp850", load=True))


def check(folder):
    for table in ("DokName.dbf", "DokVW.dbf", "DatWV.dbf"):
        for r in live(folder, table):
            assert any(v not in (None, "", 0) for v in r.values()), f"{table}: blank live record"
    numbers = [r["DOKNR"] for r in live(folder, "DokVW.dbf")]
    assert len(numbers) == len(set(numbers)), "a DOKNR is given twice"
    keys = [
        "|".join(str(r[f]).strip() for f in ("ADRESSNR", "INITIAL", "GESNR", "GKURZ", "VERMITTNR", "JAHR"))
        for r in live(folder, "DokName.dbf")
    ]
    assert len(keys) == len(set(keys)), "an addressee has two live records"
    # A program killed between claiming a new addressee ("0000") and taking
    # its first number leaves the claim: the addressee then has no letter
    # yet, and the next numbering takes 0001 from it. A blank number is never
    # right.
    for r in live(folder, "DokName.dbf"):
        assert r["DOKLFDNR"].strip() != "", f"a record without a number was left: {r}"


def main():
    folder = os.path.join(sys.argv[1], "killed")
    if not os.path.isdir(folder):
        print("no tables handed over")
        return 1
    check(folder)
    print("registers sound")
    return 0


if __name__ == "__main__":
    sys.exit(main())
