#!/usr/bin/env bash
# The 32-bit Windows build, as stage 30 makes the 64-bit one but without the
# unit tests (stage 30 runs them under wine): cross-compiled with MinGW-w64
# for i686, the native end-to-end suites run under 32-bit wine (a prefix of
# its own, WINEARCH=win32) against TarvoExtract-VERSION-win32.zip, whose
# stand-in TarvoClient.dll exports the plain names. Then the programs' words
# for a library they cannot use (none, the 64-bit stand-in, built here, one
# without a function), and a run with a library exporting _Name@N
# (scripts/ci/binding.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ci/tally.sh
source scripts/ci/windows.sh
source scripts/ci/binding.sh

if ! command -v i686-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null ||
   [ ! -d /usr/lib/i386-linux-gnu/wine/i386-windows ] ||
   [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  bash scripts/deps.sh
fi

export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX="${TARVO_WINEPREFIX32:-${HOME}/.wine-tarvo32}"
# Sets up the 32-bit wine prefix on a first run (about 30 s); quick afterwards.
wine_prefix_ready

windows_stage mingw32 build-win32 32 i686-w64-mingw32 OFF
# The 64-bit stand-in, for a program that meets a library of the other bitness.
other=$(windows_stand_in mingw build-win ON)
MINGW_OBJDUMP=i686-w64-mingw32-objdump binding_checks "$folder" build-win32/bin "$other"
echo "Windows package: ${zip}"
