#!/bin/sh
# The browse view's rows of a demo contract table against python dbfread:
# the demo generator writes Vertrag.DBF, browse_rows shows it in a data
# window's browse view and writes the texts of its first and last rows, and
# dbfread reads the same file on its own.
#   browse_dbfread_test.sh KPWINE KPDEMO_EXE BROWSE_ROWS_EXE DBFREAD_ROWS_PY
set -u
kpwine=$1 kpdemo=$2 rows=$3 check=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/kpbrowse.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$kpwine" "$kpdemo" . 3000 >/dev/null) || { echo "FAIL: kpdemo"; exit 1; }
(cd "$work" && "$kpwine" "$rows" Vertrag.DBF 60 rows.txt) || { echo "FAIL: browse_rows"; exit 1; }
/usr/bin/python3 "$check" "$work/Vertrag.DBF" "$work/rows.txt"
