#!/bin/sh
# Runs a command on a virtual X screen of the given size with a real window manager (icewm, with
# its taskbar), so that window frames, title bars and the screen's available area are real.
#   under_window_manager.sh WIDTHxHEIGHT COMMAND [ARG...]
# Exits 77 (skipped) only when there is no Xvfb; a window manager that does not come up fails.
size=$1
shift
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "under_window_manager: Xvfb is not installed; skipped" >&2
    exit 77
fi
for tool in icewm xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "under_window_manager: $tool is not installed (scripts/setup installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display number itself and writes it to the file, so parallel runs never
# meet on one display.
Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi 96 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "under_window_manager: Xvfb did not start; skipped" >&2
    cat "$work/xvfb.log" >&2
    exit 77
fi
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

HOME=$work icewm >"$work/wm.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has published its work area (the screen less its taskbar).
ready=""
for _ in $(seq 100); do
    if xprop -root _NET_WORKAREA 2>/dev/null | grep -q '='; then
        ready=1
        break
    fi
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "under_window_manager: icewm did not come up on $DISPLAY" >&2
    cat "$work/wm.log" >&2
    exit 1
fi
sleep 0.5 # the taskbar maps after the work area is set

QT_QPA_PLATFORM=xcb "$@"
status=$?
exit $status
