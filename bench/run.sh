#!/usr/bin/env bash
# Runs the benchmark of every command; see bench/run.py. Without arguments (make bench) it
# regenerates bench/RESULTS.md; with arguments it only prints the table of the run asked for.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
    set -- --results bench/RESULTS.md
fi
exec python3 bench/run.py build/src/cli/tessaline "$@"
