#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them side by side, each for
# SECONDS (default 20), starting from the corpora in fuzz/corpus. New inputs
# go to a scratch folder, not into the repository; a failing input is kept in
# build-fuzz/. Each target ends with a tally line (scripts/ci/tally.sh): one
# passed or one failed.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-20}"
cmake --preset fuzz >/dev/null
# Each target (fuzz_NAME) with the folder of its corpus.
targets=(profile_reader:reader profile_writer:writer import_file:import)
cmake --build build-fuzz --target fuzz_profile_reader fuzz_profile_writer fuzz_import_file
scratch="$(mktemp -d)"
trap 'rm -rf "${scratch}"' EXIT
pids=()
for entry in "${targets[@]}"; do
  name="${entry%%:*}"
  target="${entry##*:}"
  mkdir -p "${scratch}/${name}"
  echo "== ${name}: ${SECONDS_EACH} s, beside the others"
  build-fuzz/bin/fuzz_${name} -max_total_time="${SECONDS_EACH}" \
    -artifact_prefix=build-fuzz/ -print_final_stats=1 \
    "${scratch}/${name}" "fuzz/corpus/${target}" 2>"build-fuzz/${target}.log" &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  name="${targets[$i]%%:*}"
  target="${targets[$i]##*:}"
  if wait "${pids[$i]}"; then
    echo "== ${name}:"
    grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "build-fuzz/${target}.log" || true
    echo "tally: fuzz_${name}: 1 passed, 0 failed, 0 skipped"
  else
    status=1
    echo "== ${name}:"
    tail -n 30 "build-fuzz/${target}.log"
    echo "tally: fuzz_${name}: 0 passed, 1 failed, 0 skipped"
  fi
done
exit "${status}"
