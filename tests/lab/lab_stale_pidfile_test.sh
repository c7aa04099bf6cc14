#!/usr/bin/env bash
# A simulator pid file left by an earlier run may name a process that has nothing to do with the
# lab by now (the pid was reused): taking the lab down must leave that process alone.
set -euo pipefail

LAB=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/lab
# A prefix of its own: the namespaces and state of the lab the other tests use stay untouched.
export KTR_LAB_NAME=${KTR_LAB_NAME:-ktr}-stale
if [[ $(id -u) -ne 0 ]]; then
    echo "needs root, as the lab does; skipped"
    exit 77
fi

base=/run
[[ -d $base && -w $base ]] || base=/tmp
state=$base/$KTR_LAB_NAME-lab

sleep 60 &
stranger=$!
cleanup() {
    kill "$stranger" 2>/dev/null || true
    rm -rf "$state"
}
trap cleanup EXIT

mkdir -p "$state"
echo "$stranger" >"$state/sim.pid"
"$LAB" down

if ! kill -0 "$stranger" 2>/dev/null; then
    echo "FAIL: 'lab down' ended pid $stranger, a process outside the lab named by a stale pid file"
    exit 1
fi
if [[ -e $state/sim.pid ]]; then
    echo "FAIL: the stale pid file is still there"
    exit 1
fi
echo "PASS"
