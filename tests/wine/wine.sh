#!/usr/bin/env bash
# Wine for the Windows builds of the tests: prefixes under the build folder and program runs.
#
#   wine.sh prefix DIR            makes the Wine prefix DIR (a copy of DIR/../template made by
#                                 hard links, the registry files copied; the template itself is
#                                 made by wineboot once)
#   wine.sh run DIR PROGRAM ARGS  runs PROGRAM.exe with prefix DIR, in this network namespace
#   wine.sh stop DIR              ends the Wine server of prefix DIR and what runs in it
#   wine.sh display               starts a virtual X screen (Xvfb) on a free display number and
#                                 prints the number and Xvfb's process id
#   wine.sh cjk-font DIR          gives prefix DIR a Chinese font under the Song names the
#                                 window asks for (SimSun, NSimSun, 宋体), as Windows has them
#
# Wine creates sockets in its server process, so a program's network is the namespace its
# prefix's server started in: a prefix serves one namespace at a time.
set -euo pipefail

export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the programs are plain console programs.
export WINEDLLOVERRIDES="mscoree,mshtml="

die() {
    echo "wine.sh: $*" >&2
    exit 1
}

command -v wine >/dev/null || die "wine is missing (scripts/setup installs it)"

make_template() {
    local template=$1
    [[ -f $template/system.reg ]] && return 0
    rm -rf "$template" "$template.tmp"
    mkdir -p "$template.tmp"
    WINEPREFIX=$template.tmp wineboot --init >/dev/null 2>&1 || die "wineboot failed"
    WINEPREFIX=$template.tmp wineserver --wait
    mv "$template.tmp" "$template"
}

case ${1:-} in
prefix)
    dir=$(realpath -m "$2")
    make_template "$(dirname "$dir")/template"
    if [[ ! -f $dir/system.reg ]]; then
        rm -rf "$dir"
        cp -al "$(dirname "$dir")/template" "$dir"
        # Wine rewrites its registry files in place: each prefix gets copies of its own, or a
        # program's registry entries (an installer's) would land in the template and in every
        # other prefix.
        for reg in "$dir"/*.reg; do
            cp --remove-destination "$(dirname "$dir")/template/$(basename "$reg")" "$reg"
        done
    fi
    ;;
run)
    dir=$(realpath -m "$2")
    [[ -f $dir/system.reg ]] || die "no Wine prefix in $dir (wine.sh prefix $dir)"
    shift 2
    export WINEPREFIX=$dir
    # Wine's server and services outlive the program and would keep its output open for whoever
    # reads it; started here they hold /dev/null. The server stays a minute after the last
    # program, so a run of tests shares one.
    wineserver --persistent=60 >/dev/null 2>&1 </dev/null || true
    wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
    exec wine "$@"
    ;;
display)
    # Wine draws through X even for windows nobody sees. The socket files are shared with other
    # network namespaces: a display number nobody holds.
    command -v Xvfb >/dev/null || die "Xvfb is missing (scripts/setup installs xvfb)"
    for n in $(seq 400 499); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
        pid=$!
        for _ in $(seq 50); do
            DISPLAY=:$n xdpyinfo >/dev/null 2>&1 && break
            sleep 0.1
        done
        DISPLAY=:$n xdpyinfo >/dev/null 2>&1 || die "Xvfb :$n did not start"
        echo "$n $pid"
        exit 0
    done
    die "no free display number"
    ;;
cjk-font)
    # Wine has no SimSun. The window's texts are drawn in AR PL UMing CN (fonts-arphic-uming), a
    # Song face like SimSun with Latin letters as narrow as SimSun's, which Wine finds among the
    # system's fonts; Wine's font replacements give it the Song names, so that the window gets
    # the face it asks for first, as it does on Windows. Not WenQuanYi Zen Hei: Wine's GDI gives
    # its embedded bitmaps glyph boxes too small, and glyphs lose their left or top edge at the
    # window's 12-pixel size. Not Noto Sans CJK SC: its 17-pixel line is cut in the 12-pixel
    # labels. The product is left as it is: what Windows gets does not change.
    dir=$(realpath -m "$2")
    [[ -f $dir/system.reg ]] || die "no Wine prefix in $dir (wine.sh prefix $dir)"
    face="AR PL UMing CN"
    [[ $(cat "$dir/.ktr-cjk-font" 2>/dev/null) == "$face" ]] && exit 0
    fc-list "$face" | grep -q . || die "$face is missing (scripts/setup installs fonts-arphic-uming)"
    reg=$dir/drive_c/ktr-cjk-font.reg
    {
        printf '\xff\xfe'
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
            "\"SimSun\"=\"$face\"" "\"NSimSun\"=\"$face\"" "\"宋体\"=\"$face\"" \
            "\"新宋体\"=\"$face\"" | iconv -f UTF-8 -t UTF-16LE
    } >"$reg"
    WINEPREFIX=$dir wine regedit /S 'C:\ktr-cjk-font.reg' >/dev/null 2>&1 </dev/null ||
        die "regedit could not take the font replacements"
    WINEPREFIX=$dir wineserver --wait
    echo "$face" >"$dir/.ktr-cjk-font"
    ;;
stop)
    dir=$(realpath -m "$2")
    [[ -d $dir ]] && WINEPREFIX=$dir wineserver --kill 2>/dev/null || true
    ;;
*)
    sed -n '2,10p' "$0" >&2
    exit 2
    ;;
esac
