# Sourced by the Windows stages: how the zip's programs meet a TarvoClient.dll
# they cannot use, under wine. Each case is a copy of the zip's folder with
# the DLL taken away or replaced; the programs must print the banner, one line
# that says what is wrong and what to do, and end with -1 (255), before any
# connection. A library whose functions are exported as _Name@N works like
# the zip's own (the golden export and the round trip through an import pass
# with it).

# binding_checks <zip folder> <build bin folder> <DLL of the other bitness or "">
binding_checks() {
  local zipFolder=$1 bin=$2 otherDll=$3
  local passed=0 failed=0 skipped=0 out status
  local work
  work=$(mktemp -d)
  local banner="TarvoExtract 22.02 Copyright (c) 2026 TarvoExtract developers"

  # binding_run <folder> <program and arguments>: runs it there under wine;
  # sets out (its standard output, LF line ends) and status (its exit code).
  binding_run() {
    local dir=$1
    shift
    status=0
    (cd "$dir" && wine "$@" >"${work}/out") || status=$?
    out=$(tr -d '\r' <"${work}/out")
  }

  # binding_case <name> <DLL to put in place or ""> <expected line (a glob)>
  binding_case() {
    local name=$1 dll=$2 expected=$3
    local dir="${work}/${name}"
    mkdir -p "$dir"
    cp "$zipFolder"/*.exe "$dir/"
    [ -z "$dll" ] || cp "$dll" "$dir/TarvoClient.dll"
    binding_run "$dir" ./TarvoExtract.exe VERSION versions.ini 127.0.0.1:1
    local want_lines=$'\n'
    # shellcheck disable=SC2053  # the expected line is a glob
    if [ "$status" = 255 ] && [ "$(sed -n 1p <<<"$out")" = "$banner" ] &&
       [ -z "$(sed -n 2p <<<"$out")" ] && [[ "$(sed -n 3p <<<"$out")" == $expected ]] &&
       [ "$(wc -l <<<"$out")" = 3 ] && [ ! -e "$dir/versions.ini" ]; then
      echo "ok   ${name}: $(sed -n 3p <<<"$out")"
      passed=$((passed + 1))
    else
      echo "FAIL ${name}: exit ${status}, expected the line ${expected}${want_lines}${out}" >&2
      failed=$((failed + 1))
    fi
    if [ -f "$dir/TarvoCheck.exe" ]; then
      printf '[Port01]\nNumber=1\n' >"$dir/site.ini"
      binding_run "$dir" ./TarvoCheck.exe PLAN site.ini 127.0.0.1:1
      if [ "$status" = 255 ] && [[ "$out" == *$expected* ]] && [[ "$out" != *Logon* ]]; then
        echo "ok   ${name}, TarvoCheck PLAN"
        passed=$((passed + 1))
      else
        echo "FAIL ${name}, TarvoCheck PLAN: exit ${status}${want_lines}${out}" >&2
        failed=$((failed + 1))
      fi
    fi
  }

  binding_case missing "" "TarvoClient.dll is not in *\\: copy the controller maker's TarvoClient.dll into the program's folder."
  binding_case incomplete "${bin}/incomplete/TarvoClient.dll" "TarvoClient.dll has no function GetCardClientProperties: use the controller maker's TarvoClient.dll (TarvoCheck LIBRARY lists what it has)."
  if [ -n "$otherDll" ]; then
    local otherBits=64
    "${MINGW_OBJDUMP:-objdump}" -f "$otherDll" 2>/dev/null | grep -q 'pei-i386$' && otherBits=32
    binding_case "other-bitness" "$otherDll" "TarvoClient.dll is a ${otherBits}-bit library: use the ${otherBits}-bit TarvoExtract (TarvoExtract-22.02-win${otherBits}.zip)."
  else
    echo "skip other-bitness: no DLL of the other bitness built"
    skipped=$((skipped + 1))
  fi

  # The programs need no library to say how they are used, nor to CHECK a file.
  binding_run "${work}/missing" ./TarvoExtract.exe
  if [ "$status" = 255 ] && [[ "$out" != *TarvoClient.dll* ]] && [[ "$out" == *EXPORT* ]]; then
    echo "ok   usage without a library"
    passed=$((passed + 1))
  else
    echo "FAIL usage without a library: exit ${status}"$'\n'"${out}" >&2
    failed=$((failed + 1))
  fi
  if [ -f "${work}/missing/TarvoCheck.exe" ]; then
    binding_run "${work}/missing" ./TarvoCheck.exe CHECK site.ini
    if [ "$status" != 255 ] && [[ "$out" != *TarvoClient.dll* ]]; then
      echo "ok   TarvoCheck CHECK without a library"
      passed=$((passed + 1))
    else
      echo "FAIL TarvoCheck CHECK without a library: exit ${status}"$'\n'"${out}" >&2
      failed=$((failed + 1))
    fi
  fi

  # TarvoCheck LIBRARY on a folder whose DLL lacks a function: it is marked,
  # the line says what to do, and the exit code is -1.
  if [ -f "${work}/incomplete/TarvoCheck.exe" ]; then
    binding_run "${work}/incomplete" ./TarvoCheck.exe LIBRARY
    if [ "$status" = 255 ] && [[ "$out" == *"Functions:      39 of 40 found"* ]] &&
       [[ "$out" == *"  GetCardClientProperties   (missing)"* ]] &&
       [[ "$out" == *"TarvoClient.dll has no function GetCardClientProperties: "* ]]; then
      echo "ok   TarvoCheck LIBRARY with a function missing"
      passed=$((passed + 1))
    else
      echo "FAIL TarvoCheck LIBRARY with a function missing: exit ${status}"$'\n'"${out}" >&2
      failed=$((failed + 1))
    fi
  fi

  # _Name@N: TarvoCheck LIBRARY names what it found, and the golden export and
  # import runs pass with such a library.
  if [ -f "${bin}/decorated/TarvoClient.dll" ]; then
    mkdir -p "${work}/decorated"
    cp "$zipFolder"/* "${work}/decorated/"
    cp "${bin}/decorated/TarvoClient.dll" "${work}/decorated/TarvoClient.dll"
    binding_run "${work}/decorated" ./TarvoCheck.exe LIBRARY
    if [ "$status" = 0 ] && [[ "$out" == *"Functions:      40 of 40 found"* ]] &&
       [[ "$out" == *"  ClientLogonEx             _ClientLogonEx@36"* ]]; then
      echo "ok   _Name@N exports: TarvoCheck LIBRARY"
      passed=$((passed + 1))
    else
      echo "FAIL _Name@N exports: TarvoCheck LIBRARY: exit ${status}"$'\n'"${out}" >&2
      failed=$((failed + 1))
    fi
    local run
    for run in export_e2e:ExportGolden.* import_e2e:ImportRoundTrip.SampleStationComesBackWhole; do
      if TARVO_EXTRACT="${work}/decorated/TarvoExtract.exe" TARVO_LAUNCHER=wine \
           "build/bin/tarvo_${run%%:*}_tests" --gtest_brief=1 --gtest_filter="${run#*:}"; then
        echo "ok   _Name@N exports: ${run#*:}"
        passed=$((passed + 1))
      else
        echo "FAIL _Name@N exports: ${run#*:}" >&2
        failed=$((failed + 1))
      fi
    done
  fi
  rm -rf "$work"
  echo "tally: library binding: ${passed} passed, ${failed} failed, ${skipped} skipped"
  [ "$failed" = 0 ]
}
