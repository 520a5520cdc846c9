#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over the Windows sources of the programs' folders,
# which the native build's -DTARVO_CLANG_TIDY=ON never compiles: the
# *_win32.cc files, read as for the 64-bit MinGW-w64 target with the compile
# commands of the mingw build tree. Fails on any finding.
#   bash scripts/tidy-windows.sh [build tree, build-win by default]
# The tree is configured (not built) with the mingw preset when it has no
# compile_commands.json yet.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build-win}
target=x86_64-w64-mingw32
if [ ! -f "${tree}/compile_commands.json" ]; then
  cmake --preset mingw -B "$tree" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
tidy=$(command -v clang-tidy || command -v clang-tidy-14)
folders=(app check client console export import platform profile)
mapfile -t files < <(git ls-files -- "${folders[@]/%//*_win32.cc}")

# clang brings its own compiler headers and finds MinGW-w64's C headers by the
# target, but not GCC's C++ library: its folders come from the cross g++.
args=(--quiet -p "$tree" "--extra-arg=--target=${target}")
while read -r folder; do
  case "$folder" in
    */include/c++*) args+=("--extra-arg=-isystem${folder}") ;;
  esac
done < <(echo | "${target}-g++-posix" -xc++ -E -v - 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/{s/^ //;p}')

# Two at a time; every finding is an error (.clang-tidy's WarningsAsErrors).
if printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P 2 "$tidy" "${args[@]}" 2>/dev/null; then
  echo "tidy-windows: ${#files[@]} files without findings"
else
  echo "tidy-windows: findings above (.clang-tidy)" >&2
  exit 1
fi
