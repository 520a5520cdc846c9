#!/bin/bash
# The benchmark: builds a Release tree in build-bench/, generates the three
# stations (typical, large, largest) as emulator fixtures and files, measures
# the profile alone, whole EXPORT, IMPORT and PLAN runs through the emulator,
# TarvoCheck's CHECK and DIFF (on the stations, then as processes on huge
# files, with their peak memory), and the profile alone on one pump with
# 1,000 and 16,000 hoses, and prints the ratios. --one-pump measures only the
# one-pump rows. Takes a few minutes. Arguments go to tarvo_bench (for
# example --benchmark_filter=typical).
#
#   bash scripts/bench.sh
#
# Fixtures, files and journals are kept in build-bench/stations/; the output
# in build-bench/bench.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build build-bench --target tarvo_bench tarvo-bare-client TarvoExtract TarvoCheck tarvo-emulator
if [ ! -x build-bench/bin/tarvo_bench ]; then
  echo "bench.sh: tarvo_bench was not built (is libbenchmark-dev installed?)" >&2
  exit 1
fi
build-bench/bin/tarvo_bench --stations="$PWD/build-bench/stations" --benchmark_color=false "$@" \
  | tee build-bench/bench.txt
