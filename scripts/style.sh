#!/usr/bin/env bash
# The style rules of the programs' own folders that the compiler does not see:
# the layout of .clang-format, no file over 300 lines, and the include order
# of ARCHITECTURE.md (scripts/includes.py: no include upwards, no cycle).
# (clang-tidy's checks, a function's size among them, run with the build when
# it is configured with -DTARVO_CLANG_TIDY=ON.) With --fix, formats the files
# in place instead of checking them.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=(app check client console export import platform profile)
mapfile -t files < <(git ls-files -- "${folders[@]/%//*.cc}" "${folders[@]/%//*.h}")

if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
status=0
if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "style: files differ from .clang-format (bash scripts/style.sh --fix)" >&2
  status=1
fi
for file in "${files[@]}"; do
  lines=$(wc -l < "$file")
  if [ "$lines" -gt 300 ]; then
    echo "style: ${file} has ${lines} lines (300 at most)" >&2
    status=1
  fi
done
if ! python3 scripts/includes.py; then
  echo "style: includes against the order of ARCHITECTURE.md (scripts/includes.py)" >&2
  status=1
fi
[ "$status" = 0 ] && echo "style: ${#files[@]} files keep the layout and the size"
exit "$status"
