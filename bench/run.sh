#!/usr/bin/env bash
# Runs the benchmark of the streaming operations; see bench/run.py and bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 bench/run.py build/src/cli/tessaline "$@"
