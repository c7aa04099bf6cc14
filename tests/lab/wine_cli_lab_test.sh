#!/usr/bin/env bash
# ktr-cli.exe run by Wine in the lab's PC namespace against the Linux ktr-sim in the devices
# namespace: search lists the device, get shows its settings, set writes one and is verified.
#   wine_cli_lab_test.sh WINE_SH PREFIX KTR_CLI_EXE
# Exits 77 (skipped) when the Windows build has no ktr-cli.exe.
set -euo pipefail

WINE_SH=$1 PREFIX=$2 CLI=$3
MAC=00-0E-EB-00-00-01
# The field written and read back, in ktr-cli's field names.
FIELD=${KTR_CLI_FIELD:-max_connections}
VALUE=${KTR_CLI_VALUE:-5}

if [[ ! -f $CLI ]]; then
    echo "skipped: no ktr-cli.exe in the Windows build ($CLI); this test runs once ktr-cli builds"
    exit 77
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

OUT=$(mktemp -d)
SIM_PID=
cleanup() {
    [[ -n $SIM_PID ]] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    rm -rf "$OUT"
}
trap cleanup EXIT

ns_dev=${KTR_LAB_NAME:-ktr}-dev
ip netns exec "$ns_dev" "$KTR_SIM" --devices 1 --ip 192.168.0.10 --mac "$MAC" --restart-ms 300 \
    >"$OUT/sim.log" &
SIM_PID=$!
for _ in $(seq 50); do
    grep -q '^ready' "$OUT/sim.log" && break
    sleep 0.1
done
grep -q '^ready' "$OUT/sim.log" || fail "ktr-sim did not start"

cli() {
    "$WINE_SH" run "$PREFIX" "$CLI" "$@" </dev/null
}

cli search --json --wait 1500 >"$OUT/search.json" || fail "search exited $?"
grep -q "\"$MAC\"" "$OUT/search.json" || fail "search does not list $MAC: $(cat "$OUT/search.json")"
echo "search: lists $MAC"

cli get "$MAC" --json >"$OUT/get.json" || fail "get exited $?"
grep -q '192.168.0.10' "$OUT/get.json" || fail "get shows no static IP: $(cat "$OUT/get.json")"
echo "get: shows the settings of $MAC"

cli set "$MAC" "$FIELD=$VALUE" >"$OUT/set.txt" 2>&1 || fail "set exited $?: $(cat "$OUT/set.txt")"
cli get "$MAC" --json >"$OUT/after.json" || fail "get after set exited $?"
grep -Eq "\"$FIELD\": *\"?$VALUE\"?" "$OUT/after.json" ||
    fail "$FIELD is not $VALUE after set: $(cat "$OUT/after.json")"
echo "set: $FIELD=$VALUE written and read back"
grep -q 'write-network' "$OUT/sim.log" || fail "the simulator saw no write"
echo "ktr-cli.exe under Wine: search, get and verified set passed"
