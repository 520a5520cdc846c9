#!/usr/bin/env bash
# The whole test suite built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a folder of its own. Any report fails the run:
# every sanitizer error stops the process that met it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh
cmake --preset asan >/dev/null
cmake --build --preset asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Tests that bound memory know that the sanitizers multiply it.
export TARVO_SANITIZED=1
tally_ctest build-asan
