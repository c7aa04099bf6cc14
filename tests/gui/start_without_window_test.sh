#!/bin/sh
# ktr-setup answers --help and --version without a window, and without a display says so in
# one line and exits with 1 instead of Qt's messages and abort. Run through in_private_netns.sh,
# so that a start that went further than it should could not reach a network.
# Usage: start_without_window_test.sh KTR-SETUP VERSION
setup=$1
version=$2
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# Answers with and without a display: the window never opens.
env -u DISPLAY -u WAYLAND_DISPLAY "$setup" --version >"$out" 2>"$err"
code=$?
[ "$code" = 0 ] || fail "--version exited with $code"
[ "$(cat "$out")" = "ktr-setup $version" ] || fail "--version printed: $(cat "$out")"
[ -s "$err" ] && fail "--version wrote to standard error: $(cat "$err")"

env -u DISPLAY -u WAYLAND_DISPLAY "$setup" --help >"$out" 2>"$err"
code=$?
[ "$code" = 0 ] || fail "--help exited with $code"
head -n 1 "$out" | grep -q '^用法: ktr-setup' || fail "--help printed: $(cat "$out")"
grep -q -- '--version' "$out" || fail "--help does not name --version"
QT_QPA_PLATFORM=offscreen "$setup" -h >"$out" 2>&1 || fail "-h exited with $?"
grep -q '^用法: ktr-setup' "$out" || fail "-h printed: $(cat "$out")"

# No display to connect to: neither set, nor one that answers.
expected="ktr-setup: 无法打开窗口: 没有可用的图形显示 (请在桌面会话中运行, 或检查 DISPLAY 设置)"
for display in unset :79; do
    if [ "$display" = unset ]; then
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$setup" >"$out" 2>"$err"
    else
        env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=$display "$setup" >"$out" 2>"$err"
    fi
    code=$?
    [ "$code" = 1 ] || fail "display $display: exit code $code"
    [ "$(cat "$err")" = "$expected" ] || fail "display $display: standard error was: $(cat "$err")"
    [ -s "$out" ] && fail "display $display: standard output was: $(cat "$out")"
done
[ "$failures" = 0 ] && echo "passed"
exit "$failures"
