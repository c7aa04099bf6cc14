#!/usr/bin/env bash
# Runs the unit tests of a Windows cross build through Wine and says how many passed.
#   run_unit_tests.sh WINDOWS_BUILD_DIR [ctest arguments]
# The run gets a network namespace of its own with only lo (the socket tests bind port 1901 on
# loopback addresses; nothing may reach the machine's network), a Wine prefix under the build
# folder and one Wine server kept alive for the whole run, so each test start is quick.
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
PREFIX=$WIN/wine/unit
"$HERE/wine.sh" prefix "$PREFIX"
export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver --persistent
trap 'wineserver --kill 2>/dev/null || true' EXIT
# The first program of a prefix starts Wine's services, which keep its output open; started
# here, they hold /dev/null instead of a test's output pipe.
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null

status=0
ctest --test-dir "$WIN" --output-on-failure "$@" || status=$?

# Each test executable is one CTest test; GoogleTest's own summary lines give the test cases.
LOG=$WIN/Testing/Temporary/LastTest.log
# A count no line gives (no test skipped, say) is zero, not a failure of the script.
Count() {
    { grep -Eo "$1" "$LOG" || true; } | awk -v field="$2" '{s += $field} END {print s + 0}'
}
ran=$(Count '^\[==========\] [0-9]+ tests? from .* ran' 2)
passed=$(Count '^\[  PASSED  \] [0-9]+ tests?' 4)
skipped=$(Count '^\[  SKIPPED \] [0-9]+ tests?' 4)
echo "Windows unit tests under Wine: $passed of $ran passed, $skipped skipped"
exit $status
