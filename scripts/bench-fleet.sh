#!/bin/bash
# What Ansible costs over many stations: builds the Release tree in
# build-bench/, starts 100 emulators of the typical station and times
# fleet/backup.yml with 20 forks against the sum of the 100 bare
# TarvoExtract EXPORT runs. Takes a few minutes; needs ansible-playbook.
# Arguments go to bench/fleet_bench.py (for example --stations 20 --forks 10).
#
#   bash scripts/bench-fleet.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build build-bench --target TarvoExtract TarvoCheck tarvo-emulator
python3 bench/fleet_bench.py build-bench/bin "$@" | tee build-bench/bench-fleet.txt
