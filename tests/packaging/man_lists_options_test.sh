#!/usr/bin/env bash
# A man page names every option the program's help lists, for the program and for each of the
# commands given.
# Usage: man_lists_options_test.sh PAGE.1 PROGRAM [COMMAND...]
set -uo pipefail
page=$1
program=$2
shift 2
# The page's text with roff's escaped hyphens made plain.
text=$(sed -e 's/\\-/-/g' "$page")
help=$("$program" --help)
for command in "$@"; do
    help+=$'\n'$("$program" "$command" --help)
done
options=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
[[ -n $options ]] || { echo "$program --help lists no options"; exit 1; }
missing=0
for option in $options; do
    if ! grep -qF -- "$option" <<<"$text"; then
        echo "$page does not name $option"
        missing=1
    fi
done
exit $missing
