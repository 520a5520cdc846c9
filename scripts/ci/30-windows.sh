#!/usr/bin/env bash
# The Windows build: cross-compiled with MinGW-w64 (warnings as errors), its
# unit tests run under wine by ctest, the release zip made and checked (its
# files, CR LF texts, the DLLs the programs import, their version resources),
# and the native end-to-end suites run against the zip's TarvoExtract.exe
# under wine, which talks to the Linux emulator over loopback; last, the
# fleet playbooks with the exe runner, which run the zip's programs.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null ||
   [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  bash scripts/deps.sh
fi

export WINEDEBUG=-all
# Sets up the wine prefix on a first run (about 10 s); quick afterwards.
wineboot -i

cmake --preset mingw
cmake --build --preset mingw
tally_ctest build-win

rm -rf build-win/package
cmake --build build-win --target package
zip=$(ls build-win/package/TarvoExtract-*-win64.zip)
unpacked=build-win/package/unpacked
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "../$(basename "$zip")")
exe=$(ls "$PWD/$unpacked"/*/TarvoExtract.exe)
folder=$(dirname "$exe")
version=$(basename "$zip" | sed -n 's/^TarvoExtract-\(.*\)-win64\.zip$/\1/p')

# What the zip holds: the programs (TarvoCheck once the tree builds it), the
# DLL and the two texts, with CR LF line ends, and nothing else.
expected="LICENSE README.txt TarvoClient.dll TarvoExtract.exe"
if [ -f build-win/bin/TarvoCheck.exe ]; then
  expected="LICENSE README.txt TarvoCheck.exe TarvoClient.dll TarvoExtract.exe"
fi
held=$(cd "$folder" && ls | LC_ALL=C sort | xargs)
if [ "$held" != "$expected" ]; then
  echo "the zip holds: ${held}; expected: ${expected}" >&2
  exit 1
fi
for text in README.txt LICENSE; do
  if grep -q $'[^\r]$\|^$' "$folder/$text"; then
    echo "${text} has lines without CR LF" >&2
    exit 1
  fi
done

programs=("$folder"/*.exe "$folder/TarvoClient.dll")

# A plain Windows machine has Windows' own DLLs and nothing of MinGW's: the
# zipped programs may import nothing else (and the program the client library).
for binary in "${programs[@]}"; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' |
            grep -viE '^(kernel32|msvcrt|oleaut32|ws2_32|TarvoClient)\.dll$' || true)
  if [ -n "$foreign" ]; then
    echo "${binary##*/} needs DLLs that Windows lacks: ${foreign}" >&2
    exit 1
  fi
done

# Each program and the DLL carry the version resource that Explorer's Details
# tab shows, read back here by the resource compiler of binutils.
for binary in "${programs[@]}"; do
  name=${binary##*/}
  resource=$(x86_64-w64-mingw32-windres -i "$binary" -O rc)
  for value in "\"ProductName\", \"TarvoExtract\"" "\"ProductVersion\", \"${version}\"" \
               "\"FileVersion\", \"${version}\"" "\"OriginalFilename\", \"${name}\"" \
               "\"FileDescription\", \"${name%.*} "; do
    if ! grep -qF "VALUE ${value}" <<<"$resource"; then
      echo "${name}: no VALUE ${value}... in its version resource:" >&2
      echo "$resource" >&2
      exit 1
    fi
  done
  echo "${name}: version resource ${version}"
done

# The suites that run the program come from the native build (stage 10 builds
# it too); the reliability suite joins once it is there.
cmake --preset default -DTARVO_BUILD_TESTS=ON >/dev/null
cmake --build --preset default
export TARVO_EXTRACT="$exe" TARVO_CHECK="$folder/TarvoCheck.exe" TARVO_LAUNCHER=wine
for suite in driver_e2e export_e2e import_e2e check_e2e reliability; do
  if [ ! -x "build/bin/tarvo_${suite}_tests" ]; then
    echo "--- no tarvo_${suite}_tests in this tree"
    continue
  fi
  echo "--- tarvo_${suite}_tests against ${zip##*/} under wine"
  tally_gtest "build/bin/tarvo_${suite}_tests"
done

# Once more for a user whose locale writes a decimal comma (wine takes it from
# LC_ALL): the file's numbers keep their point, only the stamp follows the user.
echo "--- export end-to-end tests, German user"
LC_ALL=de_DE.UTF-8 tally_gtest build/bin/tarvo_export_e2e_tests
# The fleet playbooks with the exe runner: the zip's programs under wine
# against 5 emulators (skipped, 77, where ansible-playbook is missing).
echo "--- fleet playbooks, tarvo_runner: exe, ${zip##*/} under wine"
set +e
python3 tests/fleet/fleet_exe_test.py "$PWD" "$PWD/build/bin" "$folder"
status=$?
set -e
case ${status} in
  0) echo "tally: fleet_exe_test: 1 passed, 0 failed, 0 skipped" ;;
  77) echo "tally: fleet_exe_test: 0 passed, 0 failed, 1 skipped" ;;
  *) echo "tally: fleet_exe_test: 0 passed, 1 failed, 0 skipped"
     exit "${status}" ;;
esac
echo "Windows package: ${zip}"
