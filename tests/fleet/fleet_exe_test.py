#!/usr/bin/env python3
"""The fleet playbooks with tarvo_runner: exe against 5 emulated stations:
the release's TarvoExtract.exe and TarvoCheck.exe (and its TarvoClient.dll)
run on this machine under wine, found by the runner's own default launcher
and path translation. The history lies under a folder whose name has a
space; the Linux programs' settings point nowhere, so every run of a program
went through the Windows ones. Backups, a changed price kept, drift with one
controller gone, a path translation that fails every station, and restores
by TarvoCheck.exe: a clean one, one whose record the controller refuses and
one whose controller hangs.

    fleet_exe_test.py SOURCE_DIR BIN_DIR EXE_FOLDER

BIN_DIR: the native build's programs (the emulator, and TarvoExtract for the
change made at a station); EXE_FOLDER: the unpacked Windows release.
"""

import json
import os
import re
import shutil
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fleet_support  # noqa: E402
from fleet_support import expect, run  # noqa: E402

SKIP = 77
STATIONS = ["shop-%d" % i for i in range(1, 6)]
CHANGED, STOPPED = "shop-3", "shop-4"
# Restored with the changed station: a Set call refused, Set calls that
# take 8 s each (longer than that station's tarvo_timeout in all).
REFUSED, HANGS = "shop-1", "shop-5"


class Fleet(fleet_support.Playbooks):
    forks = 5
    timeout = 300

    def __init__(self, source, work):
        super().__init__(source, work, WINEDEBUG="-all")

    def last_commit_files(self):
        return set(self.git("show", "--name-only", "--format=", "HEAD").split())

    def read(self, *path):
        with open(os.path.join(*path), encoding="latin-1") as f:
            return f.read()


def one_report(folder):
    """The name and text of the folder's latest report."""
    name = sorted(os.listdir(folder))[-1]
    with open(os.path.join(folder, name), encoding="latin-1") as f:
        return name, f.read()


def change_price(fleet, bins, server):
    """IMPORT into one controller its own Grade02 with a new level 1 price."""
    text = fleet.read(fleet.history, "backups", CHANGED + ".ini")
    grade = re.search(r"^\[Grade02\][^[]*", text, re.M).group(0)
    changed = re.sub(r"(?m)^Price01=.*$", "Price01=2.345", grade)
    expect(changed != grade, "Grade02 has a Price01:\n" + grade)
    path = os.path.join(fleet.work, "change.ini")
    with open(path, "w", encoding="latin-1") as f:
        f.write(changed)
    r = run([os.path.join(bins, "TarvoExtract"), "IMPORT", path, server], env=fleet.env)
    expect(r.returncode == 0, "IMPORT of the change: " + r.stdout)


def test(fleet, bins, emulators):
    fixtures = {name: fleet_support.station_fixture(i + 1) for i, name in enumerate(STATIONS)}
    servers = emulators.start(fixtures)
    fleet_support.write_inventory(fleet.inventory, servers, fleet.settings)

    # 1. Every station exported by TarvoExtract.exe: one commit, 5 backups.
    r = fleet.play("backup.yml")
    expect(r.returncode == 0, "first backup failed:\n" + r.stdout[-3000:])
    expect(fleet.last_commit_files() >= {"backups/%s.ini" % s for s in STATIONS},
           "5 backups in the commit: %s" % fleet.last_commit_files())
    for i, s in enumerate(STATIONS):
        expect("Grade 1 S%03d" % (i + 1) in fleet.read(fleet.history, "backups", s + ".ini"),
               s + " holds its own station")
        # The file the Windows program wrote is kept private all the same.
        mode = os.stat(os.path.join(fleet.history, "backups", s + ".ini")).st_mode & 0o777
        expect(mode == 0o600, "%s.ini has mode %o" % (s, mode))
    shutil.copytree(os.path.join(fleet.history, "backups"), fleet.approved)

    # 2. A changed price: TarvoCheck.exe DIFF keeps that station alone and
    # the report shows the change, in lines of its own (no CR).
    change_price(fleet, bins, servers[CHANGED])
    r = fleet.play("backup.yml")
    expect(r.returncode == 0, "second backup failed:\n" + r.stdout[-3000:])
    paths = fleet.last_commit_files()
    expect({p for p in paths if p.startswith("backups/")} == {"backups/%s.ini" % CHANGED},
           "only %s committed: %s" % (CHANGED, paths))
    _, report = one_report(os.path.join(fleet.history, "reports"))
    expect(re.findall(r"^== (\S+):", report, re.M) == [CHANGED], "report:\n" + report)
    block = report.split("== " + CHANGED, 1)[1]
    expect("Grade02" in block and re.search(r"Price0?1\b.*2\.345", block) and "\r" not in report,
           "the grade and level named, lines without CR:\n" + repr(report))

    # 3. Drift by TarvoExtract.exe, DIFF and PLAN on the approved files, in a folder
    # whose name has a space, one controller gone: the changed station
    # differs, the stopped one is not checked, with the program's own line.
    emulators.stop(STOPPED)
    r = fleet.play("drift.yml")
    expect(r.returncode != 0, "a station not checked fails the drift play")
    _, drift = one_report(os.path.join(fleet.history, "drift"))
    expect(re.search(r"^1 drifted, 3 as approved, 1 not checked$", drift, re.M), "drift:\n" + drift)
    expect(re.findall(r"^== (\S+):", drift, re.M) == [CHANGED] and "Grade02" in drift,
           "drift names the station and the grade:\n" + drift)
    expect(re.search(r"^  %s: TarvoExtract EXPORT: Logon failed.*%s" % (STOPPED, re.escape(servers[STOPPED])), drift, re.M),
           "the failure line:\n" + drift)

    # 4. A path translation that fails: every station of the run not
    # checked, with the command and its message, and no program started.
    r = fleet.play("drift.yml", "--limit", CHANGED, "-e",
                   '{"tarvo_exe_path_command": ["sh", "-c", "echo no such drive >&2; exit 3", "x"]}')
    _, drift = one_report(os.path.join(fleet.history, "drift"))
    expect(r.returncode != 0 and re.search(r"^  %s: TarvoExtract EXPORT: sh -c .* failed: no such drive$" % CHANGED,
                                           drift, re.M), "drift:\n" + drift)

    restores(fleet, servers)


def restores(fleet, servers):
    """restore.yml through TarvoCheck.exe: the changed station restored and
    verified; the refused one stopped at the record, its before-file kept
    as the way back; the hanging one ended at its time limit; one commit
    holding whole before-files only."""
    def price(state):
        state["grades"][1]["prices"]["1"] = 2.345
    for station, faults in ((REFUSED, [{"call": "SetPumpPropertiesEx", "args": [2], "code": 7}]),
                            (HANGS, [{"call": c, "delayMs": 8000}
                                     for c in ("SetGradeProperties", "SetPumpPropertiesEx")])):
        fleet_support.change_station(servers[station], lambda s: price(s) or s.update(faults=faults))
    with open(fleet.inventory, encoding="utf-8") as f:
        inventory = json.load(f)
    for region in inventory["stations"]["children"].values():
        if HANGS in region["hosts"]:
            region["hosts"][HANGS]["tarvo_timeout"] = 40
    with open(fleet.inventory, "w", encoding="utf-8") as f:
        json.dump(inventory, f)
    r = fleet.play("restore.yml", "--limit", ",".join((CHANGED, REFUSED, HANGS)))
    recap = {m.group(1): int(m.group(2)) for m in
             re.finditer(r"^(\S+)\s+: ok=\d+.*?failed=(\d+)", r.stdout, re.M)}
    expect(recap == {CHANGED: 0, REFUSED: 1, HANGS: 1}, "the recap:\n" + r.stdout[-4000:])
    message = fleet.git("log", "-1", "--format=%B")
    paths = fleet.last_commit_files()
    lines = {l.split(" ", 1)[0]: l for l in message.splitlines()[2:] if l.strip()}
    for station, said in ((CHANGED, r": restored\b"),
                          (REFUSED, r": stopped part-way at Pump02 \(SetPumpPropertiesEx call\): Invalid value"),
                          (HANGS, r": TarvoCheck IMPORT stopped after 40 s \(tarvo_timeout\)")):
        expect(re.search(said, lines.get(station, "")), "%s's line:\n%s" % (station, message))
    for station in (CHANGED, REFUSED):
        stamp = re.search(r"-e undo=(\S+) imports restores/%s/\1/before\.ini\.$" % station, lines[station])
        expect(stamp and "restores/%s/%s/before.ini" % (station, stamp.group(1)) in paths,
               "%s's way back kept where its line says:\n%s\n%s" % (station, message, paths))
    expect(not [p for p in paths if "partial" in p or ".before-" in p], "whole files only: %s" % paths)
    grade = [g for g in fleet_support.emulator_call(servers[CHANGED], "$state")["state"]["grades"]
             if g["id"] == 2][0]
    expect(grade["prices"]["1"] != 2.345, "the price restored: %s" % grade)


def main():
    source, bins, folder = sys.argv[1:4]
    if not shutil.which("ansible-playbook"):
        print("SKIPPED: ansible-playbook is not installed (scripts/deps.sh installs it)")
        return SKIP
    if not shutil.which("wine") or not shutil.which("winepath"):
        print("SKIPPED: wine is not installed")
        return SKIP
    work = tempfile.mkdtemp(prefix="tarvo-fleet-exe-")
    fleet = Fleet(source, os.path.join(work, "night run"))
    os.mkdir(fleet.work)
    fleet.settings = {
        "tarvo_runner": "exe", "tarvo_history": fleet.history, "tarvo_approved": fleet.approved,
        "tarvo_exe_extract": os.path.join(folder, "TarvoExtract.exe"),
        "tarvo_exe_check": os.path.join(folder, "TarvoCheck.exe"),
        "tarvo_extract": "/nonexistent/TarvoExtract", "tarvo_check": "/nonexistent/TarvoCheck"}
    try:
        with fleet_support.Emulators(os.path.join(bins, "tarvo-emulator"), work) as emulators:
            test(fleet, bins, emulators)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("fleet playbooks with the exe runner: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
