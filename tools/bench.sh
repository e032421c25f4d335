#!/bin/sh
# Builds the benchmarks optimised and runs them natively and under Wine on a
# generated 1,000,000-record table. They print their figures; nothing passes
# or fails. KP_BENCH_RECORDS=n sets the table size.
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
echo "== conversion walk, native =="
build/bench-native/tools/bench/bench_conversion "$n" "$work"
rm -rf "${work:?}"/*
echo "== conversion walk, Wine =="
tools/wine/kpwine build/win32/tools/bench/bench_conversion.exe "$n" "$winwork"

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
