#!/usr/bin/env bash
# The native build with g++, warnings as errors, and the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset default
cmake --build --preset default
ctest --preset default
