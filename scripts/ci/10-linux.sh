#!/usr/bin/env bash
# The native build with g++, warnings as errors, and the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build -G Ninja -DTARVO_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2
