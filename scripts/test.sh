#!/usr/bin/env bash
# Builds everything and runs every test: each stage in scripts/ci/, in order.
# A single stage runs with, e.g., `bash scripts/ci/10-linux.sh`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
for stage in scripts/ci/[0-9]*.sh; do
  echo "=== ${stage}"
  bash "${stage}" 2>&1 | tee -a "$log"
done
# One closing line over the ctest runs of all stages.
total=0
for n in $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$log"); do
  total=$((total + n))
done
skipped=$(grep -c '(Skipped)$' "$log" || true)
echo "tests: $((total - skipped)) passed, 0 failed, ${skipped} skipped"
