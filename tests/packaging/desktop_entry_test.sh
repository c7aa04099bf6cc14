#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate with nothing to say: no error, no warning and
# no hint (such as two main categories, which list the program twice in a menu).
# Usage: desktop_entry_test.sh FILE.desktop
set -uo pipefail
command -v desktop-file-validate >/dev/null || { echo "desktop-file-utils is not installed"; exit 77; }
output=$(desktop-file-validate "$1" 2>&1)
status=$?
if [[ $status -ne 0 || -n $output ]]; then
    echo "$output"
    exit 1
fi
