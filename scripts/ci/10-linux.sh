#!/usr/bin/env bash
# The native build with g++, warnings as errors, and the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh
# Tests on explicitly: the demo leaves a tree without them.
cmake --preset default -DTARVO_BUILD_TESTS=ON
cmake --build --preset default
tally_ctest build
