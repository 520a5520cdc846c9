#!/usr/bin/env bash
# The quick loop: rebuilds the native tree of the `quick` preset (build-quick/,
# no clang-tidy, unoptimised) and runs the in-process tests, the ctest label
# `unit`. Arguments go to ctest, e.g. `bash scripts/quick.sh -R Profile`.
# After a change to one source file it takes well under two minutes; the
# whole test command is scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset quick >/dev/null
cmake --build --preset quick
ctest --preset quick "$@"
