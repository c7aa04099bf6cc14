#!/usr/bin/env bash
# The window of the Windows build, run by Wine on Windows' own platform plugin in the lab's PC
# namespace (a virtual X screen there, the prefix's Wine server started there) against the Linux
# ktr-sim with three devices in the devices namespace: each device listed once, a double-click
# read fills the page, a device-settings write is verified. The picture of the window after the
# read is kept as SHOT.
#   wine_window_lab_test.sh WINE_SH PREFIX WINDOWS_BUILD_DIR SHOT
# Exits 77 (skipped) when the Windows build has no window.
set -euo pipefail

WINE_SH=$1 PREFIX=$2 WIN=$3 SHOT=$4
TESTS=$WIN/tests/windows/window_lab_tests.exe
DEVICES=3

if [[ ! -f $TESTS || ! -x $WIN/wine-with-qt.sh ]]; then
    echo "skipped: the Windows build ($WIN) has no window (it is built with Qt for Windows)"
    exit 77
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

OUT=$(mktemp -d)
SIM_PID= XVFB_PID=
cleanup() {
    local status=$?
    [[ -n $SIM_PID ]] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null || true
    WINEPREFIX=$PREFIX wineserver --kill 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null || true
    rm -rf "$OUT"
    exit "$status"
}
trap cleanup EXIT

ns_dev=${KTR_LAB_NAME:-ktr}-dev
ip netns exec "$ns_dev" "$KTR_SIM" --devices "$DEVICES" --ip 192.168.0.10 \
    --mac 00-0E-EB-00-00-01 --firmware 288 --restart-ms 300 >"$OUT/sim.log" &
SIM_PID=$!
for _ in $(seq 50); do
    grep -q '^ready' "$OUT/sim.log" && break
    sleep 0.1
done
grep -q '^ready' "$OUT/sim.log" || fail "ktr-sim did not start"

# Wine draws through X even for a window nobody sees: a virtual screen of our own.
read -r n XVFB_PID < <("$WINE_SH" display) || true
[[ -n ${XVFB_PID:-} ]] || fail "no virtual X screen"
export DISPLAY=:$n

"$WINE_SH" cjk-font "$PREFIX"
export WINEPREFIX=$PREFIX
# A server left from a run in another namespace would own the sockets there: this one's.
wineserver --kill 2>/dev/null || true
wineserver --persistent=60 >/dev/null 2>&1 </dev/null
mkdir -p "$(dirname "$SHOT")"
rm -f "$SHOT"
status=0
KTR_LAB_DEVICES=$DEVICES KTR_SHOT="Z:$SHOT" QT_QPA_PLATFORM=windows \
    "$WIN/wine-with-qt.sh" "$TESTS" </dev/null || status=$?
echo "--- what the simulated devices saw:"
sed 's/^/  /' "$OUT/sim.log"
((status == 0)) || fail "window_lab_tests.exe exited $status"
[[ -s $SHOT ]] || fail "no picture of the window in $SHOT"
echo "window of ktr-setup.exe under Wine: each device once, read and verified write passed;" \
    "picture: $SHOT"
