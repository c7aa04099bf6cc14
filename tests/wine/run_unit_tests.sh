#!/usr/bin/env bash
# Runs the unit and GUI tests of a Windows cross build through Wine and says how many passed.
#   run_unit_tests.sh WINDOWS_BUILD_DIR [ctest arguments]
# The run gets a network namespace of its own with lo and one veth pair holding 10.77.0.1 (the
# socket tests bind port 1901 on loopback addresses, the window's on that one interface; nothing
# may reach the machine's network), a virtual X screen (Wine makes every window, Qt's hidden
# message windows too, through its X display driver), a Wine prefix under the build folder with a
# CJK font, and one Wine server kept alive for the whole run, so each test start is quick.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
WIN=$(realpath "$1")
shift

if [[ -z ${KTR_WINE_ISOLATED:-} ]]; then
    if [[ $(id -u) -eq 0 ]]; then
        exec env KTR_WINE_ISOLATED=1 unshare --net "$0" "$WIN" "$@"
    fi
    exec env KTR_WINE_ISOLATED=1 unshare --user --map-root-user --net "$0" "$WIN" "$@"
fi

ip link set lo up
ip link add ktrgui0 type veth peer name ktrgui1
ip addr add 10.77.0.1/24 dev ktrgui0
ip link set ktrgui0 up
ip link set ktrgui1 up
export KTR_PRIVATE_NETNS=1

XVFB_PID=
stop() {
    wineserver --kill 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
}
trap stop EXIT
read -r n XVFB_PID < <("$HERE/wine.sh" display) || true
[[ -n ${XVFB_PID:-} ]] || exit 1
export DISPLAY=:$n

PREFIX=$WIN/wine/unit
"$HERE/wine.sh" prefix "$PREFIX"
"$HERE/wine.sh" cjk-font "$PREFIX"
export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver --persistent
# The first program of a prefix starts Wine's services, which keep its output open; started
# here, they hold /dev/null instead of a test's output pipe.
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null

status=0
ctest --test-dir "$WIN" --output-on-failure "$@" || status=$?

# Each test executable is one CTest test; GoogleTest's own summary lines give the test cases.
LOG=$WIN/Testing/Temporary/LastTest.log
# awk alone: a count that finds no line (no test skipped) is 0, not a failed pipeline.
ran=$(awk '/^\[==========\] [0-9]+ tests? from .* ran/ {s += $2} END {print s + 0}' "$LOG")
passed=$(awk '/^\[  PASSED  \] [0-9]+ tests?/ {s += $4} END {print s + 0}' "$LOG")
skipped=$(awk '/^\[  SKIPPED \] [0-9]+ tests?/ {s += $4} END {print s + 0}' "$LOG")
echo "Windows unit and GUI tests under Wine: $passed of $ran passed, $skipped skipped"
exit $status
