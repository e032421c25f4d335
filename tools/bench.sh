#!/bin/sh
# Builds the benchmarks optimised and runs them natively and under Wine.
# They print their figures; nothing passes or fails.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=${KP_JOBS:-2}
tools/setup.sh
cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
benches=$(sed -n 's/^build tools\/bench\/\([A-Za-z0-9_]*\): .*/\1/p' build/bench-native/build.ninja | sort -u)
[ -n "$benches" ] || { echo "bench: no benchmarks built yet"; exit 0; }
cmake --build build/bench-native -j"$jobs" --target $benches
cmake --build build/win32 -j"$jobs" --target $benches
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for b in $benches; do
    echo "== $b (native) =="
    build/bench-native/tools/bench/$b "$work"
    rm -rf "${work:?}"/*
    echo "== $b (Wine) =="
    tools/wine/kpwine "build/win32/tools/bench/$b.exe" "$(echo "Z:$work" | tr / '\\\\')"
    rm -rf "${work:?}"/*
done
