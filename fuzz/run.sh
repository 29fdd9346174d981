#!/usr/bin/env bash
# Runs each fuzz target for the given number of seconds, one after the other.
#   fuzz/run.sh <build folder> <seconds> <target>...
# Each target starts from its seed corpus in fuzz/corpus/<name> (with the words in fuzz/<name>.dict)
# and keeps what it learns in
# <build folder>/corpus/<name>; an input that makes it fail is written to <build folder>/artifacts/<name>/.
set -euo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

export QT_QPA_PLATFORM=offscreen
# Qt keeps caches for the whole run (fonts, code pages) that the leak checker would report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

status=0
for target in "$@"; do
    name=${target#fuzz_}
    corpus="$build/corpus/$name"
    artifacts="$build/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    echo "== $target for $seconds seconds"
    dictionary=()
    [[ -f "$here/$name.dict" ]] && dictionary=(-dict="$here/$name.dict")
    rc=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 "${dictionary[@]}" \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$here/corpus/$name" \
        >"$build/$target.log" 2>&1 || rc=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
    if [[ $rc -ne 0 ]]; then
        grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz_[a-z]+: )|runtime error' "$build/$target.log" || true
        echo "== $target found a fault: see $build/$target.log and $artifacts/"
        status=1
    fi
done
exit $status
