#!/usr/bin/env bash
# Wine for the Windows builds of the tests: prefixes under the build folder and program runs.
#
#   wine.sh prefix DIR            makes the Wine prefix DIR (a copy of DIR/../template made by
#                                 hard links; the template itself is made by wineboot once)
#   wine.sh run DIR PROGRAM ARGS  runs PROGRAM.exe with prefix DIR, in this network namespace
#   wine.sh stop DIR              ends the Wine server of prefix DIR and what runs in it
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
stop)
    dir=$(realpath -m "$2")
    [[ -d $dir ]] && WINEPREFIX=$dir wineserver --kill 2>/dev/null || true
    ;;
*)
    sed -n '2,10p' "$0" >&2
    exit 2
    ;;
esac
