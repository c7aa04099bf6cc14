#!/bin/sh
# scripts/check-layers on trees of one file: each row names the file, the header it includes and
# whether the check must pass (0) or fail (1); a failure must name the file and line.
check=$1
faults=0
while read -r file header expected; do
    tree=$(mktemp -d)
    mkdir -p "$tree/$(dirname "$file")"
    printf '// %s\n#include <vector>\n#include "%s"\n' "$header" "$header" >"$tree/$file"
    output=$(python3 "$check" "$tree")
    status=$?
    if [ "$status" != "$expected" ]; then
        echo "$file including $header: exit $status, expected $expected: $output"
        faults=$((faults + 1))
    elif [ "$expected" = 1 ] && ! printf '%s\n' "$output" | grep -qF "$file:3: "; then
        echo "$file including $header: the report does not name $file:3: $output"
        faults=$((faults + 1))
    fi
    rm -rf "$tree"
done <<'ROWS'
core/result.h link/frame.h 1
link/frame.cpp core/result.h 0
link/frame.cpp ops/forms.h 1
ops/commands.cpp link/frame.h 0
ops/commands.h res/texts/failure_texts.h 1
res/texts/failure_texts.cpp ops/forms.h 0
res/texts/failure_texts.cpp res/string_table.h 1
res/dialog_templates.cpp ops/forms.h 0
res/dialog_templates.cpp res/texts/failure_texts.h 0
res/dialog_templates.cpp widgets/hover_button.h 1
widgets/hover_button.cpp res/string_table.h 1
widgets/main_window_buttons.h app/control_ids.h 1
app/main_dialog.cpp widgets/hover_button.h 0
app/main_dialog.cpp res/string_table.h 0
tools/cli/session.cpp res/texts/failure_texts.h 0
tools/cli/plan.cpp tools/parse_number.h 0
tools/cli/plan.cpp tools/cli/plan.h 0
tools/cli/plan.cpp app/main_dialog.h 1
tools/cli/plan.cpp widgets/hover_button.h 1
tools/sim/fleet.cpp tools/cli/plan.h 1
tools/sim/fleet.cpp res/string_table.h 1
tools/parse_number.h link/frame.h 1
link/frame.cpp frame_local.h 0
tests/gui/pages_test.cpp app/main_dialog.h 0
bench/discovery.cpp tests/lab/support/lab_env.h 0
ROWS
echo "$faults of the rows failed"
[ "$faults" = 0 ]
