#!/bin/sh
# Checks a printed letter: check_letter.sh FILE.ps PAGES LINES
# The file must have PAGES pages holding "Briefzeile 1" .. "Briefzeile LINES"
# each once and in order. Exit 77 (skipped) when there is no file (no
# printer was set up) or no Ghostscript.
file=$1 pages=$2 lines=$3
[ -f "$file" ] || { echo "no printed letter (no printer set up): skipped"; exit 77; }
command -v gs >/dev/null || { echo "Ghostscript is missing: skipped"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
i=1
while [ "$i" -le "$pages" ]; do
    gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -dFirstPage=$i -dLastPage=$i \
       -sOutputFile="$tmp/page$i.txt" "$file" || { echo "gs failed on page $i"; exit 1; }
    [ -s "$tmp/page$i.txt" ] || { echo "page $i is missing or empty"; exit 1; }
    i=$((i + 1))
done
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -dFirstPage=$((pages + 1)) \
   -sOutputFile="$tmp/extra.txt" "$file" 2>/dev/null
if [ -s "$tmp/extra.txt" ]; then echo "more than $pages pages"; exit 1; fi
# Ghostscript writes CR LF and may turn blanks into no-break spaces.
nbsp=$(printf '\302\240')
for f in "$tmp"/page*.txt; do
    tr -d '\r' < "$f" | sed "s/$nbsp/ /g; s/^ *//; s/ *\$//" > "$f.clean" && mv "$f.clean" "$f"
done
cat "$tmp"/page*.txt | grep '^Briefzeile' > "$tmp/got.txt"
seq 1 "$lines" | sed 's/^/Briefzeile /' > "$tmp/want.txt"
# Page files sort as page1, page2, page3: fine below ten pages.
if ! cmp -s "$tmp/got.txt" "$tmp/want.txt"; then
    echo "the letter's lines are not all there once and in order:"
    diff "$tmp/want.txt" "$tmp/got.txt" | head -20
    exit 1
fi
# Every page carries text of its own, in the letter's order.
first2=$(grep -m1 Briefzeile "$tmp/page2.txt" | sed 's/^ *//')
[ "$first2" != "Briefzeile 1" ] || { echo "page 2 starts over"; exit 1; }
echo "$pages pages, $lines lines in order"
