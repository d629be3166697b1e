#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while each, seeded with the corpus and the test
# files. New inputs collect in BUILD/fuzz-corpus/TARGET; a crash is written to
# BUILD/fuzz-crashes/TARGET-... and stops that target with a non-zero status.
# usage: scripts/fuzz.sh BUILD SECONDS [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(timing_line microdvd_line substation_line ini operations encoding)
fi
status=0
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    crashes="$build/fuzz-crashes"
    mkdir -p "$corpus" "$crashes"
    echo "fuzz: $target for $seconds s"
    # The first folder takes the new inputs; the others only seed.
    "$build/tests/hostile/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$crashes/$target-" \
        "$corpus" tests/corpus tests/data || status=1
done
exit $status
