#!/usr/bin/env bash
# The native build with g++, warnings as errors, clang-tidy over the programs'
# own code, the layout and size rules, and the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh
bash scripts/style.sh
# Tests on explicitly: the demo leaves a tree without them. Any clang-tidy
# finding fails the build (.clang-tidy treats warnings as errors).
cmake --preset default -DTARVO_BUILD_TESTS=ON -DTARVO_CLANG_TIDY=ON
cmake --build --preset default
tally_ctest build
