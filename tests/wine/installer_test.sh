#!/usr/bin/env bash
# The Windows installer tried under Wine: a silent install into C:\KTR, the files, the Start-menu
# shortcut and the Apps & features entry checked, the installed ktr-setup.exe started on Windows'
# own platform plugin with nothing but the installed files (a picture of its window is kept),
# then a silent uninstall that leaves none of them behind. Wine has no firewall: netsh.exe is
# replaced by a recorder (netsh_recorder.c), and the rule the installer adds and the uninstaller
# removes are read from what it recorded.
#   installer_test.sh WINDOWS_BUILD_DIR INSTALLER.exe
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
WIN=$(realpath "$1")
INSTALLER=$(realpath "$2")

if [[ -z ${KTR_WINE_ISOLATED:-} ]]; then
    if [[ $(id -u) -eq 0 ]]; then
        exec env KTR_WINE_ISOLATED=1 unshare --net "$0" "$WIN" "$INSTALLER"
    fi
    exec env KTR_WINE_ISOLATED=1 unshare --user --map-root-user --net "$0" "$WIN" "$INSTALLER"
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

PREFIX=$WIN/wine/installer
rm -rf "$PREFIX"
"$HERE/wine.sh" prefix "$PREFIX"
"$HERE/wine.sh" cjk-font "$PREFIX"
x86_64-w64-mingw32-gcc-posix -O2 -o "$PREFIX/drive_c/windows/system32/netsh.exe" \
    "$HERE/netsh_recorder.c" -static || fail "the netsh recorder does not build"
NETSH_CALLS=$PREFIX/drive_c/netsh-calls.txt
rm -f "$NETSH_CALLS"
export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n"
unset WINEPATH
XVFB_PID=
stop() {
    wineserver --kill 2>/dev/null || true
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
}
trap stop EXIT
read -r n XVFB_PID < <("$HERE/wine.sh" display) || true
[[ -n ${XVFB_PID:-} ]] || fail "no virtual X screen"
export DISPLAY=:$n
wineserver --persistent
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null

DIR=$PREFIX/drive_c/KTR
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KTR Setup'
shortcuts() { find "$PREFIX/drive_c" -name '*.lnk' -path '*KTR*' 2>/dev/null; }

timeout 120 wine "$INSTALLER" /S '/D=C:\KTR' </dev/null >/dev/null 2>&1 || fail "installer exited $? (124: it waited for ever, on a message box?)"
for f in ktr-setup.exe ktr-cli.exe ktr-sim.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll translations/qtbase_zh_CN.qm licenses/qt/LGPL-3.0-only.txt \
    LICENSE Uninstall.exe guide/index.html guide/en.html guide/pictures/search-result.png; do
    [[ -f $DIR/$f ]] || fail "not installed: $f"
done
echo "installed: $(find "$DIR" -type f | wc -l) files, $(du -sh "$DIR" | cut -f1)"
[[ -n $(shortcuts) ]] || fail "no Start-menu shortcut"
echo "shortcut: $(shortcuts | sed "s|$PREFIX/||")"
shortcuts | grep -q '使用指南' || fail "no Start-menu shortcut to the guide"
wine reg query "$UNINSTALL_KEY" /v DisplayName </dev/null 2>/dev/null | tr -d '\r' |
    grep -q 'DisplayName' || fail "no Apps & features entry ($UNINSTALL_KEY)"
echo "Apps & features: $(wine reg query "$UNINSTALL_KEY" /v DisplayName </dev/null 2>/dev/null |
    tr -d '\r' | grep DisplayName | sed 's/.*REG_SZ *//')"

# The rule lets UDP 1901 in to the installed program, and only to it.
RULE='name="KTR 设备配置 UDP 1901"'
grep -F "advfirewall firewall add rule $RULE dir=in action=allow protocol=UDP localport=1901 program=\"C:\KTR\ktr-setup.exe\" enable=yes" \
    "$NETSH_CALLS" >/dev/null || fail "no firewall rule for UDP 1901 asked for: $(cat "$NETSH_CALLS" 2>&1)"
echo "firewall rule asked for: $(grep -F 'add rule' "$NETSH_CALLS" | sed 's/^.*advfirewall/netsh advfirewall/')"

# The installed program alone: no WINEPATH, so every DLL and plugin must come from C:\KTR. Once
# its window is on the screen, a picture of the screen is kept and the program is ended.
SHOT=$WIN/wine/installed-window.png
rm -f "$SHOT"
QT_QPA_PLATFORM=windows wine 'C:\KTR\ktr-setup.exe' </dev/null >/dev/null 2>&1 &
APP_PID=$!
started=$SECONDS
shown=
while ((SECONDS - started < 60)) && kill -0 "$APP_PID" 2>/dev/null; do
    if xdotool search --name 'KTR-4410-HT-LAN Setup' >/dev/null 2>&1; then
        shown=1
        sleep 2
        import -window root "$SHOT"
        break
    fi
    sleep 0.5
done
kill "$APP_PID" 2>/dev/null || true
wait "$APP_PID" 2>/dev/null || true
[[ -n $shown ]] || fail "the installed ktr-setup.exe showed no window (missing DLL or plugin?)"
echo "installed ktr-setup.exe showed its window after $((SECONDS - started)) s: $SHOT"

# The uninstaller copies itself away and returns at once; the files go shortly after.
timeout 120 wine 'C:\KTR\Uninstall.exe' /S </dev/null >/dev/null 2>&1 || fail "uninstaller exited $?"
for _ in $(seq 100); do
    [[ ! -e $DIR/ktr-setup.exe && -z $(shortcuts) ]] && break
    sleep 0.2
done
[[ ! -e $DIR/ktr-setup.exe ]] || fail "ktr-setup.exe is still there after the uninstall"
left=$( (find "$DIR" -type f 2>/dev/null || true) | wc -l)
((left == 0)) || fail "$left files left in C:\\KTR: $(find "$DIR" -type f | head -5)"
[[ -z $(shortcuts) ]] || fail "the shortcut is still there: $(shortcuts)"
if wine reg query "$UNINSTALL_KEY" </dev/null >/dev/null 2>&1; then
    fail "the Apps & features entry is still there"
fi
for _ in $(seq 50); do
    grep -qF "advfirewall firewall delete rule $RULE" "$NETSH_CALLS" && break
    sleep 0.2
done
grep -qF "advfirewall firewall delete rule $RULE" "$NETSH_CALLS" ||
    fail "the uninstaller did not remove the firewall rule: $(cat "$NETSH_CALLS")"
echo "installer under Wine: silent install, shortcut, Apps & features entry, start and" \
    "silent uninstall passed"
