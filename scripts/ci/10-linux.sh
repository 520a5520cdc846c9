#!/usr/bin/env bash
# The native build with g++, warnings as errors, and the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh
# Tests on explicitly: the demo leaves a tree without them.
cmake -S . -B build -G Ninja -DTARVO_WERROR=ON -DTARVO_BUILD_TESTS=ON
cmake --build build
tally_ctest build
