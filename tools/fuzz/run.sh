#!/bin/sh
# Builds the table fuzzer with clang (libFuzzer, ASan, UBSan) into
# build/fuzz and runs it for the given number of seconds (default 20).
# Independent of the CMake build: clang compiles the sources directly.
set -e
secs=${1:-20}
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/fuzz"
mkdir -p "$out/corpus"
flags="-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$root"
srcs="$root/tools/fuzz/fuzz_table.cpp $(ls "$root"/platform/data/*.cpp | grep -v _win32) $(ls "$root"/platform/runtime/*.cpp)"
if [ ! -x "$out/fuzz_table" ] || [ -n "$(find $srcs -newer "$out/fuzz_table" 2>/dev/null | head -1)" ]; then
  echo "building $out/fuzz_table"
  clang++ $flags -o "$out/fuzz_table" $srcs
fi
# Seeds: a small table of every field type with an index, made by the tool.
if [ ! -f "$out/corpus/seed1" ]; then
  "$out/fuzz_table" -runs=0 "$out/corpus" >/dev/null 2>&1 || true
  python3 - "$out/corpus/seed1" <<'PY' || true
import struct, sys
def dbf():
    fields = [(b"NAME", b"C", 8, 0), (b"NUM", b"N", 6, 2), (b"DAT", b"D", 8, 0), (b"LOG", b"L", 1, 0)]
    hl = 32 + 32 * len(fields) + 1
    rl = 1 + sum(f[2] for f in fields)
    recs = [b" Alpha   12.50201001 31T", b"*Beta   -3.00        F", b" Gamma     .00000000 ?"]
    recs = [r[:rl].ljust(rl) for r in recs]
    h = struct.pack("<B3BIHH", 3, 110, 1, 1, len(recs), hl, rl) + b"\0" * 20
    d = b"".join(n.ljust(11, b"\0") + t + b"\0" * 4 + bytes([w, dc]) + b"\0" * 14 for n, t, w, dc in fields)
    return h + d + b"\x0d" + b"".join(recs) + b"\x1a"
def ntx():
    ks = 8; item = ks + 8; mx = 1022 // (item + 2) - 1; mx -= mx % 2
    h = struct.pack("<HHIIHHHHH", 6, 1, 1024, 0, item, ks, 0, mx, mx // 2) + b"NAME".ljust(256, b"\0") + b"\0"
    h = h.ljust(1024, b"\0")
    base = 2 + 2 * (mx + 1)
    page = struct.pack("<H", 3) + b"".join(struct.pack("<H", base + i * item) for i in range(mx + 1))
    page = page.ljust(1024, b"\0")
    page = bytearray(page)
    for i, (r, k) in enumerate([(1, b"Alpha   "), (2, b"Beta    "), (3, b"Gamma   ")]):
        page[base + i * item: base + (i + 1) * item] = struct.pack("<II", 0, r) + k
    return h + bytes(page)
t, x = dbf(), ntx()
open(sys.argv[1], "wb").write(struct.pack("<HH", len(t), len(x)) + t + x)
PY
fi
exec "$out/fuzz_table" -max_total_time="$secs" -max_len=8192 -timeout=10 -rss_limit_mb=1024 -artifact_prefix="$out/" "$out/corpus"
