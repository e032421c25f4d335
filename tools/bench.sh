#!/bin/sh
# Builds the benchmarks optimised and runs them natively and under Wine on a
# generated 1,000,000-record table. They print their figures; nothing passes
# or fails. KP_BENCH_RECORDS=n sets the table size.
# The conversion part runs count + convert of the program under Wine and a
# python `dbf` script (tools/bench/convert_dbf.py, Debian's python3-dbf) on
# copies of one demo table with about 8 % affected contracts, and prints both
# times and the ratio, the file calls per 1,000 converted contracts and the
# peak memory.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=${KP_JOBS:-2}
n=${KP_BENCH_RECORDS:-1000000}
tools/setup.sh
cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build build/bench-native -j"$jobs" --target kp_bench_data bench_conversion
cmake --build build/win32 -j"$jobs" --target kp_bench_data bench_conversion
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winwork=$(echo "Z:$work" | tr / '\\')

echo "== table engine, native =="
build/bench-native/tools/bench/kp_bench_data "$work" "$n"
rm -rf "${work:?}"/*
echo "== table engine, Wine =="
tools/wine/kpwine build/win32/tools/bench/kp_bench_data.exe "$winwork" "$n"
rm -rf "${work:?}"/*
# The conversion: one demo table with about 8 % affected contracts (as the
# office's table), copied for each contender so that all start alike.
echo "== conversion: count + convert =="
build/bench-native/tools/bench/bench_conversion generate "$work/orig" "$n" 8
for d in wine script native; do cp -r "$work/orig" "$work/$d"; done
small=$((n / 10))
build/bench-native/tools/bench/bench_conversion generate "$work/small" "$small" 8 >/dev/null
sync
echo "-- VeltoTax2010's walk under Wine --"
tools/wine/kpwine build/win32/tools/bench/bench_conversion.exe run "$winwork\\wine" \
    | tee "$work/wine.txt"
# The same walk writing the window's protocol: what the protocol costs.
cp -r "$work/orig" "$work/wineprot"
echo "-- the same under Wine, writing the protocol as the window does --"
tools/wine/kpwine build/win32/tools/bench/bench_conversion.exe run "$winwork\\wineprot" protocol \
    | grep -E '^(convert|count\+convert|peak)'
rm -rf "$work/wineprot"
echo "-- python dbf script (Debian's python3-dbf), no locks, same table --"
if /usr/bin/python3 -c 'import dbf' 2>/dev/null; then
    /usr/bin/python3 tools/bench/convert_dbf.py "$work/script/Vertrag.DBF" | tee "$work/script.txt"
else
    echo "python3-dbf is not installed (apt-get install python3-dbf): no comparison"
    : >"$work/script.txt"
fi
ours=$(sed -n 's/^count+convert: \([0-9.]*\) s (CPU \([0-9.]*\) s).*/\1 \2/p' "$work/wine.txt")
theirs=$(sed -n 's/.*total \([0-9.]*\) s (CPU \([0-9.]*\) s).*/\1 \2/p' "$work/script.txt")
echo "$ours $theirs" | awk '{
    if ($1 > 0) printf "ratio: Wine %.3f s, script %.3f s: %.1f x faster", $1, $3, $3 / $1
    if ($2 > 0) printf " (CPU time: %.3f s against %.3f s, %.1f x)", $2, $4, $4 / $2
    print "" }'
echo "-- native --"
build/bench-native/tools/bench/bench_conversion run "$work/native" | tee "$work/native.txt"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    # Without a disk under the final flush: what the walk itself costs.
    shm=$(mktemp -d /dev/shm/kp_bench.XXXXXX)
    cp -r "$work/orig/." "$shm"
    echo "-- native, table in memory (/dev/shm) --"
    build/bench-native/tools/bench/bench_conversion run "$shm" | grep -E '^(count|convert)'
    rm -rf "$shm"
fi
echo "-- native, a table of $small records (memory does not grow with the table) --"
build/bench-native/tools/bench/bench_conversion run "$work/small" | grep -E '^(count|convert|peak)'

# kpsteuer natively on copies of the same table: against the walk's count +
# convert above, its peak memory, and the way back against the conversion.
cmake --build build/bench-native -j"$jobs" --target kpsteuer
echo "== kpsteuer, native =="
harness=$(sed -n 's/^count+convert: \([0-9.]*\) s.*/\1/p' "$work/native.txt")
kp=build/bench-native/kpsteuer/kpsteuer
timed() {  # label, then the command: prints "label: s, peak MB"
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
    awk -v l="$label" -v h="$harness" '{
        printf "%s: %.3f s, peak memory %.1f MB", l, $1, $2 / 1024
        if (h > 0) printf " (%.2f x the walk'"'"'s count+convert, %.3f s)", $1 / h, h
        print "" }' "$work/time.txt"
}
for d in kp_pruefen kp_anpassen; do cp -r "$work/orig" "$work/$d"; done
sync
timed "kpsteuer pruefen" "$kp" pruefen "$work/kp_pruefen"
timed "kpsteuer anpassen" "$kp" anpassen "$work/kp_anpassen"
timed "kpsteuer zurueck" "$kp" zurueck "$work/kp_anpassen"/VSteuer-Protokoll-*.csv
if cmp -s "$work/orig/Vertrag.DBF" "$work/kp_anpassen/Vertrag.DBF"; then
    echo "zurueck gave the table back byte for byte"
fi
cp -r "$work/small" "$work/kp_small"
timed "kpsteuer anpassen, $small records" "$kp" anpassen "$work/kp_small"
rm -rf "$work"/kp_*

# The window itself under Wine, timed from outside: start to "&Anpassen"
# enabled, click to "Hinweis" (it writes its protocol beside the table). The
# start with an empty table shows what the start itself costs, and a bare
# window's start what of it is Wine's own; the harness's walks above with the protocol show what
# the conversion costs without the window; the rest of the click's time is
# the window's (100 repaints of the bar and the event loop, the box).
cmake --build build/win32 -j"$jobs" --target bench_window bench_window_bare
build/bench-native/tools/bench/bench_conversion generate "$work/empty" 0 >/dev/null
# Inside one server and one display: the starts are what a clerk's are.
cat >"$work/window_runs.sh" <<EOF
cd "$repo"
tools/wine/kpwine-server start
for i in 1 2 3; do
    tools/wine/kpwine build/win32/tools/bench/bench_window_bare.exe --start '$winwork\\empty'
    tools/wine/kpwine build/win32/tools/bench/bench_window.exe --start '$winwork\\empty'
done
for i in 1 2 3; do
    rm -rf "$work/window"
    cp -r "$work/orig" "$work/window"
    sync
    tools/wine/kpwine build/win32/tools/bench/bench_window.exe '$winwork\\window'
done
tools/wine/kpwine-server stop
EOF
echo "== the conversion window, Wine, $n records, timed from outside =="
if [ -n "${DISPLAY:-}" ]; then
    sh "$work/window_runs.sh"
else
    KP_WINE_DESKTOP=1 xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/window_runs.sh"
fi
rm -rf "$work/window" "$work/empty"

echo "-- load of the machine meanwhile --"
uptime

# The searches of the search dialogs: full text over 500,000 addresses,
# index seeks, the contract hit list of 100.
cmake --build build/bench-native -j"$jobs" --target bench_search
cmake --build build/win32 -j"$jobs" --target bench_search
rm -rf "${work:?}"/*
echo "== searches, native =="
build/bench-native/tools/bench/bench_search "$work" 500000
rm -rf "${work:?}"/*
echo "== searches, Wine =="
tools/wine/kpwine build/win32/tools/bench/bench_search.exe "$winwork" 500000

# The browse view opens a window: on a virtual display inside a Wine
# desktop when there is no display.
cmake --build build/win32 -j"$jobs" --target bench_browse
rm -rf "${work:?}"/*
echo "== browse view, Wine =="
if [ -n "${DISPLAY:-}" ]; then
    tools/wine/kpwine build/win32/tools/bench/bench_browse.exe "$n" "$winwork"
else
    KP_WINE_DESKTOP=1 xvfb-run -a -s "-screen 0 1024x768x24" \
        tools/wine/kpwine build/win32/tools/bench/bench_browse.exe "$n" "$winwork"
fi

# The rich edit on a 200-page letter: open and save through the control.
cmake --build build/win32 -j"$jobs" --target bench_wordpad
rm -rf "${work:?}"/*
echo "== rich edit, 200-page letter, Wine =="
if [ -n "${DISPLAY:-}" ]; then
    tools/wine/kpwine build/win32/tools/bench/bench_wordpad.exe 200 "$winwork"
else
    KP_WINE_DESKTOP=1 xvfb-run -a -s "-screen 0 1024x768x24" \
        tools/wine/kpwine build/win32/tools/bench/bench_wordpad.exe 200 "$winwork"
fi
