#!/usr/bin/env bash
# Builds everything and runs every test: each stage in scripts/ci/, in order,
# up to the first stage that fails. A single stage runs with, e.g.,
# `bash scripts/ci/10-linux.sh`.
#
# Every suite a stage runs (a ctest tree, a GoogleTest program run directly,
# a fuzz target) prints a tally line (scripts/ci/tally.sh); the counts are
# given per stage and, on the last line, over all stages:
#   tests: N passed, N failed, N skipped
# A stage that fails without a failed test (a build error) counts as one
# failure. The package installs and every stage end with their wall and CPU
# time (scripts/ci/timing.sh); the last line is followed by the total:
#   time: wall N s, CPU N s
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ci/timing.sh
total_wall=0 total_cpu=0
times=()
# timed_end <name>: the stage's time line, kept for the end and added to the
# total.
timed_end() {
  timing_end "$1"
  times+=("${timing_text}")
  echo "${timing_text}"
  total_wall=$((total_wall + timing_wall))
  total_cpu=$((total_cpu + timing_cpu))
}
timing_start deps
(timing_join; bash scripts/deps.sh)
timed_end deps
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT

# sum <log> <word>: the tally lines' counts of "passed", "failed" or "skipped".
sum() {
  awk -v word="$2" '/^tally: / {
    for (i = 1; i < NF; ++i) if ($(i + 1) == word "," || $(i + 1) == word) n += $i
  } END { print n + 0 }' "$1"
}

status=0
summary=()
all_passed=0 all_failed=0 all_skipped=0
for stage in scripts/ci/[0-9]*.sh; do
  echo "=== ${stage}"
  log="${logs}/$(basename "${stage}").log"
  set +e
  timing_start "$(basename "${stage}" .sh)"
  (timing_join; bash "${stage}") 2>&1 | tee "${log}"
  stage_status=${PIPESTATUS[0]}
  set -e
  timed_end "$(basename "${stage}" .sh)"
  passed=$(sum "${log}" passed)
  failed=$(sum "${log}" failed)
  skipped=$(sum "${log}" skipped)
  note=""
  if [ "${stage_status}" != 0 ]; then
    status=1
    if [ "${failed}" = 0 ]; then
      failed=1
      note=" (the stage failed outside its tests)"
    fi
  fi
  summary+=("$(basename "${stage}" .sh): ${passed} passed, ${failed} failed, ${skipped} skipped${note}")
  all_passed=$((all_passed + passed))
  all_failed=$((all_failed + failed))
  all_skipped=$((all_skipped + skipped))
  [ "${status}" = 0 ] || break
done
echo
for line in "${summary[@]}"; do echo "  ${line}"; done
for line in "${times[@]}"; do echo "  ${line}"; done
echo "tests: ${all_passed} passed, ${all_failed} failed, ${all_skipped} skipped"
echo "time: wall ${total_wall} s, CPU ${total_cpu} s"
exit "${status}"
