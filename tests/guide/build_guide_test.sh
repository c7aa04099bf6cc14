#!/usr/bin/env bash
# The guide's build (docs/guide/build_guide.cmake) on copies of its sources: with every picture
# it makes both pages, copies the pictures they show and nothing that reaches outside the page's
# folder; a missing picture and a link to no heading each fail the build, naming the culprit.
#   build_guide_test.sh SOURCE_DIR PICTURES_DIR PANDOC
set -euo pipefail

SOURCE=$1 PICTURES=$2 PANDOC=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

build() { # SOURCE PICTURES OUTPUT -> the build's output in $WORK/log, its status returned
    cmake -DPANDOC="$PANDOC" -DSOURCE="$1" -DPICTURES="$2" -DOUTPUT="$3" \
        -P "$SOURCE/build_guide.cmake" >"$WORK/log" 2>&1
}

# Every picture there: both pages, each picture they show, no outside resource.
build "$SOURCE" "$PICTURES" "$WORK/ok" || { cat "$WORK/log"; fail "the guide did not build"; }
for page in index en; do
    [[ -s $WORK/ok/$page.html ]] || fail "$page.html not made"
    for picture in $(grep -o 'src="pictures/[^"]*"' "$WORK/ok/$page.html" | sed 's/src="pictures\/\(.*\)"/\1/'); do
        [[ -s $WORK/ok/pictures/$picture ]] || fail "$page.html shows $picture, which was not copied"
    done
    # A page read from the disk must not load anything from the network.
    if grep -Eq '(src|href)="(https?:)?//' "$WORK/ok/$page.html"; then
        fail "$page.html loads something from outside: $(grep -Eo '(src|href)="(https?:)?//[^"]*"' "$WORK/ok/$page.html" | head -1)"
    fi
done
shown=$(grep -ho 'src="pictures/[^"]*"' "$WORK/ok/index.html" | sort -u | wc -l)
((shown >= 10)) || fail "index.html shows only $shown pictures"
echo "guide built: index.html shows $shown pictures"

# One picture missing: the build fails and names it.
mkdir "$WORK/few"
cp "$PICTURES"/*.png "$WORK/few/"
missing=$(grep -o '(pictures/[^)]*)' "$SOURCE/index.md" | tail -1 | sed 's/(pictures\/\(.*\))/\1/')
rm "$WORK/few/$missing"
if build "$SOURCE" "$WORK/few" "$WORK/out-few"; then
    fail "the guide built without $missing"
fi
grep -q "$missing" "$WORK/log" || fail "the failure does not name $missing: $(cat "$WORK/log")"
echo "without $missing: refused, naming it"

# A link to a heading that is not there: the build fails and names the link.
mkdir "$WORK/src"
cp "$SOURCE"/* "$WORK/src/" 2>/dev/null || true
printf '\n见[不存在的一节](#不存在的一节)。\n' >>"$WORK/src/en.md"
if build "$WORK/src" "$PICTURES" "$WORK/out-link"; then
    fail "the guide built with a link to no heading"
fi
grep -q '不存在的一节' "$WORK/log" || fail "the failure does not name the link: $(cat "$WORK/log")"
echo "a link to no heading: refused, naming it"
