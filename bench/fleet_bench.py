#!/usr/bin/env python3
"""What Ansible costs: backup.yml over N emulated stations of the typical
size with F forks, against the sum of the N bare TarvoExtract EXPORT runs.
With --delay-ms D every call waits D ms in the emulator (a controller across
a WAN): the runs are then set against the ideal, calls x D x N / F, from one
bare EXPORT's calls.

    python3 bench/fleet_bench.py BIN_DIR [--stations 100] [--forks 20] [--delay-ms 30]

Needs ansible-playbook and TarvoCheck (TARVO_CHECK names another one).
Prints wall and CPU times; nothing is kept.
"""

import argparse
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fleet"))
import fleet_support  # noqa: E402


def timed(argv, **kw):
    """(exit code, wall seconds, CPU seconds of the process and its children)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    r = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return r.returncode, wall, cpu


def library_calls(source):
    """The names of the client library's functions."""
    with open(os.path.join(source, "client", "ClientFunctions.h"), encoding="utf-8") as f:
        return re.findall(r"X\(\w+, (\w+),", f.read())


def bare_runs(extract, work, names, servers, delay):
    """(wall, cpu, calls of one export) of the bare EXPORT runs, one after
    another: all of them, or with a delay the first station's alone."""
    bare_wall = bare_cpu = 0.0
    for name in names[:1] if delay else names:
        code, wall, cpu = timed([extract, "EXPORT", os.path.join(work, name + ".ini"),
                                 servers[name]])
        if code != 0:
            sys.exit("bare EXPORT of %s failed" % name)
        bare_wall += wall
        bare_cpu += cpu
    calls = len(fleet_support.emulator_call(servers[names[0]], "$journal")["journal"])
    return bare_wall, bare_cpu, calls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bins")
    parser.add_argument("--stations", type=int, default=100)
    parser.add_argument("--forks", type=int, default=20)
    parser.add_argument("--delay-ms", type=int, default=0)
    args = parser.parse_args()
    source = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
    fleet = os.path.join(source, "fleet")
    bins = os.path.abspath(args.bins)
    extract = os.path.join(bins, "TarvoExtract")
    check = os.environ.get("TARVO_CHECK", os.path.join(bins, "TarvoCheck"))
    n = args.stations
    work = tempfile.mkdtemp(prefix="tarvo-fleet-bench-")
    try:
        with fleet_support.Emulators(os.path.join(bins, "tarvo-emulator"), work) as emulators:
            names = ["station-%03d" % i for i in range(1, n + 1)]
            fixtures = {name: fleet_support.station_fixture(
                i + 1, pumps=12, hoses=4, attendants=20, clients=50) for i, name in enumerate(names)}
            if args.delay_ms:
                for fixture in fixtures.values():
                    fixture["faults"] = [{"call": c, "delayMs": args.delay_ms}
                                         for c in library_calls(source)]
            servers = emulators.start(fixtures)
            bare_wall, bare_cpu, calls = bare_runs(extract, work, names, servers, args.delay_ms)
            inventory = os.path.join(work, "inventory.yml")
            fleet_support.write_inventory(inventory, servers, {
                "tarvo_history": os.path.join(work, "history"), "tarvo_extract": extract,
                "tarvo_check": check})
            env = fleet_support.ansible_env(fleet)
            runs = []
            for what in ("first run, all new", "second run, all unchanged"):
                code, wall, cpu = timed(["ansible-playbook", "-i", inventory, "-f",
                                         str(args.forks), "backup.yml"], cwd=fleet, env=env)
                if code != 0:
                    sys.exit("backup.yml failed in its %s" % what)
                runs.append((what, wall, cpu))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("%d stations of the typical size, backup.yml with %d forks, %d cores, load %.1f"
          % (n, args.forks, os.cpu_count(), os.getloadavg()[1]))
    if args.delay_ms:
        ideal = calls * args.delay_ms / 1000.0 * n / args.forks
        print("  %d ms per call, %d calls per EXPORT: one bare EXPORT %.1f s wall, %.2f s cpu;"
              " ideal %.1f s (calls x delay x stations / forks)"
              % (args.delay_ms, calls, bare_wall, bare_cpu, ideal))
        for what, wall, cpu in runs:
            print("  %-46s %7.1f s wall  %6.1f s cpu  x%.2f ideal  overhead %4.0f ms wall per"
                  " station, %4.0f ms cpu per station" % (
                      "backup.yml, " + what, wall, cpu, wall / ideal,
                      1000 * (wall - ideal) / n, 1000 * (cpu - n * bare_cpu) / n))
        return
    print("  %-46s %7.1f s wall  %6.1f s cpu" % ("%d bare EXPORT runs, one after another" % n,
                                                 bare_wall, bare_cpu))
    for what, wall, cpu in runs:
        print("  %-46s %7.1f s wall  %6.1f s cpu  x%.1f bare  overhead %4.0f ms wall, %4.0f ms cpu"
              " per station" % ("backup.yml, " + what, wall, cpu, wall / bare_wall,
                                1000 * (wall - bare_wall) / n, 1000 * (cpu - bare_cpu) / n))


if __name__ == "__main__":
    main()
