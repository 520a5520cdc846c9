# Sourced by the Windows stages (30-windows.sh for 64-bit, 35-windows32.sh for
# 32-bit): the cross build, its unit tests under wine, the release zip made and
# checked, and the native end-to-end suites run against the zip's programs.

# wine_prefix_ready: sets up the wine prefix (WINEPREFIX, or ~/.wine) on a
# first run; a prefix that no longer starts a program (one left half made by
# runs that shared it while wine's packages changed says "could not load
# kernel32.dll") is moved aside and made anew.
wine_prefix_ready() {
  local prefix=${WINEPREFIX:-${HOME}/.wine}
  wineboot -i
  if ! wine cmd /c exit 0 >/dev/null 2>&1; then
    echo "--- the wine prefix ${prefix} starts no program: made anew (the old one kept beside it)"
    mv "${prefix}" "${prefix}.unusable.$(date +%s)"
    wineboot -i
  fi
}

# windows_stage <preset> <build folder> <bits> <MinGW target triple> <unit
# tests: ON or OFF>: the cross build with MinGW-w64 (warnings as errors), with
# ON its unit tests run under wine by ctest, the release zip made and checked
# (its files, CR LF texts, the DLLs the programs import, their version
# resources), and the native end-to-end suites run against the zip's
# TarvoExtract.exe under wine, which talks to the Linux emulator over
# loopback. Sets zip and folder (the unpacked programs).
windows_stage() {
  local preset=$1 build=$2 bits=$3 triple=$4 unit=$5
  cmake --preset "${preset}" -DTARVO_BUILD_TESTS="${unit}"
  cmake --build --preset "${preset}"
  if [ "${unit}" = ON ]; then
    # A test that fails is run once more: under wine a program now and then
    # ends before its first line (0.01 s, no output) for reasons of wine's
    # own. A fault of ours fails both runs.
    tally_ctest "${build}" --repeat until-pass:2
  fi

  rm -rf "${build}/package"
  cmake --build "${build}" --target package
  zip=$(ls "${build}"/package/TarvoExtract-*-win"${bits}".zip)
  local unpacked="${build}/package/unpacked"
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "../$(basename "$zip")")
  local exe
  exe=$(ls "$PWD/$unpacked"/*/TarvoExtract.exe)
  folder=$(dirname "$exe")
  local version
  version=$(basename "$zip" | sed -n "s/^TarvoExtract-\(.*\)-win${bits}\.zip\$/\1/p")
  windows_zip_checks "${build}" "${triple}" "${version}" "${bits}"
  windows_e2e_suites "${zip}" "${exe}"
}

# windows_stand_in <preset> <build folder> <unit tests: ON or OFF>: the
# stand-in TarvoClient.dll of a Windows tree (of the other bitness, for the
# binding checks), built alone; the tree is configured as its own stage
# configures it, so that neither stage rebuilds what the other built.
# Prints the DLL's path.
windows_stand_in() {
  local preset=$1 build=$2 unit=$3
  cmake --preset "${preset}" -DTARVO_BUILD_TESTS="${unit}" >/dev/null
  cmake --build "${build}" --target TarvoClient >/dev/null
  echo "${build}/bin/TarvoClient.dll"
}

# What the zip holds and what its programs need: the programs (TarvoCheck
# once the tree builds it), the DLL and the two texts, with CR LF line ends,
# and nothing else; each binary of the right machine, importing only Windows'
# own DLLs and carrying its version resource.
windows_zip_checks() {
  local build=$1 triple=$2 version=$3 bits=$4
  local expected="LICENSE README.txt TarvoClient.dll TarvoExtract.exe"
  if [ -f "${build}/bin/TarvoCheck.exe" ]; then
    expected="LICENSE README.txt TarvoCheck.exe TarvoClient.dll TarvoExtract.exe"
  fi
  local held
  held=$(cd "$folder" && ls | LC_ALL=C sort | xargs)
  if [ "$held" != "$expected" ]; then
    echo "the zip holds: ${held}; expected: ${expected}" >&2
    return 1
  fi
  for text in README.txt LICENSE; do
    if grep -q $'[^\r]$\|^$' "$folder/$text"; then
      echo "${text} has lines without CR LF" >&2
      return 1
    fi
  done

  local programs=("$folder"/*.exe "$folder/TarvoClient.dll")
  local machine=pei-x86-64
  [ "${bits}" = 32 ] && machine=pei-i386
  # A plain Windows machine has Windows' own DLLs and nothing of MinGW's: the
  # zipped programs may import nothing else. They load TarvoClient.dll
  # themselves, by name, so none imports it.
  for binary in "${programs[@]}"; do
    if ! "${triple}-objdump" -f "$binary" | grep -q "file format ${machine}\$"; then
      echo "${binary##*/} is not ${machine}" >&2
      return 1
    fi
    local foreign
    foreign=$("${triple}-objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p' |
              grep -viE '^(kernel32|msvcrt|oleaut32|ws2_32|version)\.dll$' || true)
    if [ -n "$foreign" ]; then
      echo "${binary##*/} imports DLLs that a plain Windows lacks (or that it must load itself): ${foreign}" >&2
      return 1
    fi
  done

  # Each program and the DLL carry the version resource that Explorer's
  # Details tab shows, read back here by the resource compiler of binutils.
  for binary in "${programs[@]}"; do
    local name=${binary##*/}
    local resource
    resource=$("${triple}-windres" -i "$binary" -O rc)
    for value in "\"ProductName\", \"TarvoExtract\"" "\"ProductVersion\", \"${version}\"" \
                 "\"FileVersion\", \"${version}\"" "\"OriginalFilename\", \"${name}\"" \
                 "\"FileDescription\", \"${name%.*} "; do
      if ! grep -qF "VALUE ${value}" <<<"$resource"; then
        echo "${name}: no VALUE ${value}... in its version resource:" >&2
        echo "$resource" >&2
        return 1
      fi
    done
    echo "${name}: version resource ${version}"
  done
}

# windows_e2e_suites <zip> <exe>: the suites that run the program, from the
# native build (stage 10 builds it too), against the zip's programs.
windows_e2e_suites() {
  local zip=$1 exe=$2
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

  # Once more for a user whose locale writes a decimal comma (wine takes it
  # from LC_ALL): the file's numbers keep their point, only the stamp follows
  # the user.
  echo "--- export end-to-end tests, German user"
  LC_ALL=de_DE.UTF-8 tally_gtest build/bin/tarvo_export_e2e_tests
  unset TARVO_EXTRACT TARVO_CHECK TARVO_LAUNCHER
}
