"""Checks the rows a browse view showed against python dbfread.

    dbfread_rows.py TABLE ROWSFILE

ROWSFILE holds the grid's row count, then lines "row<TAB>cell<TAB>cell...".
dbfread reads the table on its own (code page 850, deleted records left
out, as the program hides them); each value is written as the grid shows
it: German dates, numbers with their decimals and a decimal comma, "T"/"F",
"<Memo>" for a memo with text."""
import sys

from dbfread import DBF


def shown(field, value):
    if field.type in "NF":
        return f"{(value or 0):.{field.decimal_count}f}".replace(".", ",")
    if field.type == "D":
        return value.strftime("%d.%m.%Y") if value else "  .  .    "
    if field.type == "L":
        return "T" if value else "F"
    if field.type == "M":
        return "<Memo>" if value else ""
    return (value or "").rstrip(" ")


def main():
    table, rows_file = sys.argv[1], sys.argv[2]
    dbf = DBF(table, encoding="cp850", char_decode_errors="strict")
    expected = [[shown(f, rec[f.name]) for f in dbf.fields] for rec in dbf]
    with open(rows_file, encoding="utf-8") as f:
        lines = f.read().split("\n")
    count = int(lines[0])
    failures = 0
    if count != len(expected):
        print(f"row count: grid {count}, dbfread {len(expected)}")
        failures += 1
    checked = 0
    for line in lines[1:]:
        if not line:
            continue
        cells = line.split("\t")
        row = int(cells[0])
        if cells[1:] != expected[row]:
            print(f"row {row}: grid {cells[1:]}\n      dbfread {expected[row]}")
            failures += 1
        checked += 1
    if checked == 0:
        print("no rows to check")
        failures += 1
    print(f"{checked} rows checked, {failures} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
