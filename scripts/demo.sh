#!/usr/bin/env bash
# Installs what the demo needs and builds the programs (TarvoExtract and
# TarvoCheck), the stand-in client library and the controller emulator
# (build/bin/), starts the emulator with
# the bundled sample station on a free port, exports that station with
# TarvoExtract, prints where the file is, and stops the emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --demo
# A new tree leaves the tests out (their packages are not installed here); a
# tree that the test command made is used as it is. The test command turns
# the tests on again.
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset default -DTARVO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build build --target TarvoExtract TarvoCheck tarvo-emulator

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-demo-XXXXXX")"
ini="$work/sample-station.ini"
build/bin/tarvo-emulator --db "$work/controller.db" --seed examples/sample-station.json \
  --port 0 >"$work/emulator.out" 2>"$work/emulator.log" &
emulator=$!
trap 'kill "$emulator" 2>/dev/null || true; wait "$emulator" 2>/dev/null || true' EXIT

# The emulator prints one line, with its port, once it accepts connections.
for _ in $(seq 1 100); do
  grep -q 'accepting connections' "$work/emulator.out" 2>/dev/null && break
  kill -0 "$emulator" 2>/dev/null || { cat "$work/emulator.log" >&2; exit 1; }
  sleep 0.1
done
port="$(sed -n 's/.*accepting connections on .*:\([0-9]*\)$/\1/p' "$work/emulator.out")"
[ -n "$port" ] || { echo "the emulator did not start" >&2; cat "$work/emulator.log" >&2; exit 1; }

set +e
build/bin/TarvoExtract EXPORT "$ini" "127.0.0.1:$port"
status=$?
set -e
echo
echo "TarvoExtract ended with exit code $status."
echo "Configuration file: $ini"
echo "Emulator database:  $work/controller.db (journal: build/bin/tarvo-emulator --db $work/controller.db --dump-journal)"
echo "Programs:           build/bin/TarvoExtract, build/bin/TarvoCheck (README.md: \"Before you import\"),"
echo "                    build/bin/tarvo-emulator (README.md: \"The controller emulator\")"
