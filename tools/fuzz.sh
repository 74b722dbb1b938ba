#!/bin/sh
# Builds the fuzz targets with clang and runs each one.
#   tools/fuzz.sh [SECONDS] [TARGET...]
# With SECONDS = 0 each target only replays its corpus (a regression run, as CI does).
# New inputs are kept in build-fuzz/corpus/<target>; crashes in build-fuzz/crashes.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
[ $# -gt 0 ] && shift

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTSUZURI_BUILD_FUZZERS=ON >/dev/null
cmake --build build-fuzz

targets=$*
if [ -z "$targets" ]; then
    targets=$(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
fi
mkdir -p build-fuzz/crashes
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$(pwd)/.ci/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in $targets; do
    name=${target%_fuzz}
    seeds=fuzz/corpus/$name
    work=build-fuzz/corpus/$name
    mkdir -p "$work"
    dict=""
    [ -f "fuzz/dict/$name.dict" ] && dict="-dict=fuzz/dict/$name.dict"
    echo "== $target"
    if [ "$SECONDS_EACH" -eq 0 ]; then
        # shellcheck disable=SC2086
        "build-fuzz/fuzz/$target" $dict -rss_limit_mb=2048 "$seeds"/* </dev/null
    else
        # shellcheck disable=SC2086
        "build-fuzz/fuzz/$target" $dict -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 \
            -timeout=10 -artifact_prefix=build-fuzz/crashes/"$name"- "$work" "$seeds" </dev/null
    fi
done
