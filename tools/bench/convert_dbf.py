#!/usr/bin/python3
# The 2010 insurance-tax conversion as a plain script with the python `dbf`
# package (Debian's python3-dbf), the yardstick of the conversion benchmark:
# the same count and the same conversion as the program, without locks.
#   /usr/bin/python3 convert_dbf.py <Vertrag.DBF>
# Prints one line: "script: <counted> counted, <converted> converted,
# count <s> s, convert <s> s, total <s> s (CPU <s> s)".
import sys
import time

import dbf

# Line of insurance, old rate, new rate; the first match wins.
ROWS = [("WOHNGEBÄUDE", 17.75, 16.34), ("WOHNGEBÄUDE", 14.0, 13.2), ("HAUSRAT", 18.0, 16.15)]


def row_of(rec):
    rate = rec.vsteuer
    for line, old, new in ROWS:
        if rate == old and rec.verssparte.strip().upper() == line:
            return old, new
    return None


def main():
    table = dbf.Table(sys.argv[1])
    table.open(mode=dbf.READ_WRITE)
    t0 = time.perf_counter()
    c0 = time.process_time()
    counted = sum(1 for rec in table if not dbf.is_deleted(rec) and row_of(rec))
    t1 = time.perf_counter()
    converted = 0
    for rec in table:
        if dbf.is_deleted(rec):
            continue
        match = row_of(rec)
        if not match:
            continue
        old, new = match
        tax, premium = rec.vsteuerdm, rec.beitrag
        dbf.write(rec, beitrag=(premium - tax) + tax / old * new, vsteuerdm=tax / old * new,
                  vsteuer=new)
        converted += 1
    table.close()
    t2 = time.perf_counter()
    cpu = time.process_time() - c0
    print("script: %d counted, %d converted, count %.3f s, convert %.3f s, total %.3f s (CPU %.3f s)"
          % (counted, converted, t1 - t0, t2 - t1, t2 - t0, cpu))


main()
