#!/usr/bin/env bash
# Builds everything and runs every test: each stage in scripts/ci/, in order.
# A single stage runs with, e.g., `bash scripts/ci/linux.sh`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
for stage in scripts/ci/[0-9]*.sh; do
  echo "=== ${stage}"
  bash "${stage}"
done
