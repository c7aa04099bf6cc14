#!/bin/sh
# Runs a GUI test binary in a fresh network namespace of its own (loopback up, plus a veth pair
# with the address 10.77.0.1 so the tool sees one local interface), so that binding port 1901
# and searching stay inside it. Without root the test runs as it is and the tests that need the
# namespace skip themselves.
if [ "$(id -u)" = 0 ] && unshare -n true 2>/dev/null; then
    exec unshare -n sh -c '
        ip link set lo up &&
        ip link add ktrgui0 type veth peer name ktrgui1 &&
        ip addr add 10.77.0.1/24 dev ktrgui0 &&
        ip link set ktrgui0 up && ip link set ktrgui1 up &&
        KTR_PRIVATE_NETNS=1 exec "$@"' _ "$@"
fi
exec "$@"
