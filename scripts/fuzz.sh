#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60),
# starting from the corpora in fuzz/corpus. New inputs go to a scratch folder,
# not into the repository; a failing input is kept in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
cmake --preset fuzz >/dev/null
# Each target (fuzz_NAME) with the folder of its corpus.
targets=(profile_reader:reader profile_writer:writer import_file:import)
cmake --build build-fuzz --target fuzz_profile_reader fuzz_profile_writer fuzz_import_file
status=0
for entry in "${targets[@]}"; do
  name="${entry%%:*}"
  target="${entry##*:}"
  scratch="$(mktemp -d)"
  echo "== ${name}: ${SECONDS_EACH} s"
  if ! build-fuzz/bin/fuzz_${name} -max_total_time="${SECONDS_EACH}" \
         -artifact_prefix=build-fuzz/ -print_final_stats=1 \
         "${scratch}" "fuzz/corpus/${target}" 2>"build-fuzz/${target}.log"; then
    status=1
    tail -n 30 "build-fuzz/${target}.log"
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units' "build-fuzz/${target}.log" || true
  rm -rf "${scratch}"
done
exit "${status}"
