#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each in
# turn for the given seconds (default 600), starting from its seeds in
# fuzz/corpus/. Prints the inputs tried per target; fails when one crashes.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
# What a run finds stays in build-fuzz/fuzz/: the grown corpus, each
# target's log, and the input of a crash (crash-*, leak-*, timeout-*).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
targets=(settings_file server_list init_log assembly_line assembly_log clock_time_line
         pipe_frames listener_request)

ZELKON_BUILD_TARGETS=fuzz_all nice -n 10 scripts/setup.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ \
    -DZELKON_FUZZ=ON -DZELKON_WITH_WIDGETS=OFF

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
out=build-fuzz/fuzz
failed=()
for target in "${targets[@]}"; do
    mkdir -p "$out/corpus/$target" "$out/artifacts"
    log="$out/$target.log"
    status=0
    # New inputs go to the first folder, so the seeds in the repository stay as they are.
    nice -n 10 "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" \
        "$out/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    printf '%-18s %12s inputs in %s s\n' "$target" "${inputs:-?}" "$seconds"
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        tail -n 40 "$log" >&2
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found a crash in: ${failed[*]} (inputs in $out/artifacts/)" >&2
    exit 1
fi
