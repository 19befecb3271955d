#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) in build-fuzz/ and runs each for
# SECONDS (default 60), starting from its seeds in fuzz/corpus/<target>/: every target that
# fuzz/CMakeLists.txt names (value_rules, data_file_reader, record_decoders, settings,
# line_exchange). Prints executions, coverage and findings per target and exits non-zero when
# any target found something.
#
#   scripts/fuzz.sh [SECONDS]
#
# What a run learns stays in build-fuzz/corpus/<target>/ for the next run. Findings (the inputs
# that broke a promise, crashed or leaked) go to build-fuzz/findings/<target>/, the target's
# output to build-fuzz/<target>.log. Replay one with build-fuzz/fuzz/fuzz_<target> <file>; each
# becomes a test case in the normal suite before it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2; }
scripts/bootstrap.sh fuzz

build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DYB_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_targets

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
status=0
printf '%-18s %12s %10s %8s %8s %9s\n' target executions exec/s cov features findings
while read -r target; do
    [[ -n $target ]] || continue
    corpus=$build/corpus/$target findings=$build/findings/$target log=$build/$target.log
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings"
    # Seeds are read from the repository, never written there; new inputs go to $corpus.
    rc=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || rc=$?
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    runs=$(grep -m 1 'stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
    speed=$(grep -m 1 'stat::average_exec_per_sec' "$log" | awk '{print $2}' || true)
    [[ -n $runs ]] || runs=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
    cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | awk '{print $2}' || true)
    ft=$(grep -oE 'ft: [0-9]+' <<<"$last" | awk '{print $2}' || true)
    found=$(find "$findings" -type f | wc -l)
    if ((rc != 0 && found == 0)); then found=1; fi  # e.g. the target could not start
    printf '%-18s %12s %10s %8s %8s %9s\n' "$target" "${runs:-?}" "${speed:-?}" "${cov:-?}" \
        "${ft:-?}" "$found"
    if ((found > 0)); then
        status=1
        find "$findings" -type f -printf '    %p\n'
        grep -m 1 -E 'ERROR: |broken promise|runtime error' "$log" | sed 's/^/    /' || true
        echo "    log: $log"
    fi
done <"$build/fuzz/targets.txt"
exit "$status"
