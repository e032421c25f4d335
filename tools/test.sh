#!/bin/sh
# Builds both configurations and runs every test: native first (with
# AddressSanitizer and UBSan), a short fuzzing run, the portable layers as
# 32-bit programs, then the Windows build under Wine on a virtual display.
# Exits non-zero on any failure.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=${KP_JOBS:-2}
start=$(date +%s)
phase() { echo "== $* [$(($(date +%s) - start)) s] =="; }

# Installing the Windows tool chain and Wine takes minutes on a fresh machine;
# the native part needs only what the machine has, so both run side by side.
mkdir -p build
if command -v cmake >/dev/null && command -v ninja >/dev/null && command -v g++ >/dev/null; then
    tools/setup.sh > build/setup.log 2>&1 &
    setup_pid=$!
else
    tools/setup.sh
    setup_pid=
fi

phase "native build (ASan/UBSan)"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKP_SANITIZE=ON >/dev/null
cmake --build build/native -j"$jobs"
phase "native tests"
native_rc=0
ctest --test-dir build/native --output-on-failure -j"$jobs" || native_rc=$?

if [ -n "$setup_pid" ]; then
    phase "waiting for the setup"
    if ! wait "$setup_pid"; then
        cat build/setup.log
        echo "setup failed" >&2
        exit 1
    fi
    cat build/setup.log
fi

fuzz_rc=0
# The fuzzer runtime comes with the setup.
if [ -x tools/fuzz/run.sh ]; then
    phase "fuzzing (bounded)"
    tools/fuzz/run.sh "${KP_FUZZ_SECONDS:-20}" || fuzz_rc=$?
fi

# The program ships as i686; its portable layers' tests also run as 32-bit
# Linux programs (no sanitizers), directly or through qemu-i386 where this
# kernel runs only 64-bit code (tools/run-i386 decides).
phase "32-bit build of the portable layers"
# Without debug information and lightly optimised: it checks behaviour in 32
# bits, and a failure is looked at again in a debug build.
cmake -S . -B build/native32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-linux-i386.cmake" >/dev/null
cmake --build build/native32 -j"$jobs"
native32_rc=0
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    phase "32-bit tests"
    ctest --test-dir build/native32 --output-on-failure -j"$jobs" || native32_rc=$?
    # Machines that cannot run 32-bit code take the emulator's path (programs
    # that start programs find it in KP_EMULATOR); keep that path green here too.
    # The runs that kill programs at many random points ran above and take
    # minutes under the emulator; the other process tests start programs the
    # same way.
    phase "32-bit tests through qemu-i386 (the path of kernels without 32-bit execution)"
    KP_I386_EMULATE=1 GTEST_FILTER='-*Kill*' \
        ctest --test-dir build/native32 --output-on-failure -j"$jobs" || native32_rc=$?
else
    phase "32-bit tests (through qemu-i386)"
    ctest --test-dir build/native32 --output-on-failure -j"$jobs" || native32_rc=$?
fi

phase "Windows build"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build build/win32 -j"$jobs"
arch=$(sed -n 's/^KP_WIN_ARCH:STRING=//p' build/win32/CMakeCache.txt)
# The other architecture is built while the Wine tests run (they mostly wait
# for windows and the server, so a compiler beside them costs little time).
# Where 32-bit Wine runs (i686 above), 64-bit Wine runs too: the x86_64 build
# then also runs the Wine tests labelled "archpath", those that exercise the
# window and message layers where pointer width matters. Where it does not,
# the shipped i686 programs are built only, to keep the sources clean for i686.
if [ "$arch" = i686 ]; then other=x86_64; else other=i686; fi
cmake -S . -B "build/win32-$other" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKP_WIN_ARCH=$other \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
other_targets=shipped
if [ "$other" = x86_64 ]; then
    other_targets="$other_targets $(ctest --test-dir "build/win32-$other" -N -L archpath |
                                    sed -n 's/^ *Test *#[0-9]*: //p')"
fi
cmake --build "build/win32-$other" -j1 --target $other_targets > "build/win32-$other.log" 2>&1 &
other_pid=$!

phase "Windows tests under Wine ($arch)"
# Windows of the tests live in a Wine virtual desktop (see tools/wine/kpwine-env).
export KP_WINE_DESKTOP=1
# Wine prints through CUPS: a private server with one PDF queue for the tests
# that print (tests that need no printer hide it from their own processes).
if tools/print/kpcups start >/dev/null; then
    export CUPS_SERVER=$(tools/print/kpcups env | sed 's/^CUPS_SERVER=//')
    trap 'tools/print/kpcups stop' EXIT
else
    echo "test: no CUPS server; the tests that print will skip"
fi
wine_rc=0
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    tools/wine/kpwine-server start
    ctest --test-dir build/win32 --output-on-failure
    rc=$?
    tools/wine/kpwine-server stop
    exit $rc' || wine_rc=$?

phase "$other build (started beside the Wine tests)"
other_rc=0
wait "$other_pid" || other_rc=$?
cat "build/win32-$other.log"
if [ "$other_rc" -eq 0 ] && [ "$other" = x86_64 ]; then
    phase "Windows tests under 64-bit Wine (x86_64, label archpath)"
    KP_WINE_ARCH=win64 xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        tools/wine/kpwine-server start
        ctest --test-dir build/win32-x86_64 --output-on-failure -L archpath
        rc=$?
        tools/wine/kpwine-server stop
        exit $rc' || other_rc=$?
fi

phase "summary: native=$native_rc fuzz=$fuzz_rc native32=$native32_rc wine=$wine_rc $other=$other_rc"
[ "$native_rc" -eq 0 ] && [ "$fuzz_rc" -eq 0 ] && [ "$native32_rc" -eq 0 ] && [ "$wine_rc" -eq 0 ] &&
    [ "$other_rc" -eq 0 ]
