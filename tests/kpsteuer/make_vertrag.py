#!/usr/bin/python3
# Writes a contract table with the python `dbf` package (Debian's
# python3-dbf), as another tool of the office would:
#   make_vertrag.py <Vertrag.DBF> <records> [seed]
# Lines, rates and amounts vary; about a quarter of the contracts are
# converted, some are near misses, a few are deleted.
import random
import sys

import dbf

LINES = ["WOHNGEBÄUDE", " Wohngebäude ", "HAUSRAT", "hausrat", "WOHNGEBAEUDE", "WOHNGEB.",
         "KFZ", "HAFTPFLICHT", "UNFALL"]
RATES = [17.75, 14.0, 18.0, 16.34, 13.2, 16.15, 19.0, 17.7]


def main():
    path, n = sys.argv[1], int(sys.argv[2])
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 7)
    table = dbf.Table(path, "VERSNR C(15); NNAME C(25); VERSSPARTE C(20); VSTEUER N(6,2); "
                            "VSTEUERDM N(12,2); BEITRAG N(12,2); BEGINN D",
                      codepage="cp850", dbf_type="db3")
    table.open(mode=dbf.READ_WRITE)
    for i in range(n):
        rate = rnd.choice(RATES)
        net = rnd.randint(5000, 90000) / 100.0
        tax = round(net * rate / 100.0, 2)
        table.append((
            "V%08d" % (i + 1), rnd.choice(["Müller", "Schmidt", "Weiß", "Öztürk", "Groß"]),
            rnd.choice(LINES), rate, tax, round(net + tax, 2), dbf.Date(2009, 1, 1 + i % 28)))
    for rec in table:
        if rnd.random() < 0.03:
            dbf.delete(rec)
    table.close()


main()
