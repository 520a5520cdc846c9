# Sourced by the stages: runs a test suite and prints one line of its counts,
#   tally: <suite>: N passed, N failed, N skipped
# which scripts/test.sh adds up per stage and over all stages. Each function
# returns the suite's own exit status.

# tally_ctest <build folder> [ctest options...]: the folder's ctest tests.
tally_ctest() {
  local out status total failed skipped
  out="$(mktemp)"
  set +e
  ctest --test-dir "$1" --output-on-failure -j2 "${@:2}" 2>&1 | tee "${out}"
  status=${PIPESTATUS[0]}
  set -e
  # "100% tests passed, 0 tests failed out of 361"; skipped tests count as
  # passed there and are listed as "(Skipped)" in the summary.
  total=$(sed -n 's/.*tests passed, [0-9]* tests\{0,1\} failed out of \([0-9]*\)$/\1/p' "${out}" | tail -n 1)
  failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of [0-9]*$/\1/p' "${out}" | tail -n 1)
  skipped=$(grep -c '(Skipped)$' "${out}" || true)
  rm -f "${out}"
  total=${total:-0}
  failed=${failed:-0}
  echo "tally: ctest $1: $((total - failed - skipped)) passed, ${failed} failed, ${skipped} skipped"
  return "${status}"
}

# tally_gtest <program> [arguments...]: one GoogleTest program, run directly
# (the suites under wine). The tests that fail are run once more on their own,
# and a test that passes then counts as passed: wine now and then starts no
# program at all ("ShellExecuteEx failed: Internal error."); a fault of ours
# fails both runs.
tally_gtest() {
  local out status passed failed skipped names
  out="$(mktemp)"
  set +e
  "$@" --gtest_brief=1 2>&1 | tee "${out}"
  status=${PIPESTATUS[0]}
  set -e
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "${out}" | tail -n 1)
  # "[  FAILED  ] 2 tests, listed below:" or, brief, "[  SKIPPED ] 1 test.".
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}[.,].*/\1/p' "${out}" | tail -n 1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}[.,].*/\1/p' "${out}" | tail -n 1)
  # The lines that name a single failed test, for the second run.
  names=$(sed -n 's/^\[  FAILED  \] \([A-Za-z_][A-Za-z0-9_/.]*\)\([ ,].*\)\{0,1\}$/\1/p' "${out}" |
          sort -u | paste -sd: -)
  rm -f "${out}"
  passed=${passed:-0}
  # Brief output has no "N tests, listed below" line: count the named ones.
  if [ -z "${failed}" ] && [ -n "${names}" ]; then
    failed=$(echo "${names}" | tr ':' '\n' | grep -c .)
  fi
  failed=${failed:-0}
  if [ "${status}" != 0 ] && [ -n "${names}" ]; then
    echo "--- once more: ${names}"
    if "$@" --gtest_brief=1 --gtest_filter="${names}"; then
      echo "--- passed the second time: ${names}"
      passed=$((passed + failed))
      failed=0
      status=0
    fi
  fi
  # A program that ended without its summary (a crash) counts as one failure.
  if [ "${status}" != 0 ] && [ "${failed}" = 0 ]; then failed=1; fi
  echo "tally: ${1##*/}: ${passed} passed, ${failed} failed, ${skipped:-0} skipped"
  return "${status}"
}
