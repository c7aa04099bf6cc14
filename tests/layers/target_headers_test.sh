#!/bin/sh
# ktr_target_headers and ktr_check_include_roots on a project of two libraries, where "high"
# includes a header of "low": it builds only when high links low, never reaches a header of a
# subfolder of low, and an include folder in the source tree stops the configure.
#   target_headers_test.sh CMAKE KtrTargets.cmake
cmake=$1
helpers=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/low/sub" "$work/src/high"
cat >"$work/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(layers_probe LANGUAGES CXX)
include($helpers)
add_library(low STATIC low/low.cpp)
ktr_target_headers(low low)
add_library(high STATIC high/high.cpp)
ktr_target_headers(high high)
if(LINK)
    target_link_libraries(high PRIVATE low)
endif()
if(ROOT)
    target_include_directories(high PRIVATE \${PROJECT_SOURCE_DIR})
endif()
ktr_check_include_roots()
CMAKE
echo 'int low();' >"$work/src/low/low.h"
echo 'int hidden();' >"$work/src/low/sub/hidden.h"
printf '#include "low/low.h"\nint low() { return 1; }\n' >"$work/src/low/low.cpp"
faults=0
# expect: configure, build or pass - the step that must fail first, or that nothing fails.
attempt() {
    expect=$1 header=$2
    shift 2
    printf '#include "%s"\nint high() { return 2; }\n' "$header" >"$work/src/high/high.cpp"
    rm -rf "$work/build"
    if ! "$cmake" -S "$work/src" -B "$work/build" "$@" >"$work/log" 2>&1; then
        got=configure
    elif ! "$cmake" --build "$work/build" >>"$work/log" 2>&1; then
        got=build
    else
        got=pass
    fi
    if [ "$got" != "$expect" ]; then
        echo "high including $header with $*: $got, expected $expect"
        cat "$work/log"
        faults=$((faults + 1))
    fi
}
attempt pass low/low.h -DLINK=ON
attempt build low/low.h -DLINK=OFF
attempt build low/sub/hidden.h -DLINK=ON
attempt build sub/hidden.h -DLINK=ON
attempt configure low/low.h -DLINK=ON -DROOT=ON
echo "$faults of the cases failed"
[ "$faults" = 0 ]
