#!/usr/bin/env bash
# A man page renders on an 80-column terminal without a warning from the formatter (a table
# wider than the line, a line that cannot be broken, a bad request), and no line it renders is
# wider than the terminal (a Chinese character takes two columns).
# Usage: man_page_width_test.sh PAGE.1...
set -uo pipefail
command -v man >/dev/null || { echo "man is not installed"; exit 77; }
status=0
for page in "$@"; do
    warnings=$(MANWIDTH=80 MAN_KEEP_FORMATTING=0 man -l "$page" 2>&1 >/dev/null)
    if [[ -n $warnings ]]; then
        echo "$page:"
        echo "$warnings"
        status=1
    fi
    widest=$(MANWIDTH=80 man -l "$page" 2>/dev/null | LC_ALL=C.UTF-8 wc -L)
    if ((widest > 80)); then
        echo "$page: a line $widest columns wide"
        status=1
    fi
done
exit $status
