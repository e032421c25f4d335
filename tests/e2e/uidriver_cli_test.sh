#!/bin/sh
# The UI driver's command line, used as a test script would use it: start the
# program in a folder of its own, find its window, read a control, click
# "&Schliessen" and check that the program ends with exit code 0; then the
# same on a desktop of its own.
#   uidriver_cli_test.sh KPWINE UIDRIVER_EXE PROGRAM_EXE KPDEMO_EXE
set -u
kpwine=$1 driver=$2 program=$3 kpdemo=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/kpe2e-cli.XXXXXX") || exit 1
exe="$work/VeltoTax2010.exe"
desk="kpe2e-cli-$$"
pid=""
cleanup() {
    # Whatever happened, our copy of the program ends with the test (and
    # with it the desktop it was on).
    "$kpwine" "$driver" kill --exe "$exe" >/dev/null 2>&1
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cp "$program" "$exe" || exit 1
# The program opens its contract table at start; an empty one will do.
(cd "$work" && "$kpwine" "$kpdemo" . 0 >/dev/null) || exit 1

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Runs the driver; sets $out and $rc. Only windows of our own copy count.
drive() {
    out=$("$kpwine" "$driver" "$@" --exe "$exe")
    rc=$?
}
expect() {  # expect RC OUT-PATTERN DESCRIPTION
    case "$out" in
    $2) [ "$rc" -eq "$1" ] || fail "$3: exit code $rc, expected $1" ;;
    *) fail "$3: output '$out' (exit code $rc)" ;;
    esac
}
# Without the window the rest cannot work: say what the program shows, stop.
need_window() {  # need_window [--desktop NAME]
    drive wait-window "VeltoTax2010" 20000 "$@"
    expect 0 "hwnd=0x* pid=*" "wait-window $*"
    if [ "$rc" -ne 0 ]; then
        echo "the program shows:" >&2
        "$kpwine" "$driver" windows --exe "$exe" "$@" >&2
        [ -s "$work/program.log" ] && cat "$work/program.log" >&2
        exit 1
    fi
}
wait_job() {  # wait_job PID: sets $code; fails after 20 s
    waited=0
    while kill -0 "$1" 2>/dev/null && [ "$waited" -lt 200 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    kill -0 "$1" 2>/dev/null && return 1
    wait "$1"
    code=$?
}

# Usage errors and misses have their own exit codes.
out=$("$kpwine" "$driver" 2>/dev/null); rc=$?
expect 2 "" "no arguments"
out=$("$kpwine" "$driver" click VeltoTax2010 nonsense 2>/dev/null); rc=$?
expect 2 "" "bad control id"
out=$("$kpwine" "$driver" kill 2>/dev/null); rc=$?
expect 2 "" "kill without a process"
drive wait-window "VeltoTax2010" 200 2>/dev/null
expect 1 "" "window before the program runs"

# The program's output goes to a log: a process left behind must not hold
# the test's output open.
(cd "$work" && exec "$kpwine" ./VeltoTax2010.exe >"$work/program.log" 2>&1) &
pid=$!
need_window
drive text "VeltoTax2010" 100
expect 0 "&Schliessen" "text of 100"
drive state "VeltoTax2010" 100
expect 0 "enabled=1 visible=1" "state of 100"
drive list "VeltoTax2010"
expect 0 "*id=100 class=Button visible=1 enabled=1 rect=*text=&Schliessen*" "list"
drive windows
expect 0 "hwnd=0x* pid=* class=* caption=VeltoTax2010*" "windows"
drive text "VeltoTax2010" 4242 2>/dev/null
expect 1 "" "text of a missing control"
drive msgbox-text "Hinweis" 100 2>/dev/null
expect 1 "" "message box that is not there"
drive click "VeltoTax2010" 100
expect 0 "ok" "click 100"
# The program ends by itself; its exit code comes back through Wine.
if wait_job "$pid"; then
    pid=""
    [ "$code" -eq 0 ] || fail "program exit code $code, expected 0"
else
    fail "program still running 20 s after the click"
fi

# On a desktop of its own (as the run command shows the program) it is found
# with --desktop, and only so.
(cd "$work" && exec "$kpwine" explorer "/desktop=$desk,800x600" ./VeltoTax2010.exe \
    >"$work/program.log" 2>&1) &
pid=$!
need_window --desktop "$desk"
drive wait-window "VeltoTax2010" 200 2>/dev/null
expect 1 "" "window on another desktop"
drive click "VeltoTax2010" 100 --desktop "$desk"
expect 0 "ok" "click 100 on a desktop"
# The desktop closes when its last program has ended.
if wait_job "$pid"; then
    pid=""
else
    fail "program on the desktop still running 20 s after the click"
fi

[ "$failed" -eq 0 ] && echo "uidriver command line: all checks passed"
exit "$failed"
