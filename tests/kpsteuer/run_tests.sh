#!/bin/sh
# Runs the kpsteuer tests on a table that python's dbf package writes here.
#   run_tests.sh <make_vertrag.py> <kpsteuer_tests> [emulator]
# The emulator is Wine's wrapper (Windows paths for the table) or the 32-bit
# runner.
# Without python3-dbf the tests that need that table skip themselves.
set -e
script=$1 tests=$2 emulator=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if /usr/bin/python3 -c 'import dbf' 2>/dev/null; then
    /usr/bin/python3 "$script" "$work/Vertrag.DBF" 2500
    case "$emulator" in
    *kpwine)
        KPSTEUER_PYTABLE="Z:$(echo "$work/Vertrag.DBF" | tr / '\\')"
        ;;
    *)
        KPSTEUER_PYTABLE="$work/Vertrag.DBF"
        ;;
    esac
    export KPSTEUER_PYTABLE
    # Wine hands the environment on to the Windows program.
    export WINEDEBUG=${WINEDEBUG:--all}
fi
if [ -n "$emulator" ]; then
    exec "$emulator" "$tests"
else
    exec "$tests"
fi
