#!/usr/bin/env bash
# Each fuzz target of the configuration file for a bounded time (FUZZ_SECONDS,
# default 20), from the corpora kept in fuzz/corpus. Prints, per target, the
# inputs executed and the coverage reached; a crash or a broken property fails
# the stage and leaves the input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${FUZZ_SECONDS:-20}"
# The fuzzer stops itself after the given time; the outer bound only guards
# against a hang in the fuzzer itself.
timeout --signal=KILL "$(( 2 * seconds + 600 ))" bash scripts/fuzz.sh "${seconds}"
